// What the reading commands of qpsfx share: the SFX file opened exactly as the
// stub opens its own file, and the entry list of a dialog that never shows.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/posix_host.h"

namespace CLI {
class App;
}

// SetProgramPath and StartUp, as the stub starts; false when the file cannot be
// read (the message has been shown and everything is shut down again).
bool OpenSfxFile(const std::string& file);
void CloseSfxFile();

// The list walk the dialogs run when they open, into list 301 of dialog.
void ListEntries(DialogLists& dialog);
// --password PW: every password prompt of the walk is answered with PW.
void AddPasswordOption(CLI::App* command);

// Names of the items still selected, in list order.
std::vector<std::string> SelectedNames(const DialogLists& dialog);
