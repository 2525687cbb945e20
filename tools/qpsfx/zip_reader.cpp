#include "tools/qpsfx/zip_reader.h"

#include "tools/qpsfx/zip_format.h"

namespace {

const size_t kMaxCommentLength = 0xFFFF;
const size_t kZip64LocatorSize = 20;

const unsigned char* At(const std::string& bytes, size_t offset) {
  return reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
}

// The end record: the last one whose comment ends exactly at the end of the
// file, or failing that the last one whose comment fits in the file.
bool FindEndRecord(const std::string& bytes, size_t& found) {
  if (bytes.size() < kEndRecordSize) return false;
  size_t lowest = bytes.size() - kEndRecordSize;
  lowest = lowest > kMaxCommentLength ? lowest - kMaxCommentLength : 0;
  bool fallback = false;
  size_t fallbackAt = 0;
  for (size_t at = bytes.size() - kEndRecordSize + 1; at-- > lowest;) {
    if (GetLe32(At(bytes, at)) != kEndRecordSig) continue;
    size_t end = at + kEndRecordSize + GetLe16(At(bytes, at + 20));
    if (end == bytes.size()) {
      found = at;
      return true;
    }
    if (end < bytes.size() && !fallback) {
      fallback = true;
      fallbackAt = at;
    }
  }
  found = fallbackAt;
  return fallback;
}

}  // namespace

bool HasZip64Extra(const unsigned char* extra, size_t size) {
  size_t at = 0;
  while (at + 4 <= size) {
    uint16_t id = GetLe16(extra + at);
    uint16_t length = GetLe16(extra + at + 2);
    if (id == 0x0001) return true;
    at += 4 + length;
  }
  return false;
}

bool ReadZipDirectory(const std::string& bytes, ZipDirectory& directory, std::string& error) {
  size_t end = 0;
  if (!FindEndRecord(bytes, end)) {
    error = "no end of central directory record: not a ZIP archive";
    return false;
  }
  const unsigned char* record = At(bytes, end);
  uint16_t disk = GetLe16(record + 4);
  uint16_t centralDisk = GetLe16(record + 6);
  uint16_t diskEntries = GetLe16(record + 8);
  uint16_t entries = GetLe16(record + 10);
  uint32_t centralSize = GetLe32(record + 12);
  uint32_t centralOffset = GetLe32(record + 16);
  if ((end >= kZip64LocatorSize &&
       GetLe32(At(bytes, end - kZip64LocatorSize)) == kZip64LocatorSig) ||
      entries == 0xFFFF || centralSize == 0xFFFFFFFF || centralOffset == 0xFFFFFFFF) {
    error = "the archive has Zip64 records, which the stub does not read";
    return false;
  }
  if (disk != 0 || centralDisk != 0 || diskEntries != entries) {
    error = "the archive is spread over several disks";
    return false;
  }
  if (centralSize > end) {
    error = "the central directory is larger than the file";
    return false;
  }
  directory.centralStart = end - centralSize;
  directory.offsetShift =
      static_cast<int64_t>(directory.centralStart) - static_cast<int64_t>(centralOffset);
  directory.comment = bytes.substr(end + kEndRecordSize, GetLe16(record + 20));
  size_t at = directory.centralStart;
  for (uint32_t i = 0; i < entries; ++i) {
    if (at + kCentralHeaderSize > end || GetLe32(At(bytes, at)) != kCentralHeaderSig) {
      error = "the central directory is damaged at record " + std::to_string(i + 1);
      return false;
    }
    const unsigned char* p = At(bytes, at);
    size_t nameLength = GetLe16(p + 28);
    size_t extraLength = GetLe16(p + 30);
    size_t commentLength = GetLe16(p + 32);
    size_t size = kCentralHeaderSize + nameLength + extraLength + commentLength;
    if (at + size > end) {
      error = "the central directory is damaged at record " + std::to_string(i + 1);
      return false;
    }
    CentralEntry entry;
    entry.record = bytes.substr(at, size);
    entry.flags = GetLe16(p + 8);
    entry.method = GetLe16(p + 10);
    entry.crc32 = GetLe32(p + 16);
    entry.compressedSize = GetLe32(p + 20);
    entry.uncompressedSize = GetLe32(p + 24);
    entry.localOffset = GetLe32(p + 42);
    entry.name = bytes.substr(at + kCentralHeaderSize, nameLength);
    if (entry.compressedSize == 0xFFFFFFFF || entry.uncompressedSize == 0xFFFFFFFF ||
        entry.localOffset == 0xFFFFFFFF || GetLe16(p + 34) == 0xFFFF ||
        HasZip64Extra(p + kCentralHeaderSize + nameLength, extraLength)) {
      error = "entry " + entry.name + ": it has Zip64 records, which the stub does not read";
      return false;
    }
    directory.entries.push_back(std::move(entry));
    at += size;
  }
  return true;
}
