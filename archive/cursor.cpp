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

void SeekArchive(int32_t offset, uint16_t) { archivePos = SetFilePosition(archiveHandle, offset); }

// offset + step as a file position; -1 (which every positioning refuses) when
// the sum leaves the signed 32-bit range in which positions are held.
static int32_t PositionAfter(int32_t offset, int64_t step) {
  int64_t position = offset + step;
  return position > 0x7FFFFFFF ? -1 : static_cast<int32_t>(position);
}

bool ReadLocalHeader() {
  // A run of data descriptors is skipped one after another.
  for (;;) {
    localHeader.signature = 0;
    bytesLeft = 0;
    // After a failed positioning the file position is stale: nothing there is read.
    if (archivePos < 0) return false;
    // A header cut off by the end of the file is no entry: its fields would be
    // partly those of the previous header. What was read stays, so that the
    // caller can tell an end record (shorter than a header) from damage.
    bool complete = ReadFromFile(archiveHandle, &localHeader, kLocalHeaderSize) == kLocalHeaderSize;
    if (complete && localHeader.signature == expectedSignature) {
      bytesLeft = static_cast<int32_t>(localHeader.compressedSize);
      return true;
    }
    if (localHeader.signature != kDataDescriptorSignature) return false;
    SeekArchive(PositionAfter(archivePos, kDataDescriptorSize), 0);
  }
}

int32_t NextHeaderPosition(int32_t entryPos) {
  // Computed without wrapping, so that the walk only ever moves forward: a size
  // beyond 2 GiB would otherwise step back onto this header or an earlier one,
  // and the walk would never end.
  return PositionAfter(entryPos, static_cast<int64_t>(kLocalHeaderSize) + localHeader.nameLength +
                                     localHeader.extraLength + localHeader.compressedSize);
}
