#include "startup/launch.h"

#include <string.h>

#include "archive/paths.h"
#include "archive/walk.h"
#include "platform/memory.h"
#include "platform/system.h"
#include "startup/config_block.h"
#include "startup/startup.h"

char* ExpandCommandPart(int32_t which) {
  // targetFolder has room for the backslash even behind 255 characters.
  AppendBackslash(targetFolder);
  const char* command = runCommand;
  uint16_t length = TextLength(command);
  const char* bar = nullptr;
  for (uint16_t i = 0; i < length && !bar; ++i) {
    if (command[i] == '|') bar = command + i;
  }
  const char* part = command;
  uint16_t partLength = 0;
  if (which == 1) {
    partLength = bar ? static_cast<uint16_t>(bar - command) : length;
  } else if (bar) {
    part = bar + 1;
    partLength = static_cast<uint16_t>(command + length - part);
  }

  uint32_t folderLength = TextLength(targetFolder);
  uint32_t placeholders = 0;
  for (uint16_t i = 0; i + 1 < partLength; ++i) {
    if (part[i] == '#' && part[i + 1] == '#') {
      ++placeholders;
      ++i;
    }
  }
  char* out = static_cast<char*>(AllocateMemory(partLength + placeholders * folderLength + 1));
  uint32_t outLength = 0;
  for (uint16_t i = 0; i < partLength; ++i) {
    if (i + 1 < partLength && part[i] == '#' && part[i + 1] == '#') {
      memcpy(out + outLength, targetFolder, folderLength);
      outLength += folderLength;
      ++i;
    } else {
      out[outLength++] = part[i];
    }
  }
  out[outLength] = 0;
  ToShortPath(out, outLength);
  return out;
}

void LaunchAfterExtraction(int32_t code) {
  if (code != 1 || !sfxConfig.hasRunCommand) return;
  char* program = ExpandCommandPart(1);
  char* parameters = ExpandCommandPart(2);
  StartProgram(program, parameters);
  ReleaseMemory(parameters);
  ReleaseMemory(program);
}
