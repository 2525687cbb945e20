// qpsfx test: extracts every entry into a temporary folder that is removed
// afterwards, so every entry is decoded and its CRC-32 checked as the stub would,
// and prints one line per entry.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "archive/walk.h"
#include "platform/entry_list.h"
#include "tools/qpsfx/commands.h"
#include "tools/qpsfx/console_ui.h"
#include "tools/qpsfx/walk_session.h"

namespace {

struct TestOptions {
  std::string file;
};

std::string WindowsPath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Why an entry that stayed selected failed: the walk's message that names it,
// else a written file whose CRC-32 did not match, else the walk never got there.
std::string FailureOf(const std::string& name, const std::string& folder) {
  std::string path = WindowsPath(folder + "/" + name);
  std::string parent = path.substr(0, path.find_last_of('\\'));
  for (const ShownMessage& message : consoleUi.shown) {
    if (message.text == "Invalid filename " + name || message.text == "Cannot open file " + path ||
        message.text == "Error in directory " + parent) {
      return message.text;
    }
  }
  if (access((folder + "/" + name).c_str(), F_OK) == 0) return "CRC-32 mismatch";
  return "not extracted";
}

int RunTest(const TestOptions& options) {
  const char* root = getenv("TMPDIR");
  std::string folder = std::string(root && *root ? root : "/tmp") + "/qpsfx-test-XXXXXX";
  if (!mkdtemp(&folder[0])) {
    perror("qpsfx: temporary folder");
    return kExitBadInput;
  }
  if (folder.size() > 255 || !OpenSfxFile(options.file)) {
    rmdir(folder.c_str());
    return kExitBadInput;
  }
  consoleUi.muted = true;

  DialogLists dialog;
  ListEntries(dialog);
  ListSetSel(GetEntryList(&dialog, 301), true, -1);
  folder.copy(targetFolder, folder.size());
  targetFolder[folder.size()] = 0;
  skipExisting = 0;
  consoleUi.shown.clear();
  WalkArchive(&dialog, 301, false);

  bool allGood = allExtracted;
  for (size_t i = 0; i < dialog.list301.names.size(); ++i) {
    const std::string& name = dialog.list301.names[i];
    if (dialog.list301.selected[i]) {
      printf("FAILED  %s: %s\n", name.c_str(), FailureOf(name, folder).c_str());
      allGood = false;
    } else {
      printf("OK      %s\n", name.c_str());
    }
  }
  // A damaged archive, an empty one or a walk that stopped: said once at the end.
  for (const ShownMessage& message : consoleUi.shown) {
    if (message.text.rfind("Couldn't", 0) == 0 || message.text == "Unknown compression type" ||
        message.text.rfind("Invalid filename", 0) == 0 || message.text.rfind("Error", 0) == 0) {
      fprintf(stderr, "error: %s\n", message.text.c_str());
    }
  }
  if (dialog.list301.names.empty()) fprintf(stderr, "error: no entries\n");
  CloseSfxFile();
  std::string remove = "rm -rf '" + folder + "'";
  if (system(remove.c_str()) != 0) fprintf(stderr, "qpsfx: cannot remove %s\n", folder.c_str());
  return allGood ? kExitOk : kExitFailed;
}

void AddTest(CLI::App& app) {
  auto options = std::make_shared<TestOptions>();
  CLI::App* test = app.add_subcommand(
      "test",
      "Decode every entry of an SFX file and check its CRC-32 with the stub's own core, leaving "
      "no files behind; one line per entry (OK or the failure). Exit 0 only when all are good.");
  test->add_option("FILE", options->file, "the SFX file")->required();
  AddPasswordOption(test);
  test->callback([options] { SetExitCode(RunTest(*options)); });
}

CommandRegistration registration(AddTest);

}  // namespace
