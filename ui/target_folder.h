// Taking a folder path into targetFolder, which holds at most 255 characters.
// Header-only and free of Win32 types, so that the host tests can check it.
#pragma once

#include <string.h>

#include "archive/walk.h"
#include "platform/system.h"

// 255 characters: the launch may still append a backslash and the terminator.
const uint32_t kFolderLimit = kTargetFolderSize - 3;

// Makes path the target folder when it fits. A longer path is first replaced, in
// place, by its short form; when even that does not fit, the path is refused and
// targetFolder keeps what it held. Cutting the path instead would extract into
// another folder than the one the user chose.
inline bool TakeFolder(char* path) {
  uint32_t length = strlen(path);
  if (length > kFolderLimit) {
    ToShortPath(path, length);
    length = strlen(path);
  }
  if (length > kFolderLimit) return false;
  memcpy(targetFolder, path, length + 1);
  return true;
}

// Makes the current folder the target folder, through scratch (size bytes). When
// its path does not fit, "." stands for it: an empty target folder would put the
// entries at the root of the drive instead.
inline void TakeCurrentFolder(char* scratch, uint32_t size) {
  scratch[0] = 0;
  GetCurrentFolder(scratch, size);
  if (scratch[0] == 0 || !TakeFolder(scratch)) memcpy(targetFolder, ".", 2);
}
