// Reads the central directory of a ZIP archive held in memory, for qpsfx wrap.
// Zip64 archives and archives spread over several disks are refused: the stub
// reads neither.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct CentralEntry {
  std::string record;  // the record as it stands: 46 bytes, name, extra field, comment
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc32 = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint32_t localOffset = 0;  // as stored; add ZipDirectory::offsetShift for the true position
  std::string name;
};

struct ZipDirectory {
  std::vector<CentralEntry> entries;
  uint64_t centralStart = 0;  // where the central directory really begins
  // What the archive's offsets lack: the bytes in front of the archive that its
  // maker did not count (0 for a plain ZIP file).
  int64_t offsetShift = 0;
  std::string comment;
};

// False with a message when the archive cannot be read or uses Zip64.
bool ReadZipDirectory(const std::string& bytes, ZipDirectory& directory, std::string& error);

// True when the extra field holds a Zip64 record (header id 1).
bool HasZip64Extra(const unsigned char* extra, size_t size);
