// Program start-up and shutdown, and the process-wide resources every other part
// takes for granted: the program's own open file, the CRC table and four text buffers.
#pragma once

#include "platform/types.h"

const uint32_t kTextBufferSize = 261;

extern char programPath[kTextBufferSize];
extern FileHandle archiveHandle;
extern char* browseBuffer;
extern char* defaultFolder;
extern char* runCommand;
extern char* introText;

void AllocateSharedBuffers();
void FreeSharedBuffers();

// Allocates the buffers, opens the program's own file, builds the CRC table and
// reads the configuration block. False when the file cannot be opened: the user
// has been told, and nothing else was prepared.
bool StartUp();
// Closes the program's file (telling the user when that fails) and releases
// what StartUp prepared.
void ShutDown();
