// The extraction and listing driver: one walk over the archive that either lists
// every entry into an entry list or extracts the entries selected in it.
#pragma once

#include "platform/entry_list.h"
#include "platform/types.h"

// 255 characters of folder, the backslash the launch may add, and the terminator.
const int32_t kTargetFolderSize = 258;

extern FileHandle outputHandle;
extern uint32_t runningCrc;
extern char password[80];
extern int32_t lastListIndex;
extern bool allExtracted;
extern char targetFolder[kTargetFolderSize];
extern uint8_t skipExisting;
// True while a walk runs; a walk never starts inside another, and the dialogs
// refuse their commands meanwhile.
extern bool walkInProgress;

void WalkArchive(WindowHandle dialog, int32_t listId, bool listOnly);
bool IsEntrySelected(EntryList list, const char* name);
