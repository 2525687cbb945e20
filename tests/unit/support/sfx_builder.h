// Builds SFX files and ZIP archives byte by byte for the tests, independently of
// the core: headers, data descriptors, deflate through zlib, and the traditional
// encryption written from the ZIP application note.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

struct ZipEntrySpec {
  std::string name;
  std::string data;          // the plain bytes of the entry
  uint16_t method = 0;       // 0 stored, 8 deflated (zlib, raw), anything else as given
  int level = 6;             // zlib level for method 8
  std::string password;      // not empty: traditional encryption
  uint16_t flags = 0;        // ORed into the header's flags (bit 0 and 3 are set as needed)
  std::string extra;         // the extra field
  bool streamed = false;     // bit 3, zero CRC and sizes in the header, descriptor behind the data
  int descriptorsAfter = 0;  // data descriptors (with signature) behind the data, true sizes kept
  std::optional<uint32_t> crc;         // overrides the CRC-32 written in the header
  std::optional<std::string> payload;  // overrides the compressed bytes (before encryption)
  uint16_t modTime = 0x6A4B;
  uint16_t modDate = 0x5B8C;
};

struct ZipLayout {
  std::string bytes;
  std::vector<uint32_t> headerOffsets;  // offset of each local header in bytes
};

// A ZIP archive of the entries, with central directory and end record unless
// centralDirectory is false. Offsets in the central directory count from base.
ZipLayout BuildZip(const std::vector<ZipEntrySpec>& entries, bool centralDirectory = true,
                   uint32_t base = 0);

// A configuration block: "@QP", flags, the three lengths, the texts, '.' filler to 256 bytes.
std::string BuildConfigBlock(uint8_t flags, const std::string& intro, const std::string& folder,
                             const std::string& command);

// The stub's place (0x7C00 bytes; zeros unless image is given), then block and archive.
std::string BuildSfx(const std::string& block, const std::string& archive,
                     const std::string& image = std::string());

std::string RawDeflate(const std::string& data, int level = 6, int strategy = 0);
uint32_t ZipCrc(const std::string& data);
// Encrypts payload behind a 12-byte header whose last byte is checkByte.
std::string TraditionalEncrypt(const std::string& payload, const std::string& password,
                               uint8_t checkByte, uint32_t seed = 1);

std::string RandomBytes(size_t size, uint32_t seed);
// Text-like bytes that compress well but not trivially.
std::string TextLikeBytes(size_t size, uint32_t seed);

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);

// A fresh folder below the system's temporary folder, removed with its content.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path;
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

// Runs a shell command; returns its exit status.
int RunCommand(const std::string& command);
bool HaveProgram(const std::string& name);

// Opens an SFX file as the stub does at start-up (StartUp), and shuts down at the end.
struct OpenSfx {
  explicit OpenSfx(const std::string& path);
  ~OpenSfx();
  bool opened;
};

// An entry of the given name and plain bytes, everything else as ZipEntrySpec sets it.
inline ZipEntrySpec MakeEntry(const std::string& name, const std::string& data,
                              uint16_t method = 0) {
  ZipEntrySpec entry;
  entry.name = name;
  entry.data = data;
  entry.method = method;
  return entry;
}
