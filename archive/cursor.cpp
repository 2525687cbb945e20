#include "archive/cursor.h"

#include "platform/files.h"
#include "startup/startup.h"

LocalFileHeader localHeader;
int32_t archivePos;
uint32_t expectedSignature;
int32_t bytesLeft;

void SetLocalHeaderSignature() {
  // The store and the decrement go through a volatile object, so the compiler
  // cannot fold them into the signature constant.
  volatile uint32_t signature = 0x04034B51u;
  signature = signature - 1;
  expectedSignature = signature;
}

void SeekArchive(int32_t offset, uint16_t) {
  archivePos = SetFilePosition(archiveHandle, offset);
}

bool ReadLocalHeader() {
  // A run of data descriptors is skipped one after another.
  for (;;) {
    localHeader.signature = 0;
    // After a failed positioning the file position is stale: nothing there is read.
    if (archivePos < 0) return false;
    ReadFromFile(archiveHandle, &localHeader, kLocalHeaderSize);
    if (localHeader.signature == expectedSignature) {
      bytesLeft = static_cast<int32_t>(localHeader.compressedSize);
      return true;
    }
    bytesLeft = 0;
    if (localHeader.signature != kDataDescriptorSignature) return false;
    SeekArchive(archivePos + kDataDescriptorSize, 0);
  }
}

int32_t NextHeaderPosition(int32_t entryPos) {
  return static_cast<int32_t>(static_cast<uint32_t>(entryPos) + kLocalHeaderSize +
                              localHeader.nameLength + localHeader.extraLength +
                              localHeader.compressedSize);
}
