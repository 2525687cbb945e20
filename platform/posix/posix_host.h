// What a host program (qpsfx, the unit tests) sets up around the POSIX seam:
// the program's own path, the dialog object that holds the entry lists, and
// faults that tests inject into the file services.
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"

// The path GetProgramPath reports: the SFX file the host works on.
void SetProgramPath(const std::string& path);

// Turns a Windows path into the POSIX path it stands for ('\' becomes '/').
std::string ToPosixPath(const char* path);

// An entry list: sorted, duplicates kept, with a selection flag per item.
struct EntryListModel {
  std::vector<std::string> names;
  std::vector<bool> selected;
};

// Stands for a dialog: the two entry lists 301 and 302 that a dialog may hold.
struct DialogLists {
  EntryListModel list301;
  EntryListModel list302;
};

// Faults the file services inject while set; all off by default.
struct PosixFaults {
  bool failClose = false;           // CloseFileHandle on an output file reports failure
  int32_t shortWriteLimit = -1;     // when >= 0: each write stores at most this many bytes
  std::string refuseFolder;         // CreateOneFolder refuses a path that ends with this text
};
extern PosixFaults posixFaults;
void ResetPosixFaults();
