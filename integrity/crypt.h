// Traditional PKWARE encryption: the three keys, the keystream and the password
// check against an entry's 12-byte encryption header.
#pragma once

#include "platform/types.h"

struct CryptKeys {
  uint32_t key0;
  uint32_t key1;
  uint32_t key2;
};
extern CryptKeys cryptKeys;

const int32_t kEncryptionHeaderSize = 12;

void InitKeys(const char* password);
void UpdateKeys(uint8_t plain);
uint8_t DecryptByte();
// work holds 2n bytes: the encrypted header in n..2n-1, which stays untouched, so
// several passwords can be tried on one reading; 0..n-1 receive the decrypted header.
// modTime carries the DOS time in its low 16 bits. An empty password never fits
// and leaves the keys alone; otherwise the keys stand behind the header afterwards.
bool CheckPassword(uint8_t* work, int32_t n, uint16_t flags, uint32_t crc, uint32_t modTime,
                   const char* password);
