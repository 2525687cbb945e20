#include "integrity/crypt.h"

#include "integrity/crc32.h"

CryptKeys cryptKeys;

void InitKeys(const char* password) {
  cryptKeys.key0 = 0x12345678u;
  cryptKeys.key1 = 0x23456789u;
  cryptKeys.key2 = 0x34567890u;
  for (const char* p = password; *p; ++p) UpdateKeys(static_cast<uint8_t>(*p));
}

void UpdateKeys(uint8_t plain) {
  cryptKeys.key0 = UpdateCrc(plain, cryptKeys.key0);
  cryptKeys.key1 = (cryptKeys.key1 + (cryptKeys.key0 & 0xFF)) * 0x08088405u + 1;
  cryptKeys.key2 = UpdateCrc(static_cast<uint8_t>(cryptKeys.key1 >> 24), cryptKeys.key2);
}

uint8_t DecryptByte() {
  uint32_t t = (cryptKeys.key2 & 0xFFFF) | 2;
  return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
}

bool CheckPassword(uint8_t* work, int32_t n, uint16_t flags, uint32_t crc, uint32_t modTime,
                   const char* password) {
  if (!password || !*password) return false;
  InitKeys(password);
  for (int32_t i = 0; i < n; ++i) {
    uint8_t plain = work[n + i] ^ DecryptByte();
    UpdateKeys(plain);
    work[i] = plain;
  }
  uint8_t check = work[n - 1];
  if (flags & 0x0008) return check == static_cast<uint8_t>((modTime & 0xFFFF) >> 8);
  return check == static_cast<uint8_t>(crc >> 24);
}
