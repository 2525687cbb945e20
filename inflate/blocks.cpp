#include "inflate/blocks.h"

#include <string.h>

#include "inflate/inflate_input.h"

HuffmanEntry* fixedLiteralTable;
HuffmanEntry* fixedDistanceTable;
HuffmanEntry* fixedTableList;

// RFC 1951 section 3.2.7.
const uint8_t codeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                     11, 4,  12, 3, 13, 2, 14, 1, 15};

// The next n bits of the stream as a number, taken from it.
static uint32_t TakeBits(uint32_t n, uint32_t& b, uint32_t& k) {
  NeedBits(n, b, k);
  uint32_t value = b & bitMasks[n];
  DumpBits(n, b, k);
  return value;
}

InflateResult InflateBlock(int32_t& last) {
  uint32_t b = bitBuffer;
  uint32_t k = bitCount;
  last = static_cast<int32_t>(TakeBits(1, b, k));
  uint32_t type = TakeBits(2, b, k);
  bitBuffer = b;
  bitCount = static_cast<uint16_t>(k);
  switch (type) {
    case 0:
      return InflateStored();
    case 1:
      return InflateFixed();
    case 2:
      return InflateDynamic();
    default:
      return kBadBlockType;
  }
}

InflateResult InflateStored() {
  uint32_t b = bitBuffer;
  uint32_t k = bitCount;
  uint32_t w = windowPos;
  DumpBits(k & 7, b, k);
  uint32_t length = TakeBits(16, b, k);
  uint32_t complement = TakeBits(16, b, k);
  if (length != (~complement & 0xFFFF)) return kBadStoredLength;
  while (length--) {
    window[w++] = static_cast<uint8_t>(TakeBits(8, b, k));
    if (w == kWindowSize) {
      if (ConsumedPastEnd(k)) return kInputExhausted;
      FlushWindow(kWindowSize);
      w = 0;
    }
  }
  windowPos = static_cast<uint16_t>(w);
  bitBuffer = b;
  bitCount = static_cast<uint16_t>(k);
  return kInflateOk;
}

InflateResult InflateFixed() {
  if (!fixedLiteralTable) {
    // RFC 1951 section 3.2.6.
    uint16_t lengths[kMaxSymbols];
    uint32_t sym = 0;
    for (; sym < 144; ++sym) lengths[sym] = 8;
    for (; sym < 256; ++sym) lengths[sym] = 9;
    for (; sym < 280; ++sym) lengths[sym] = 7;
    for (; sym < kMaxSymbols; ++sym) lengths[sym] = 8;
    uint32_t width = kFixedLiteralWidth;
    BuildHuffmanTable(lengths, kMaxSymbols, 257, lengthBase, lengthExtraBits, fixedLiteralTable,
                      fixedTableList, width);
    for (sym = 0; sym < 30; ++sym) lengths[sym] = 5;
    width = kFixedDistanceWidth;
    // Incomplete (30 of 32 codes), which a distance code may be.
    BuildHuffmanTable(lengths, 30, 0, distanceBase, distanceExtraBits, fixedDistanceTable,
                      fixedTableList, width);
  }
  return InflateCodes(fixedLiteralTable, fixedDistanceTable, kFixedLiteralWidth,
                      kFixedDistanceWidth);
}

// Reads the code-length code and with it the nl + nd code lengths into lengths.
static InflateResult ReadCodeLengths(uint16_t* lengths, uint32_t n) {
  uint32_t b = bitBuffer;
  uint32_t k = bitCount;
  HuffmanEntry* list = nullptr;
  HuffmanEntry* table = nullptr;
  uint32_t width = 7;
  int32_t built = BuildHuffmanTable(lengths, 19, 19, nullptr, nullptr, table, list, width);
  InflateResult result = kInflateOk;
  if (built != kCodeComplete || !table) result = kBadCodeLengthCode;
  uint32_t i = 0;
  uint32_t previous = 0;
  while (result == kInflateOk && i < n) {
    NeedBits(width, b, k);
    const HuffmanEntry& entry = table[b & bitMasks[width]];
    DumpBits(entry.bits, b, k);
    // Only a code-length code of one single code leaves an entry unassigned.
    if (entry.op == kOpInvalid) {
      result = kInvalidCode;
      break;
    }
    uint32_t sym = entry.value;
    if (sym < 16) {
      lengths[i++] = static_cast<uint16_t>(sym);
      previous = sym;
      continue;
    }
    uint32_t run;
    uint32_t value = 0;
    if (sym == 16) {
      run = 3 + TakeBits(2, b, k);
      value = previous;
    } else if (sym == 17) {
      run = 3 + TakeBits(3, b, k);
    } else {
      run = 11 + TakeBits(7, b, k);
    }
    previous = value;
    if (i + run > n) {
      result = kBadLengthRun;
      break;
    }
    while (run--) lengths[i++] = static_cast<uint16_t>(value);
  }
  FreeHuffmanTables(list);
  bitBuffer = b;
  bitCount = static_cast<uint16_t>(k);
  return result;
}

InflateResult InflateDynamic() {
  uint32_t b = bitBuffer;
  uint32_t k = bitCount;
  uint32_t nl = 257 + TakeBits(5, b, k);
  uint32_t nd = 1 + TakeBits(5, b, k);
  uint32_t nb = 4 + TakeBits(4, b, k);

  // 288 literal/length and 32 distance lengths; first the 19 of the code-length code.
  uint16_t lengths[kMaxSymbols + 32];
  for (uint32_t j = 0; j < 19; ++j) {
    lengths[codeLengthOrder[j]] = static_cast<uint16_t>(j < nb ? TakeBits(3, b, k) : 0);
  }
  bitBuffer = b;
  bitCount = static_cast<uint16_t>(k);

  InflateResult result = ReadCodeLengths(lengths, nl + nd);
  if (result != kInflateOk) return result;

  HuffmanEntry* literalList = nullptr;
  HuffmanEntry* literalTable = nullptr;
  uint32_t literalWidth = 9;
  int32_t built = BuildHuffmanTable(lengths, nl, 257, lengthBase, lengthExtraBits, literalTable,
                                    literalList, literalWidth);
  if (built != kCodeComplete || !literalTable) {
    FreeHuffmanTables(literalList);
    return kBadLiteralCode;
  }
  HuffmanEntry* distanceList = nullptr;
  HuffmanEntry* distanceTable = nullptr;
  uint32_t distanceWidth = 6;
  built = BuildHuffmanTable(lengths + nl, nd, 0, distanceBase, distanceExtraBits, distanceTable,
                            distanceList, distanceWidth);
  if (built == kCodeOverSubscribed) {
    result = kBadDistanceCode;
  } else {
    result = InflateCodes(literalTable, distanceTable, literalWidth, distanceWidth);
  }
  FreeHuffmanTables(distanceList);
  FreeHuffmanTables(literalList);
  return result;
}

// Copies piece bytes from window position d to w, forward, so that a copy that
// overlaps its own output repeats the pattern.
static inline void CopyPiece(uint8_t* out, uint32_t w, uint32_t d, uint32_t piece) {
#ifdef QP_STUB
  if (static_cast<int32_t>(w - d) >= static_cast<int32_t>(piece)) {
    memcpy(out + w, out + d, piece);  // the source lies wholly before the destination
  } else {
    do out[w++] = out[d++];
    while (--piece);
  }
#else
  // Eight bytes a step when source and destination lie at least eight apart:
  // each step loads bytes that are final (a source behind the destination) or
  // not yet overwritten (a source ahead of it), before it stores.
  uint8_t* to = out + w;
  const uint8_t* from = out + d;
  int32_t distance = static_cast<int32_t>(w - d);
  if (distance == 1) {
    memset(to, *from, piece);
    return;
  }
  if (distance >= 8 || distance <= -8) {
    if (piece >= 8) {
      for (; piece > 8; piece -= 8, to += 8, from += 8) {
        uint64_t chunk;
        memcpy(&chunk, from, 8);
        memcpy(to, &chunk, 8);
      }
      // The last eight bytes, overlapping those done: a byte written again gets
      // its own value again, and nothing behind the piece is touched.
      uint64_t chunk;
      memcpy(&chunk, from + piece - 8, 8);
      memcpy(to + piece - 8, &chunk, 8);
      return;
    }
    if (piece >= 4) {
      // Shorter than the distance: the first and the last four bytes.
      uint32_t head, tail;
      memcpy(&head, from, 4);
      memcpy(&tail, from + piece - 4, 4);
      memcpy(to, &head, 4);
      memcpy(to + piece - 4, &tail, 4);
      return;
    }
  }
  for (; piece; --piece) *to++ = *from++;
#endif
}

// From the entry the first lookup found, down the links of a code longer than
// its table's index width, consuming the code's bits; null for an invalid code.
static inline const HuffmanEntry* FollowLinks(const HuffmanEntry* entry, uint32_t& b, uint32_t& k,
                                              InputCursor& in) {
  while (entry->op > kOpLiteral) {
    if (entry->op == kOpInvalid) return nullptr;
    DumpBits(entry->bits, b, k);
    uint32_t t = static_cast<uint32_t>(entry->op - 16);
    NeedBits(t, b, k, in);
    entry = entry->link + (b & bitMasks[t]);
  }
  DumpBits(entry->bits, b, k);
  return entry;
}

InflateResult InflateCodes(const HuffmanEntry* literalTable, const HuffmanEntry* distanceTable,
                           uint32_t literalWidth, uint32_t distanceWidth) {
  uint32_t b = bitBuffer;
  uint32_t k = bitCount;
  uint32_t w = windowPos;
  uint8_t* out = window;
  InputCursor in = OpenInput();
  uint32_t literalMask = bitMasks[literalWidth];
  uint32_t distanceMask = bitMasks[distanceWidth];
  InflateResult result = kInflateOk;
  for (;;) {
    NeedBits(literalWidth, b, k, in);
    const HuffmanEntry* entry = FollowLinks(literalTable + (b & literalMask), b, k, in);
    if (!entry) {
      result = kInvalidCode;
      goto done;
    }

    if (entry->op == kOpLiteral) {
      out[w++] = static_cast<uint8_t>(entry->value);
      if (w == kWindowSize) {
        // Each code yields output, so this check bounds a block that runs on
        // into the one bits behind the end of the data.
        if (ConsumedPastEnd(k)) {
          result = kInputExhausted;
          goto done;
        }
        FlushWindow(kWindowSize);
        w = 0;
      }
      continue;
    }
    if (entry->op == kOpEndOfBlock) break;

    if (!distanceTable) {
      result = kNoDistanceCode;
      goto done;
    }
    uint32_t op = static_cast<uint32_t>(entry->op);
    // The extra bits and the distance lookup at once: the same bytes enter the
    // buffer as with one request after the other, as nothing happens between.
    NeedBits(op + distanceWidth, b, k, in);
    uint32_t length = entry->value + (b & bitMasks[op]);
    DumpBits(op, b, k);
    entry = FollowLinks(distanceTable + (b & distanceMask), b, k, in);
    if (!entry) {
      result = kInvalidCode;
      goto done;
    }
    op = static_cast<uint32_t>(entry->op);
    NeedBits(op, b, k, in);
    // Positions wrap: a distance reaching before the window's start takes the
    // bytes at the end of the window.
    uint32_t d = (w - entry->value - (b & bitMasks[op])) & 0xFFFF;
    DumpBits(op, b, k);

    d &= kWindowSize - 1;
    if ((d > w ? d : w) + length < kWindowSize) {
      // Neither end reaches the window's end: one piece, and no write.
      CopyPiece(out, w, d, length);
      w += length;
      continue;
    }
    // Pieces that end at the window's end or at the source's wrap point.
    do {
      d &= kWindowSize - 1;
      uint32_t piece = kWindowSize - (d > w ? d : w);
      if (piece > length) piece = length;
      length -= piece;
      CopyPiece(out, w, d, piece);
      w += piece;
      d += piece;
      if (w == kWindowSize) {
        if (ConsumedPastEnd(k)) {
          result = kInputExhausted;
          goto done;
        }
        FlushWindow(kWindowSize);
        w = 0;
      }
    } while (length > 0);
  }
  windowPos = static_cast<uint16_t>(w);
  bitBuffer = b;
  bitCount = static_cast<uint16_t>(k);
done:
  SyncInput(in.next);
  return result;
}
