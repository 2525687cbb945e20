// Multi-level lookup tables for the canonical Huffman codes of deflate, and the
// constant base and extra-bit tables of its length and distance symbols.
#pragma once

#include "platform/types.h"

// op values of a table entry; 0..13 is a length or distance symbol with op extra bits.
const int8_t kOpEndOfBlock = 15;
const int8_t kOpLiteral = 16;
const int8_t kOpInvalid = 99;  // above 16 like a link, so one test in the decoder catches both

struct HuffmanEntry {
  int8_t op;       // see above; 17..32 is a link to a subtable indexed by op - 16 bits
  uint8_t bits;    // code bits resolved at this level; for a link, its table's index width
  uint16_t value;  // literal or base value
  HuffmanEntry* link;
};

// Results of BuildHuffmanTable.
const int32_t kCodeComplete = 0;  // also: no code at all, or one code of length 1
const int32_t kCodeIncomplete = 1;
const int32_t kCodeOverSubscribed = 2;

const uint32_t kMaxSymbols = 288;
const uint32_t kMaxCodeLength = 16;
// Entries in distanceBase; symbols from here on (30, 31) decode as invalid.
const uint32_t kBaseEntries = 30;

extern const uint16_t lengthBase[31];
extern const uint8_t lengthExtraBits[31];
extern const uint16_t distanceBase[30];
extern const uint8_t distanceExtraBits[30];

// Builds the table of the code given by n code lengths (0 = no code). Symbols
// below s decode to themselves, the others to base/extra[sym - s]. Every block it
// allocates is pushed on list; root receives the first-level table, width (the
// wished index width on entry) the width it was built with.
int32_t BuildHuffmanTable(const uint16_t* lengths, uint32_t n, uint32_t s, const uint16_t* base,
                          const uint8_t* extra, HuffmanEntry*& root, HuffmanEntry*& list,
                          uint32_t& width);

// Releases every table on the list; returns null for the caller's list head.
HuffmanEntry* FreeHuffmanTables(HuffmanEntry* head);
