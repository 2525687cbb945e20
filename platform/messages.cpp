#include "platform/messages.h"

#include <string.h>

#include "platform/memory.h"

const char kMessageCaption[] = "Quillpack 2.0 SFX";

void ShowPathMessage(const char* text, const char* path, uint32_t icon) {
  size_t textLength = strlen(text);
  size_t pathLength = strlen(path);
  char* message = static_cast<char*>(AllocateMemory(textLength + pathLength + 1));
  memcpy(message, text, textLength);
  memcpy(message + textLength, path, pathLength + 1);
  ShowMessage(message, icon);
  ReleaseMemory(message);
}
