// The table builder: shapes of the fixed codes, the corner cases of the result
// and the width, and for random codes that every symbol decodes through the
// tables with exactly its own code.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/unit/inflate_harness.h"

using namespace inflate_harness;

namespace {

struct Decoded {
  const HuffmanEntry* entry;
  uint32_t bits;  // code bits consumed over all levels
};

// Walks the tables as the decoder does; stream holds the next bits, first in bit 0.
Decoded Lookup(const HuffmanEntry* table, uint32_t width, uint32_t stream) {
  const HuffmanEntry* entry = table + (stream & ((1u << width) - 1));
  uint32_t used = 0;
  while (entry->op > kOpLiteral && entry->op != kOpInvalid) {
    used += entry->bits;
    stream >>= entry->bits;
    uint32_t t = static_cast<uint32_t>(entry->op - 16);
    entry = entry->link + (stream & ((1u << t) - 1));
  }
  return {entry, used + entry->bits};
}

uint32_t Reversed(uint32_t code, int length) {
  uint32_t out = 0;
  for (int i = 0; i < length; ++i) out |= ((code >> (length - 1 - i)) & 1u) << i;
  return out;
}

int Blocks(HuffmanEntry* list) {
  int n = 0;
  for (; list; list = list[-1].link) ++n;
  return n;
}

struct Built {
  int32_t result;
  HuffmanEntry* root;
  HuffmanEntry* list = nullptr;
  uint32_t width;
};

Built Build(const std::vector<uint16_t>& lengths, uint32_t s, uint32_t width,
            bool distance = false) {
  Built b;
  b.root = reinterpret_cast<HuffmanEntry*>(&b);  // shows whether root was set
  b.width = width;
  b.result =
      BuildHuffmanTable(lengths.data(), static_cast<uint32_t>(lengths.size()), s,
                        distance ? distanceBase : lengthBase,
                        distance ? distanceExtraBits : lengthExtraBits, b.root, b.list, b.width);
  return b;
}

// Every symbol with a length decodes through the tables with its canonical code,
// consuming exactly its length, to what s, base and extra give it.
void ExpectEverySymbolDecodes(const std::vector<uint16_t>& lengths, uint32_t s, bool distance,
                              const Built& b, const std::string& what) {
  std::vector<int> asInt(lengths.begin(), lengths.end());
  std::vector<uint32_t> codes = CanonicalCodes(asInt);
  for (uint32_t sym = 0; sym < lengths.size(); ++sym) {
    if (!lengths[sym]) continue;
    Decoded d = Lookup(b.root, b.width, Reversed(codes[sym], lengths[sym]));
    ASSERT_EQ(d.bits, lengths[sym]) << what << " symbol " << sym;
    if (sym < s) {
      EXPECT_EQ(d.entry->op, sym < 256 ? kOpLiteral : kOpEndOfBlock) << what << " symbol " << sym;
      EXPECT_EQ(d.entry->value, sym) << what;
    } else if (sym - s >= 30 || (!distance && sym >= 286)) {
      EXPECT_EQ(d.entry->op, kOpInvalid) << what << " symbol " << sym;
    } else {
      const uint16_t* base = distance ? distanceBase : lengthBase;
      const uint8_t* extra = distance ? distanceExtraBits : lengthExtraBits;
      EXPECT_EQ(d.entry->op, extra[sym - s]) << what << " symbol " << sym;
      EXPECT_EQ(d.entry->value, base[sym - s]) << what << " symbol " << sym;
    }
  }
}

std::vector<uint16_t> FixedLiteralLengths() {
  std::vector<uint16_t> lengths(288, 8);
  for (int i = 144; i < 256; ++i) lengths[i] = 9;
  for (int i = 256; i < 280; ++i) lengths[i] = 7;
  return lengths;
}

TEST(HuffmanTables, FixedLiteralCode) {
  std::vector<uint16_t> lengths = FixedLiteralLengths();
  long before = HeapInUse();
  Built b = Build(lengths, 257, 7);
  EXPECT_EQ(b.result, kCodeComplete);
  EXPECT_EQ(b.width, 7u);
  EXPECT_EQ(Blocks(b.list), 105);
  EXPECT_EQ(b.list[-1].link == nullptr, false);
  int oneBit = 0, twoBit = 0;
  for (int i = 0; i < 128; ++i) {
    if (b.root[i].op == 17) ++oneBit;
    if (b.root[i].op == 18) ++twoBit;
  }
  EXPECT_EQ(oneBit, 76);
  EXPECT_EQ(twoBit, 28);
  ExpectEverySymbolDecodes(lengths, 257, false, b, "fixed");
  // The root was allocated first, so it is the last block of the list.
  HuffmanEntry* last = b.list;
  while (last[-1].link) last = last[-1].link;
  EXPECT_EQ(last, b.root);
  EXPECT_EQ(FreeHuffmanTables(b.list), nullptr);
  EXPECT_EQ(HeapInUse(), before);
}

TEST(HuffmanTables, FixedDistanceCode) {
  std::vector<uint16_t> lengths(30, 5);
  Built b = Build(lengths, 0, 5, true);
  EXPECT_EQ(b.result, kCodeIncomplete);
  EXPECT_EQ(b.width, 5u);
  EXPECT_EQ(Blocks(b.list), 1);
  ExpectEverySymbolDecodes(lengths, 0, true, b, "fixed distance");
  EXPECT_EQ(Lookup(b.root, 5, Reversed(0x1E, 5)).entry->op, kOpInvalid);
  EXPECT_EQ(Lookup(b.root, 5, Reversed(0x1F, 5)).entry->op, kOpInvalid);
  FreeHuffmanTables(b.list);
}

TEST(HuffmanTables, ResultsAndWidths) {
  // A literal/length code with a 5-bit end-of-block code among 10-bit codes.
  std::vector<uint16_t> shortEnd(288, 0);
  for (int i = 0; i < 30; ++i) shortEnd[i] = 5;
  shortEnd[256] = 5;
  for (int i = 30; i < 62; ++i) shortEnd[i] = 10;

  struct Case {
    const char* name;
    std::vector<uint16_t> lengths;
    uint32_t s, wished;
    int32_t result;
    uint32_t width;
    int blocks;
    int invalidRootEntries;
  };
  const Case cases[] = {
      {"no code", std::vector<uint16_t>(19, 0), 19, 7, kCodeComplete, 0, 0, 0},
      {"one code of length 1", {0, 0, 1, 0}, 4, 7, kCodeComplete, 1, 1, 1},
      {"over-subscribed", {1, 1, 1}, 3, 7, kCodeOverSubscribed, 7, 0, 0},
      {"incomplete", {2, 0, 2, 0}, 4, 7, kCodeIncomplete, 2, 1, 2},
      {"end of block narrows the root", shortEnd, 257, 9, kCodeComplete, 5, 2, 0},
      {"raised to the shortest", std::vector<uint16_t>(256, 8), 256, 7, kCodeComplete, 8, 1, 0},
      {"lowered to the longest", std::vector<uint16_t>(16, 4), 16, 7, kCodeComplete, 4, 1, 0},
  };
  for (const Case& c : cases) {
    long before = HeapInUse();
    Built b = Build(c.lengths, c.s, c.wished);
    EXPECT_EQ(b.result, c.result) << c.name;
    EXPECT_EQ(Blocks(b.list), c.blocks) << c.name;
    if (c.result == kCodeOverSubscribed) {
      EXPECT_EQ(b.root, reinterpret_cast<HuffmanEntry*>(&b)) << c.name << ": root untouched";
      continue;
    }
    EXPECT_EQ(b.width, c.width) << c.name;
    if (c.blocks == 0) {
      EXPECT_EQ(b.root, nullptr) << c.name;
      continue;
    }
    int invalid = 0;
    for (uint32_t i = 0; i < (1u << b.width); ++i) invalid += b.root[i].op == kOpInvalid;
    EXPECT_EQ(invalid, c.invalidRootEntries) << c.name;
    ExpectEverySymbolDecodes(c.lengths, c.s, false, b, c.name);
    b.list = FreeHuffmanTables(b.list);
    EXPECT_EQ(b.list, nullptr);
    EXPECT_EQ(HeapInUse(), before) << c.name;
  }
}

// A random complete prefix code: leaves split at random, up to 15 bits deep.
std::vector<uint16_t> RandomCompleteLengths(uint32_t n, uint32_t used, std::mt19937& random) {
  std::vector<int> leaves = {1, 1};
  while (leaves.size() < used) {
    size_t i = random() % leaves.size();
    if (leaves[i] >= 15) continue;
    ++leaves[i];
    leaves.push_back(leaves[i]);
  }
  std::vector<uint32_t> symbols(n);
  for (uint32_t i = 0; i < n; ++i) symbols[i] = i;
  std::shuffle(symbols.begin(), symbols.end(), random);
  std::vector<uint16_t> lengths(n, 0);
  for (size_t i = 0; i < leaves.size(); ++i) lengths[symbols[i]] = static_cast<uint16_t>(leaves[i]);
  return lengths;
}

TEST(HuffmanTables, RandomCodesDecodeEverySymbol) {
  std::mt19937 random(2024);
  for (int round = 0; round < 400; ++round) {
    bool distance = round % 3 == 0;
    uint32_t n = distance ? 2 + random() % 31 : 257 + random() % 32;
    if (round % 7 == 0) n = 19;
    uint32_t used = 2 + random() % (n - 1);
    if (used > n) used = n;
    std::vector<uint16_t> lengths = RandomCompleteLengths(n, used, random);
    uint32_t s = distance ? 0 : (n == 19 ? 19 : 257);
    const uint32_t widths[] = {5, 6, 7, 9};
    uint32_t wished = widths[random() % 4];
    std::string what = "round " + std::to_string(round);
    long before = HeapInUse();

    Built b = Build(lengths, s, wished, distance);
    ASSERT_EQ(b.result, kCodeComplete) << what;
    ExpectEverySymbolDecodes(lengths, s, distance, b, what);
    FreeHuffmanTables(b.list);

    // The same code with one symbol taken away: incomplete, and the code space it
    // leaves, at the end of the longest codes (all ones), is invalid.
    uint32_t gone = 0;
    while (!lengths[gone]) ++gone;
    lengths[gone] = 0;
    Built c = Build(lengths, s, wished, distance);
    if (used > 2) {
      ASSERT_EQ(c.result, kCodeIncomplete) << what;
      EXPECT_EQ(Lookup(c.root, c.width, 0xFFFFFFFFu).entry->op, kOpInvalid) << what;
      ExpectEverySymbolDecodes(lengths, s, distance, c, what + " less one");
    }
    FreeHuffmanTables(c.list);
    EXPECT_EQ(HeapInUse(), before) << what;
  }
}

}  // namespace
