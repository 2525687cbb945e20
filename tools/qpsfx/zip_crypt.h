// Traditional PKWARE encryption as the ZIP application note describes it, for
// writing encrypted entries, and the source of the random encryption headers.
#pragma once

#include <stdint.h>

#include <random>
#include <string>

// Bytes for the encryption headers: the system's random source, or, when a seed
// is given, a fixed sequence, so that tests can compare two runs.
class HeaderRandom {
 public:
  HeaderRandom() = default;
  explicit HeaderRandom(uint64_t seed) : seeded_(true), generator_(seed) {}
  // False when the system's random source fails.
  bool Fill(unsigned char* out, size_t count);

 private:
  bool seeded_ = false;
  std::mt19937_64 generator_;
};

// The 12-byte encryption header, whose last plain byte is checkByte (the high
// byte of the entry's CRC-32), followed by the encrypted payload.
std::string EncryptEntryData(const std::string& payload, const std::string& password,
                             uint8_t checkByte, const unsigned char (&headerRandom)[11]);
