#include "integrity/crc32.h"

uint32_t* crcTable;

void BuildCrcTable() {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    crcTable[i] = c;
  }
}

uint32_t UpdateCrc(uint8_t b, uint32_t crc) { return crcTable[(crc ^ b) & 0xFF] ^ (crc >> 8); }

void UpdateCrcBuffer(const uint8_t* buffer, int32_t count, uint32_t& crc) {
  uint32_t c = crc;
  for (int32_t i = 0; i < count; ++i) c = UpdateCrc(buffer[i], c);
  crc = c;
}
