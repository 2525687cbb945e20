#include "archive/stored_copy.h"

#include "archive/cursor.h"
#include "archive/walk.h"
#include "integrity/crc32.h"
#include "integrity/crypt.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "startup/startup.h"

void CopyStoredEntry() {
  if (bytesLeft <= 0) return;
  int32_t chunkSize = bytesLeft < StoredChunkSize ? bytesLeft : StoredChunkSize;
  uint8_t* chunk = static_cast<uint8_t*>(AllocateMemory(static_cast<uint32_t>(chunkSize)));
  bool encrypted = (localHeader.flags & 1) != 0;
  while (bytesLeft > 0) {
    int32_t n = ReadFromFile(archiveHandle, chunk, bytesLeft < chunkSize ? bytesLeft : chunkSize);
    if (n <= 0) {
      bytesLeft = 0;
      break;
    }
    bytesLeft -= n;
    if (encrypted) {
      for (int32_t i = 0; i < n; ++i) {
        uint8_t plain = chunk[i] ^ DecryptByte();
        chunk[i] = plain;
        UpdateKeys(plain);
      }
    }
    int32_t written = WriteToFile(outputHandle, chunk, n);
    UpdateCrcBuffer(chunk, written, runningCrc);
  }
  ReleaseMemory(chunk);
}
