// The archive cursor: the archive behind the stub is read strictly forward, one
// local file header after another, with absolute positions in the program's file.
#pragma once

#include "platform/types.h"

#pragma pack(push, 1)
struct LocalFileHeader {
  uint32_t signature;
  uint16_t versionNeeded;
  uint16_t flags;
  uint16_t method;
  uint16_t modTime;
  uint16_t modDate;
  uint32_t crc32;
  uint32_t compressedSize;
  uint32_t uncompressedSize;
  uint16_t nameLength;
  uint16_t extraLength;
};
#pragma pack(pop)
static_assert(sizeof(LocalFileHeader) == 30, "a local header is 30 bytes");

const int32_t kLocalHeaderSize = 30;
const uint32_t kDataDescriptorSignature = 0x08074B50u;
const int32_t kDataDescriptorSize = 16;

extern LocalFileHeader localHeader;
extern int32_t archivePos;
extern uint32_t expectedSignature;
extern int32_t bytesLeft;

// Sets expectedSignature to the local-header signature. The value is formed at
// run time, so that the stub's image never holds the signature's four bytes (a
// reader that scans the file would take the stub for the archive).
void SetLocalHeaderSignature();

// Positions archiveHandle at offset from the start of the file; archivePos
// becomes the new position, or -1 when positioning fails. origin is always 0.
void SeekArchive(int32_t offset, uint16_t origin);

// Reads the record at the current position. True: localHeader holds a local
// header, bytesLeft its compressed size, and the position is at the entry's name.
// Data descriptors standing where a header is expected are skipped.
bool ReadLocalHeader();

// Where the walk seeks the header that follows the current one.
int32_t NextHeaderPosition(int32_t entryPos);
