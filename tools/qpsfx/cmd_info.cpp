// qpsfx info: shows the configuration block and the local headers of an SFX file,
// read exactly as the stub reads them.
#include <stdio.h>

#include <string>
#include <vector>

#include "archive/cursor.h"
#include "platform/files.h"
#include "platform/posix/posix_host.h"
#include "startup/config_block.h"
#include "startup/startup.h"
#include "tools/qpsfx/commands.h"

namespace {

void PrintText(const char* label, bool present, const char* text) {
  printf("  %-22s %s\"%s\"\n", label, present ? "" : "(none) ", text);
}

void PrintConfig() {
  if (archiveBase == kStubSize) {
    printf("configuration block: none\n");
  } else {
    printf("configuration block:\n");
    PrintText("intro text", sfxConfig.hasIntroText, introText);
    PrintText("default folder", sfxConfig.hasDefaultFolder, defaultFolder);
    PrintText("run command", sfxConfig.hasRunCommand, runCommand);
  }
  printf("  %-22s %s\n", "fileListEnabled", sfxConfig.fileListEnabled ? "true" : "false");
  printf("  %-22s %s\n", "hideOverwriteOption", sfxConfig.hideOverwriteOption ? "true" : "false");
  printf("  %-22s %d\n", "overwriteControlId", sfxConfig.overwriteControlId);
  printf("  %-22s %d\n", "overwriteChecked", sfxConfig.overwriteChecked);
  printf("archiveBase: 0x%X\n", static_cast<unsigned>(archiveBase));
}

void PrintEntries() {
  printf("%-10s %-6s %-6s %10s %10s %-8s  %s\n", "header", "method", "flags", "compressed", "size",
         "crc32", "name");
  SetLocalHeaderSignature();
  SeekArchive(archiveBase, 0);
  int entries = 0;
  while (ReadLocalHeader()) {
    int32_t entryPos = archivePos;
    std::vector<char> name(localHeader.nameLength);
    int32_t got = ReadFromFile(archiveHandle, name.data(), localHeader.nameLength);
    name.resize(static_cast<size_t>(got));
    printf("0x%08X %-6u 0x%04X %10u %10u %08X  %s\n", static_cast<unsigned>(entryPos),
           localHeader.method, localHeader.flags, localHeader.compressedSize,
           localHeader.uncompressedSize, localHeader.crc32,
           std::string(name.begin(), name.end()).c_str());
    ++entries;
    SeekArchive(NextHeaderPosition(entryPos), 0);
  }
  printf("%d entries\n", entries);
}

int RunInfo(const std::string& file) {
  SetProgramPath(file);
  if (!StartUp()) {
    ShutDown();
    return kExitBadInput;
  }
  PrintConfig();
  PrintEntries();
  ShutDown();
  return kExitOk;
}

void AddInfo(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  CLI::App* info = app.add_subcommand(
      "info",
      "Show the configuration block of an SFX file, where its archive starts, and every local "
      "header the stub's forward walk finds (position, method, flags, sizes, CRC-32, name).");
  info->add_option("FILE", *file, "the SFX file")->required();
  info->callback([file] { SetExitCode(RunInfo(*file)); });
}

CommandRegistration registration(AddInfo);

}  // namespace
