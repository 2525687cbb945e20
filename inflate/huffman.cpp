#include "inflate/huffman.h"

#include "platform/memory.h"

// RFC 1951 section 3.2.5. The two trailing length entries give symbols 286 and
// 287 an invalid op, should a code assign them a length.
const uint16_t lengthBase[31] = {3,  4,   5,   6,   7,   8,   9,   10, 11, 13, 15,
                                 17, 19,  23,  27,  31,  35,  43,  51, 59, 67, 83,
                                 99, 115, 131, 163, 195, 227, 258, 0,  0};
const uint8_t lengthExtraBits[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,  2, 2,
                                     3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};
const uint16_t distanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t distanceExtraBits[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

static inline uint32_t LowBits(uint32_t value, uint32_t n) { return value & ((1u << n) - 1); }

int32_t BuildHuffmanTable(const uint16_t* lengths, uint32_t n, uint32_t s, const uint16_t* base,
                          const uint8_t* extra, HuffmanEntry*& root, HuffmanEntry*& list,
                          uint32_t& width) {
  // The end-of-block code must end exactly at a table's index width, so that
  // decoding it never asks for bits behind the end of the block.
  uint32_t endOfBlockLength = n > 256 ? lengths[256] : kMaxCodeLength;

  uint32_t count[kMaxCodeLength + 1];
  for (uint32_t len = 0; len <= kMaxCodeLength; ++len) count[len] = 0;
  for (uint32_t sym = 0; sym < n; ++sym) ++count[lengths[sym]];
  if (count[0] == n) {
    root = nullptr;
    width = 0;
    return kCodeComplete;
  }

  uint32_t kmin = 1;
  while (count[kmin] == 0) ++kmin;
  uint32_t kmax = kMaxCodeLength;
  while (count[kmax] == 0) --kmax;
  if (width < kmin) width = kmin;
  if (width > kmax) width = kmax;

  int32_t spare = 1 << kmin;
  for (uint32_t len = kmin; len < kmax; ++len) {
    spare -= static_cast<int32_t>(count[len]);
    if (spare < 0) return kCodeOverSubscribed;
    spare <<= 1;
  }
  spare -= static_cast<int32_t>(count[kmax]);
  if (spare < 0) return kCodeOverSubscribed;
  // Dummy codes of the longest length fill the code space, so that every table
  // entry is set; they decode as invalid.
  count[kmax] += static_cast<uint32_t>(spare);

  uint32_t offset[kMaxCodeLength + 1];
  offset[kmin] = 0;
  for (uint32_t len = kmin; len < kmax; ++len) offset[len + 1] = offset[len] + count[len];
  uint16_t sorted[kMaxSymbols];
  for (uint32_t sym = 0; sym < n; ++sym) {
    if (lengths[sym]) sorted[offset[lengths[sym]]++] = static_cast<uint16_t>(sym);
  }
  uint32_t symbols = n - count[0];

  HuffmanEntry* tables[kMaxCodeLength + 1];
  uint32_t widths[kMaxCodeLength + 1];
  uint32_t prefixes[kMaxCodeLength + 1];
  int32_t level = -1;
  uint32_t w = 0;             // bits resolved by the tables above the current one
  uint32_t currentWidth = 0;  // index width of the current table
  uint32_t code = 0;          // bit-reversed: the code's first bit is bit 0
  uint32_t index = 0;         // position in sorted; from symbols on, dummy codes
  for (uint32_t k = kmin; k <= kmax; ++k) {
    for (uint32_t left = count[k]; left > 0; --left, ++index) {
      while (k > w + currentWidth) {
        w += currentWidth;
        ++level;
        uint32_t limit = kmax - w < width ? kmax - w : width;
        uint32_t j = k - w;
        uint32_t f = 1u << j;
        if (f > left) {
          // Widen while the codes of the next lengths cannot fill the table.
          f -= left;
          uint32_t next = k;
          for (;;) {
            if (++j >= limit) break;
            f <<= 1;
            ++next;
            if (f <= count[next]) break;
            f -= count[next];
          }
        }
        if (w + j > endOfBlockLength && w < endOfBlockLength) j = endOfBlockLength - w;

        HuffmanEntry* block =
            static_cast<HuffmanEntry*>(AllocateMemory(((1u << j) + 1) * sizeof(HuffmanEntry)));
        block[0].link = list;
        HuffmanEntry* table = block + 1;
        list = table;
        tables[level] = table;
        widths[level] = j;
        currentWidth = j;
        prefixes[level] = LowBits(code, w);
        if (level == 0) {
          root = table;
        } else {
          uint32_t parentWidth = widths[level - 1];
          HuffmanEntry& linkEntry = tables[level - 1][LowBits(code, w) >> (w - parentWidth)];
          linkEntry.op = static_cast<int8_t>(16 + j);
          linkEntry.bits = static_cast<uint8_t>(parentWidth);
          linkEntry.value = 0;
          linkEntry.link = table;
        }
      }

      HuffmanEntry entry;
      entry.bits = static_cast<uint8_t>(k - w);
      entry.value = 0;
      entry.link = nullptr;
      if (index >= symbols) {
        entry.op = kOpInvalid;
      } else {
        uint32_t sym = sorted[index];
        if (sym < s) {
          entry.op = sym < 256 ? kOpLiteral : kOpEndOfBlock;
          entry.value = static_cast<uint16_t>(sym);
        } else if (sym - s >= kBaseEntries) {
          entry.op = kOpInvalid;
        } else {
          entry.op = static_cast<int8_t>(extra[sym - s]);
          entry.value = base[sym - s];
        }
      }
      HuffmanEntry* table = tables[level];
      for (uint32_t i = code >> w; i < (1u << currentWidth); i += 1u << (k - w)) table[i] = entry;

      uint32_t bit = 1u << (k - 1);
      while (code & bit) {
        code ^= bit;
        bit >>= 1;
      }
      code ^= bit;

      while (level > 0 && LowBits(code, w) != prefixes[level]) {
        --level;
        w -= widths[level];
        currentWidth = widths[level];
      }
    }
  }

  width = widths[0];
  return spare > 0 && kmax != 1 ? kCodeIncomplete : kCodeComplete;
}

HuffmanEntry* FreeHuffmanTables(HuffmanEntry* head) {
  while (head) {
    HuffmanEntry* block = head - 1;
    head = block->link;
    ReleaseMemory(block);
  }
  return nullptr;
}
