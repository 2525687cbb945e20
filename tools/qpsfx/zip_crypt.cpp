#include "tools/qpsfx/zip_crypt.h"

#include <sys/random.h>

namespace {

struct CrcTable {
  uint32_t entries[256];
  CrcTable() {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
  }
};

uint32_t CrcByte(uint32_t crc, uint8_t b) {
  static const CrcTable table;
  return table.entries[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

class Cipher {
 public:
  explicit Cipher(const std::string& password) {
    for (unsigned char c : password) Update(c);
  }
  uint8_t Encrypt(uint8_t plain) {
    uint8_t cipher = plain ^ Stream();
    Update(plain);
    return cipher;
  }

 private:
  void Update(uint8_t plain) {
    key0_ = CrcByte(key0_, plain);
    key1_ = (key1_ + (key0_ & 0xFF)) * 0x08088405u + 1;
    key2_ = CrcByte(key2_, static_cast<uint8_t>(key1_ >> 24));
  }
  uint8_t Stream() const {
    uint32_t t = (key2_ & 0xFFFF) | 2;
    return static_cast<uint8_t>(((t * (t ^ 1)) >> 8) & 0xFF);
  }
  uint32_t key0_ = 0x12345678u;
  uint32_t key1_ = 0x23456789u;
  uint32_t key2_ = 0x34567890u;
};

}  // namespace

bool HeaderRandom::Fill(unsigned char* out, size_t count) {
  if (seeded_) {
    for (size_t i = 0; i < count; ++i) out[i] = static_cast<unsigned char>(generator_() >> 56);
    return true;
  }
  size_t done = 0;
  while (done < count) {
    ssize_t got = getrandom(out + done, count - done, 0);
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

std::string EncryptEntryData(const std::string& payload, const std::string& password,
                             uint8_t checkByte, const unsigned char (&headerRandom)[11]) {
  Cipher cipher(password);
  std::string out;
  out.reserve(12 + payload.size());
  for (unsigned char b : headerRandom) out += static_cast<char>(cipher.Encrypt(b));
  out += static_cast<char>(cipher.Encrypt(checkByte));
  for (unsigned char b : payload) out += static_cast<char>(cipher.Encrypt(b));
  return out;
}
