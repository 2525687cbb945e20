// Copies the data of a stored entry from the archive to the output file.
#pragma once

#include "platform/types.h"

const int32_t StoredChunkSize = 0x8000;

// Reads bytesLeft bytes at the archive's position (decrypting them when the
// entry is encrypted), writes them to outputHandle and runs runningCrc over
// what was written.
void CopyStoredEntry();
