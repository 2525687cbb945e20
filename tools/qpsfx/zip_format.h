// ZIP record layouts as qpsfx writes and reads them: little-endian field
// helpers, the record signatures, the fields of one entry, and DOS times.
#pragma once

#include <stdint.h>

#include <string>

const uint32_t kLocalHeaderSig = 0x04034B50;
const uint32_t kCentralHeaderSig = 0x02014B50;
const uint32_t kEndRecordSig = 0x06054B50;
const uint32_t kDataDescriptorSig = 0x08074B50;
const uint32_t kZip64EndRecordSig = 0x06064B50;
const uint32_t kZip64LocatorSig = 0x07064B50;

const size_t kLocalHeaderSize = 30;
const size_t kCentralHeaderSize = 46;
const size_t kEndRecordSize = 22;

const uint16_t kFlagEncrypted = 0x0001;
const uint16_t kFlagDataDescriptor = 0x0008;
const uint16_t kFlagStrongEncryption = 0x0040;

// The stub keeps sizes and positions in signed 32-bit variables, so the whole
// SFX file must stay below 2 GiB.
const uint64_t kMaxSfxFileSize = 0x7FFFFFFF;

inline void PutLe16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

inline void PutLe32(std::string& out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

inline uint16_t GetLe16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t GetLe32(const unsigned char* p) {
  return static_cast<uint32_t>(GetLe16(p)) | (static_cast<uint32_t>(GetLe16(p + 2)) << 16);
}

inline void SetLe32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The fields that a local header and its central directory record share.
struct EntryFields {
  uint16_t versionNeeded = 20;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t modTime = 0;
  uint16_t modDate = 0;
  uint32_t crc32 = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  std::string name;
  uint32_t externalAttributes = 0;
};

std::string LocalHeaderBytes(const EntryFields& entry);
std::string CentralRecordBytes(const EntryFields& entry, uint32_t localHeaderOffset);
std::string EndRecordBytes(uint32_t entries, uint32_t centralSize, uint32_t centralOffset,
                           const std::string& comment);

struct DosDateTime {
  uint16_t time;
  uint16_t date;
};

// Seconds since 1970 as DOS wall-clock time, in local time or UTC; clamped to the
// range DOS dates can hold (1980 to 2107), seconds rounded down to even.
DosDateTime DosTimeFromUnix(int64_t seconds, bool utc);
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS]" (or with 'T') taken as wall-clock time,
// or a count of seconds since 1970 taken as UTC. False when the text is neither
// or lies outside 1980..2107.
bool ParseDosTime(const std::string& text, DosDateTime& result);
