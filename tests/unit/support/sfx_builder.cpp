#include "tests/unit/support/sfx_builder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/posix/posix_host.h"
#include "startup/startup.h"

namespace {

void Put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

struct Keys {
  uint32_t k0 = 0x12345678u, k1 = 0x23456789u, k2 = 0x34567890u;
  static uint32_t Crc(uint32_t crc, uint8_t b) {
    return static_cast<uint32_t>(get_crc_table()[(crc ^ b) & 0xFF]) ^ (crc >> 8);
  }
  void Update(uint8_t c) {
    k0 = Crc(k0, c);
    k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
    k2 = Crc(k2, static_cast<uint8_t>(k1 >> 24));
  }
  uint8_t Stream() const {
    uint32_t t = (k2 & 0xFFFF) | 2;  // uint16_t would multiply as int and overflow
    return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
  }
};

}  // namespace

uint32_t ZipCrc(const std::string& data) {
  return static_cast<uint32_t>(
      crc32(0L, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string RawDeflate(const std::string& data, int level, int strategy) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, -15, 9, strategy) != Z_OK) {
    throw std::runtime_error("deflateInit2");
  }
  std::string out(deflateBound(&z, data.size()) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string TraditionalEncrypt(const std::string& payload, const std::string& password,
                               uint8_t checkByte, uint32_t seed) {
  Keys keys;
  for (unsigned char c : password) keys.Update(c);
  std::string plain = RandomBytes(11, seed);
  plain += static_cast<char>(checkByte);
  plain += payload;
  std::string out;
  out.reserve(plain.size());
  for (unsigned char c : plain) {
    out += static_cast<char>(c ^ keys.Stream());
    keys.Update(c);
  }
  return out;
}

ZipLayout BuildZip(const std::vector<ZipEntrySpec>& entries, bool centralDirectory,
                   uint32_t base) {
  ZipLayout layout;
  std::string central;
  for (const ZipEntrySpec& e : entries) {
    uint32_t crc = e.crc ? *e.crc : ZipCrc(e.data);
    std::string payload;
    if (e.payload) {
      payload = *e.payload;
    } else if (e.method == 8) {
      payload = RawDeflate(e.data, e.level);
    } else {
      payload = e.data;
    }
    uint16_t flags = e.flags;
    if (!e.password.empty()) flags |= 1;
    if (e.streamed) flags |= 8;
    if (!e.password.empty()) {
      uint8_t check = (flags & 8) ? static_cast<uint8_t>(e.modTime >> 8)
                                  : static_cast<uint8_t>(crc >> 24);
      payload = TraditionalEncrypt(payload, e.password, check);
    }
    uint32_t offset = static_cast<uint32_t>(layout.bytes.size());
    layout.headerOffsets.push_back(offset);
    std::string& out = layout.bytes;
    Put32(out, 0x04034B50u);
    Put16(out, 20);
    Put16(out, flags);
    Put16(out, e.method);
    Put16(out, e.modTime);
    Put16(out, e.modDate);
    Put32(out, e.streamed ? 0 : crc);
    Put32(out, e.streamed ? 0 : static_cast<uint32_t>(payload.size()));
    Put32(out, e.streamed ? 0 : static_cast<uint32_t>(e.data.size()));
    Put16(out, static_cast<uint32_t>(e.name.size()));
    Put16(out, static_cast<uint32_t>(e.extra.size()));
    out += e.name;
    out += e.extra;
    out += payload;
    int descriptors = e.descriptorsAfter + (e.streamed ? 1 : 0);
    for (int i = 0; i < descriptors; ++i) {
      Put32(out, 0x08074B50u);
      Put32(out, crc);
      Put32(out, static_cast<uint32_t>(payload.size()));
      Put32(out, static_cast<uint32_t>(e.data.size()));
    }
    Put32(central, 0x02014B50u);
    Put16(central, 20);
    Put16(central, 20);
    Put16(central, flags);
    Put16(central, e.method);
    Put16(central, e.modTime);
    Put16(central, e.modDate);
    Put32(central, crc);
    Put32(central, static_cast<uint32_t>(payload.size()));
    Put32(central, static_cast<uint32_t>(e.data.size()));
    Put16(central, static_cast<uint32_t>(e.name.size()));
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0);
    Put32(central, base + offset);
    central += e.name;
  }
  if (centralDirectory) {
    uint32_t centralOffset = base + static_cast<uint32_t>(layout.bytes.size());
    layout.bytes += central;
    Put32(layout.bytes, 0x06054B50u);
    Put16(layout.bytes, 0);
    Put16(layout.bytes, 0);
    Put16(layout.bytes, static_cast<uint32_t>(entries.size()));
    Put16(layout.bytes, static_cast<uint32_t>(entries.size()));
    Put32(layout.bytes, static_cast<uint32_t>(central.size()));
    Put32(layout.bytes, centralOffset);
    Put16(layout.bytes, 0);
  }
  return layout;
}

std::string BuildConfigBlock(uint8_t flags, const std::string& intro, const std::string& folder,
                             const std::string& command) {
  std::string block = "@QP";
  block += static_cast<char>(flags);
  block += static_cast<char>(intro.size());
  block += static_cast<char>(folder.size());
  block += static_cast<char>(command.size());
  block += intro + folder + command;
  if (block.size() < 256) block.append(256 - block.size(), '.');
  return block;
}

std::string BuildSfx(const std::string& block, const std::string& archive,
                     const std::string& image) {
  std::string sfx = image.empty() ? std::string(0x7C00, '\0') : image;
  return sfx + block + archive;
}

std::string RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(random() & 0xFF);
  return out;
}

std::string TextLikeBytes(size_t size, uint32_t seed) {
  static const char* words[] = {"the ", "archive ", "entry ", "window ", "folder ", "of ",
                                "Quillpack ", "stored ", "deflate ", "and ", "\r\n", "1234 "};
  std::mt19937 random(seed);
  std::string out;
  while (out.size() < size) out += words[random() % 12];
  out.resize(size);
  return out;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

TempDir::TempDir() {
  const char* root = getenv("TMPDIR");
  std::string pattern = std::string(root && *root ? root : "/tmp") + "/qp-test-XXXXXX";
  if (!mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp");
  path = pattern;
}

TempDir::~TempDir() { RunCommand("rm -rf '" + path + "'"); }

int RunCommand(const std::string& command) {
  int status = system(command.c_str());
  if (status == -1) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool HaveProgram(const std::string& name) {
  return RunCommand("command -v " + name + " >/dev/null 2>&1") == 0;
}

OpenSfx::OpenSfx(const std::string& path) {
  SetProgramPath(path);
  opened = StartUp();
}

OpenSfx::~OpenSfx() { ShutDown(); }
