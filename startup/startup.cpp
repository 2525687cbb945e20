#include "startup/startup.h"

#include "integrity/crc32.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/messages.h"
#include "platform/system.h"
#include "startup/config_block.h"

char programPath[kTextBufferSize];
FileHandle archiveHandle = kInvalidFile;
char* browseBuffer;
char* defaultFolder;
char* runCommand;
char* introText;

static char* AllocateText() {
  char* text = static_cast<char*>(AllocateMemory(kTextBufferSize));
  text[0] = 0;
  return text;
}

void AllocateSharedBuffers() {
  browseBuffer = AllocateText();
  defaultFolder = AllocateText();
  runCommand = AllocateText();
  introText = AllocateText();
}

void FreeSharedBuffers() {
  char** buffers[] = {&browseBuffer, &defaultFolder, &runCommand, &introText};
  for (char** buffer : buffers) {
    ReleaseMemory(*buffer);
    *buffer = nullptr;
  }
}

bool StartUp() {
  AllocateSharedBuffers();
  GetProgramPath(programPath, kTextBufferSize);
  archiveHandle = OpenFileForReading(programPath);
  if (archiveHandle == kInvalidFile) {
    ShowPathMessage("Cannot open file ", programPath, kIconError);
    return false;
  }
  crcTable = static_cast<uint32_t*>(AllocateMemory(1028));
  BuildCrcTable();
  ReadConfigBlock();
  return true;
}

void ShutDown() {
  if (archiveHandle != kInvalidFile) {
    if (!CloseFileHandle(archiveHandle)) {
      ShowPathMessage("Cannot close file ", programPath, kIconError);
    }
    archiveHandle = kInvalidFile;
    ReleaseMemory(crcTable);
    crcTable = nullptr;
  }
  FreeSharedBuffers();
}
