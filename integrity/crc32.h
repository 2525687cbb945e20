// CRC-32 of the ZIP format (reflected, polynomial 0xEDB88320), table-driven.
#pragma once

#include "platform/types.h"

// 256 entries in a 1028-byte heap block that start-up allocates; BuildCrcTable fills it.
extern uint32_t* crcTable;

void BuildCrcTable();
uint32_t UpdateCrc(uint8_t b, uint32_t crc);
// Runs UpdateCrc over the first count bytes of buffer; count <= 0 changes nothing.
void UpdateCrcBuffer(const uint8_t* buffer, int32_t count, uint32_t& crc);
