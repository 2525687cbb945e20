// qpsfx list: the entry names as the stub's list holds them (sorted, duplicates kept).
#include <stdio.h>

#include <string>

#include "tools/qpsfx/commands.h"
#include "tools/qpsfx/console_ui.h"
#include "tools/qpsfx/walk_session.h"

namespace {

int RunList(const std::string& file) {
  if (!OpenSfxFile(file)) return kExitBadInput;
  DialogLists dialog;
  ListEntries(dialog);
  for (const std::string& name : dialog.list301.names) printf("%s\n", name.c_str());
  CloseSfxFile();
  // A damaged or empty archive has been reported by the walk.
  return consoleUi.errors + consoleUi.warnings == 0 ? kExitOk : kExitFailed;
}

void AddList(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  CLI::App* list = app.add_subcommand(
      "list",
      "List the entries of an SFX file as the stub lists them: sorted without regard to "
      "letter case, duplicates kept, names as stored. Exit 1 when the archive is empty "
      "or damaged.");
  list->add_option("FILE", *file, "the SFX file")->required();
  list->callback([file] { SetExitCode(RunList(*file)); });
}

CommandRegistration registration(AddList);

}  // namespace
