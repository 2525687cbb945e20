// qpsfx extract: what the stub does on Extract, into a folder of the host: list,
// select all entries (or the named ones), extract. Never starts the run command;
// prints it as the stub would start it.
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <strings.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "archive/walk.h"
#include "platform/entry_list.h"
#include "platform/memory.h"
#include "startup/config_block.h"
#include "startup/launch.h"
#include "tools/qpsfx/commands.h"
#include "tools/qpsfx/console_ui.h"
#include "tools/qpsfx/walk_session.h"

namespace {

struct ExtractOptions {
  std::string file;
  std::string folder;
  bool overwrite = false;
  bool skipExisting = false;
  std::vector<std::string> names;
};

// DIR as an absolute path without trailing '/', so that names are written below
// it and "##" in the run command stands for it as the stub would see it.
std::string AbsoluteFolder(const std::string& folder) {
  std::string path = folder;
  if (path.empty() || path[0] != '/') {
    char* cwd = getcwd(nullptr, 0);
    std::string base = cwd ? cwd : ".";
    free(cwd);
    path = folder.empty() || folder == "." ? base : base + "/" + folder;
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Selects every item named by one of names (letter case aside, as the stub's list
// finds names); false, after saying so, when a name matches no item.
bool SelectNamed(DialogLists& dialog, const std::vector<std::string>& names) {
  EntryList list = GetEntryList(&dialog, 301);
  bool allFound = true;
  for (const std::string& name : names) {
    bool found = false;
    for (size_t i = 0; i < dialog.list301.names.size(); ++i) {
      if (strcasecmp(dialog.list301.names[i].c_str(), name.c_str()) == 0) {
        ListSetSel(list, true, static_cast<int32_t>(i));
        found = true;
      }
    }
    if (!found) {
      fprintf(stderr, "qpsfx: no entry named %s\n", name.c_str());
      allFound = false;
    }
  }
  return allFound;
}

void PrintRunCommand() {
  char* program = ExpandCommandPart(1);
  char* parameters = ExpandCommandPart(2);
  printf("run command: \"%s\" parameters \"%s\"\n", program, parameters);
  ReleaseMemory(parameters);
  ReleaseMemory(program);
}

int RunExtract(const ExtractOptions& options) {
  std::string folder = AbsoluteFolder(options.folder);
  if (folder.size() > 255) {
    fprintf(stderr, "qpsfx: the folder %s is longer than 255 characters\n", folder.c_str());
    return kExitBadInput;
  }
  if (!OpenSfxFile(options.file)) return kExitBadInput;

  DialogLists dialog;
  // The extract walk reports again whatever the list walk would.
  consoleUi.muted = true;
  ListEntries(dialog);
  consoleUi.muted = false;
  if (options.names.empty()) {
    ListSetSel(GetEntryList(&dialog, 301), true, -1);
  } else if (!SelectNamed(dialog, options.names)) {
    CloseSfxFile();
    return kExitBadInput;
  }

  folder.copy(targetFolder, folder.size());
  targetFolder[folder.size()] = 0;
  // The main dialog starts with the policy of the configuration block.
  skipExisting = static_cast<uint8_t>(sfxConfig.overwriteControlId - 501);
  if (options.overwrite) skipExisting = 0;
  if (options.skipExisting) skipExisting = 1;

  WalkArchive(&dialog, 301, false);
  for (const std::string& name : SelectedNames(dialog)) {
    fprintf(stderr, "qpsfx: not extracted: %s\n", name.c_str());
  }
  bool complete = allExtracted;
  if (complete && sfxConfig.hasRunCommand) PrintRunCommand();
  CloseSfxFile();
  return complete ? kExitOk : kExitFailed;
}

void AddExtract(CLI::App& app) {
  auto options = std::make_shared<ExtractOptions>();
  CLI::App* extract = app.add_subcommand(
      "extract",
      "Extract an SFX file as the stub does when Extract is pressed: every entry, or the named "
      "ones, below DIR, with the stub's messages on stderr. Exit 0 when every selected entry was "
      "extracted, 1 when some failed, 2 when the file cannot be read. The run command is never "
      "started; it is printed as the stub would start it.");
  extract->add_option("FILE", options->file, "the SFX file")->required();
  extract->add_option("NAME", options->names, "entries to extract (default: all)");
  extract->add_option("-d,--directory", options->folder,
                      "the target folder (default: the current directory)");
  CLI::Option* overwrite =
      extract->add_flag("--overwrite", options->overwrite, "overwrite existing files");
  CLI::Option* skip = extract->add_flag("--skip-existing", options->skipExisting,
                                        "leave existing files as they are");
  overwrite->excludes(skip);
  AddPasswordOption(extract);
  extract->callback([options] { SetExitCode(RunExtract(*options)); });
}

CommandRegistration registration(AddExtract);

}  // namespace
