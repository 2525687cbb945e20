#include <windows.h>

#include "platform/files.h"

static HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

FileHandle OpenFileForReading(const char* path) {
  return reinterpret_cast<FileHandle>(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle CreateOutputFile(const char* path) {
  return reinterpret_cast<FileHandle>(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

int32_t ReadFromFile(FileHandle file, void* buffer, int32_t count) {
  DWORD delivered = 0;
  if (count <= 0) return 0;
  ReadFile(AsHandle(file), buffer, static_cast<DWORD>(count), &delivered, nullptr);
  return static_cast<int32_t>(delivered);
}

int32_t WriteToFile(FileHandle file, const void* buffer, int32_t count) {
  DWORD written = 0;
  if (count <= 0) return 0;
  WriteFile(AsHandle(file), buffer, static_cast<DWORD>(count), &written, nullptr);
  return static_cast<int32_t>(written);
}

int32_t SetFilePosition(FileHandle file, int32_t offset) {
  DWORD position = SetFilePointer(AsHandle(file), offset, nullptr, FILE_BEGIN);
  return position == INVALID_SET_FILE_POINTER ? -1 : static_cast<int32_t>(position);
}

bool CloseFileHandle(FileHandle file) { return CloseHandle(AsHandle(file)) != FALSE; }

bool FindFirstMatch(const char* pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool CreateOneFolder(const char* path) { return CreateDirectoryA(path, nullptr) != FALSE; }
