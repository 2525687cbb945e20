// Files and folders. Paths are Windows paths ('\' separators); the POSIX
// implementation turns '\' into '/' at this boundary, so the core keeps its
// Windows path rules on both platforms.
#pragma once

#include "platform/types.h"

// Opens an existing file read-only, sharing it for reading with others.
FileHandle OpenFileForReading(const char* path);
// Creates the file, or truncates it when it exists, for writing; others may write too.
FileHandle CreateOutputFile(const char* path);
// Reads up to count bytes at the current position; returns the bytes delivered,
// 0 at the end of the file or on failure.
int32_t ReadFromFile(FileHandle file, void* buffer, int32_t count);
// Writes count bytes at the current position; returns the bytes written (0 on failure).
int32_t WriteToFile(FileHandle file, const void* buffer, int32_t count);
// Moves the position to offset from the start of the file; returns the new
// position, or -1 on failure.
int32_t SetFilePosition(FileHandle file, int32_t offset);
// Closes the file; false when the platform reports failure.
bool CloseFileHandle(FileHandle file);

// True when a directory search for pattern finds any entry. A pattern that ends
// in "\*.*" lists a folder (every existing folder but an empty drive root has
// entries); any other pattern looks up exactly that name.
bool FindFirstMatch(const char* pattern);
// Creates one folder; false when the platform refuses.
bool CreateOneFolder(const char* path);
