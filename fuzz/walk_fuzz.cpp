// libFuzzer target: the input is the archive behind a stub place without
// configuration block. It is listed, every entry selected and extracted into a
// fresh folder, as the main dialog does. Nothing may be written outside that
// folder, and the sanitizers watch everything else.
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include "archive/walk.h"
#include "platform/entry_list.h"
#include "platform/messages.h"
#include "platform/password.h"
#include "platform/posix/posix_host.h"
#include "platform/system.h"
#include "startup/startup.h"

// The seam's user side: silent, and every prompt answered with the password the
// seed archives are encrypted with.
void ShowMessage(const char*, uint32_t) {}
void PumpOneMessage() {}
void PromptForPassword() {
  strcpy(passwordText, "pw");
  passwordLength = 2;
}
void StartProgram(const char*, const char*) {}

namespace {

std::string sandbox;

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) names.insert(e->d_name);
    closedir(d);
  }
  return names;
}

std::set<std::string>& RootNames() {
  static std::set<std::string> names = Names("/");
  return names;
}

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

void RemoveTree(const std::string& folder) {
  nftw(folder.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}

void Check(bool ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "walk_fuzz: %s\n", what);
    abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* root = getenv("WALK_FUZZ_DIR");
  std::string pattern = std::string(root && *root ? root : "/dev/shm") + "/walk-fuzz-XXXXXX";
  Check(mkdtemp(&pattern[0]) != nullptr, "cannot make the sandbox");
  sandbox = pattern;
  RootNames();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string sfx = sandbox + "/test.exe";
  std::string out = sandbox + "/out/target";
  {
    std::string bytes(0x7C00, '\0');
    bytes.append(reinterpret_cast<const char*>(data), size);
    int fd = open(sfx.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Check(fd >= 0 && write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
          "cannot write the input");
    close(fd);
  }
  Check(mkdir((sandbox + "/out").c_str(), 0755) == 0 && mkdir(out.c_str(), 0755) == 0,
        "cannot make the target");

  SetProgramPath(sfx);
  password[0] = 0;
  skipExisting = static_cast<uint8_t>(size & 1);
  if (StartUp()) {
    DialogLists dialog;
    WalkArchive(&dialog, 301, true);
    ListSetSel(GetEntryList(&dialog, 301), true, -1);
    out.copy(targetFolder, out.size());
    targetFolder[out.size()] = 0;
    WalkArchive(&dialog, 301, false);
    Check(!walkInProgress, "the walk flag stayed set");
  }
  ShutDown();

  // Only the input and the target folder, where everything written must be.
  Check(Names(sandbox) == std::set<std::string>({".", "..", "test.exe", "out"}),
        "something was written beside the target folder");
  Check(Names(sandbox + "/out") == std::set<std::string>({".", "..", "target"}),
        "something was written above the target folder");
  Check(Names("/") == RootNames(), "something was written into /");
  RemoveTree(sandbox + "/out");
  return 0;
}
