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

#ifdef QP_STUB
void UpdateCrcBuffer(const uint8_t* buffer, int32_t count, uint32_t& crc) {
  uint32_t c = crc;
  for (int32_t i = 0; i < count; ++i) c = UpdateCrc(buffer[i], c);
  crc = c;
}
#else
// The host build takes eight bytes a step (slicing by eight): sliceTables[j][i]
// is the register after byte i followed by j zero bytes, so the eight lookups of
// one step together equal eight byte steps. The same CRC, a third of the work.
static uint32_t sliceTables[8][256];
static bool sliceTablesBuilt;

static void BuildSliceTables() {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    sliceTables[0][i] = c;
  }
  for (int j = 1; j < 8; ++j) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = sliceTables[j - 1][i];
      sliceTables[j][i] = sliceTables[0][c & 0xFF] ^ (c >> 8);
    }
  }
  sliceTablesBuilt = true;
}

void UpdateCrcBuffer(const uint8_t* buffer, int32_t count, uint32_t& crc) {
  uint32_t c = crc;
  if (count >= 16) {
    if (!sliceTablesBuilt) BuildSliceTables();
    const uint32_t(*t)[256] = sliceTables;
    for (; count >= 8; count -= 8, buffer += 8) {
      uint32_t low = c ^ (buffer[0] | buffer[1] << 8 | buffer[2] << 16 |
                          static_cast<uint32_t>(buffer[3]) << 24);
      uint32_t high =
          buffer[4] | buffer[5] << 8 | buffer[6] << 16 | static_cast<uint32_t>(buffer[7]) << 24;
      c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
          t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^
          t[0][high >> 24];
    }
  }
  for (int32_t i = 0; i < count; ++i) c = UpdateCrc(buffer[i], c);
  crc = c;
}
#endif
