#include "tools/qpsfx/walk_session.h"

#include <CLI/CLI.hpp>

#include "archive/walk.h"
#include "startup/startup.h"
#include "tools/qpsfx/console_ui.h"

bool OpenSfxFile(const std::string& file) {
  SetProgramPath(file);
  if (StartUp()) return true;
  ShutDown();
  return false;
}

void CloseSfxFile() { ShutDown(); }

void ListEntries(DialogLists& dialog) { WalkArchive(&dialog, 301, true); }

std::vector<std::string> SelectedNames(const DialogLists& dialog) {
  std::vector<std::string> names;
  for (size_t i = 0; i < dialog.list301.names.size(); ++i) {
    if (dialog.list301.selected[i]) names.push_back(dialog.list301.names[i]);
  }
  return names;
}

void AddPasswordOption(CLI::App* command) {
  command
      ->add_option_function<std::string>(
          "--password",
          [](const std::string& value) {
            consoleUi.hasPresetPassword = true;
            consoleUi.presetPassword = value;
          },
          "answer every password prompt with PW (default: ask on the terminal)")
      ->type_name("PW");
}
