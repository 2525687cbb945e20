#include "tools/qpsfx/walk_session.h"

#include "archive/walk.h"
#include "startup/startup.h"

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
