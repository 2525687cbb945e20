// The block decoders of deflate: the block header, stored blocks, blocks with the
// fixed codes and with dynamic codes, and the one loop that decodes their codes.
#pragma once

#include "inflate/huffman.h"
#include "platform/types.h"

// Results of the block routines: 0, or the decoding error that ended the entry.
enum InflateResult : int32_t {
  kInflateOk = 0,
  kBadBlockType,       // block type 3
  kBadStoredLength,    // NLEN is not the one's complement of LEN
  kBadCodeLengthCode,  // incomplete, over-subscribed or empty code-length code
  kBadLengthRun,       // a run of code lengths past nl + nd
  kBadLiteralCode,     // incomplete, over-subscribed or empty literal/length code
  kBadDistanceCode,    // over-subscribed distance code
  kInvalidCode,        // a code that no symbol owns, or symbols 286, 287, 30, 31
  kNoDistanceCode,     // a length in a block whose distance code is empty
  kInputExhausted,     // bits consumed past the end of the entry's data
};

extern HuffmanEntry* fixedLiteralTable;
extern HuffmanEntry* fixedDistanceTable;
// Allocation list of the two fixed tables, released when the entry ends.
extern HuffmanEntry* fixedTableList;

extern const uint8_t codeLengthOrder[19];

const uint32_t kFixedLiteralWidth = 7;
const uint32_t kFixedDistanceWidth = 5;

InflateResult InflateBlock(int32_t& last);
InflateResult InflateStored();
InflateResult InflateFixed();
InflateResult InflateDynamic();
InflateResult InflateCodes(const HuffmanEntry* literalTable, const HuffmanEntry* distanceTable,
                           uint32_t literalWidth, uint32_t distanceWidth);

// Decodes the whole entry as Inflate does and tells how it ended.
InflateResult InflateEntry();
