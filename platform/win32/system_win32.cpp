#include <windows.h>

#include "platform/system.h"

uint32_t GetProgramPath(char* buffer, uint32_t size) {
  return GetModuleFileNameA(nullptr, buffer, size);
}

void GetCurrentFolder(char* buffer, uint32_t size) { GetCurrentDirectoryA(size, buffer); }

void GetTempFolder(char* buffer, uint32_t size) { GetTempPathA(size, buffer); }

void ToShortPath(char* text, uint32_t size) {
  // With the text's own length as the buffer size, the call writes only a form
  // that is shorter than the text; otherwise it leaves the text alone.
  GetShortPathNameA(text, text, size);
}
