#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "platform/posix/posix_host.h"
#include "platform/system.h"

static std::string& ProgramPath() {
  static std::string path;
  return path;
}

void SetProgramPath(const std::string& path) { ProgramPath() = path; }

static void CopyText(char* buffer, uint32_t size, const std::string& text) {
  if (size == 0) return;
  size_t length = text.size() < size - 1 ? text.size() : size - 1;
  memcpy(buffer, text.data(), length);
  buffer[length] = 0;
}

uint32_t GetProgramPath(char* buffer, uint32_t size) {
  CopyText(buffer, size, ProgramPath());
  return static_cast<uint32_t>(strlen(buffer));
}

void GetCurrentFolder(char* buffer, uint32_t size) {
  char* folder = getcwd(nullptr, 0);
  CopyText(buffer, size, folder ? folder : "");
  free(folder);
}

void GetTempFolder(char* buffer, uint32_t size) {
  const char* folder = getenv("TMPDIR");
  std::string text = folder && *folder ? folder : "/tmp";
  if (text.back() != '/') text += '/';
  CopyText(buffer, size, text);
}

// POSIX has no short names: the text stays as it is.
void ToShortPath(char*, uint32_t) {}
