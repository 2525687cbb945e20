// The block decoders on hand-made streams: stored, fixed and dynamic blocks at
// their corner cases, and every decoding error the format knows.
#include <gtest/gtest.h>

#include "tests/unit/inflate_harness.h"

using namespace inflate_harness;

namespace {

void StoredBlock(BitWriter& out, bool final, const std::string& bytes, int nlenFlip = 0xFFFF) {
  out.Bits(final ? 1 : 0, 1);
  out.Bits(0, 2);
  out.Align();
  uint32_t length = static_cast<uint32_t>(bytes.size());
  out.Bits(length, 16);
  out.Bits(length ^ static_cast<uint32_t>(nlenFlip), 16);
  for (unsigned char c : bytes) out.Bits(c, 8);
}

void FixedHeader(BitWriter& out, bool final) {
  out.Bits(final ? 1 : 0, 1);
  out.Bits(1, 2);
}

// Lengths of a complete code over the given symbols (at least two).
std::vector<int> CompleteLengths(size_t n, const std::vector<int>& symbols) {
  int bits = 0;
  while ((size_t(1) << bits) < symbols.size()) ++bits;
  size_t shorter = (size_t(1) << bits) - symbols.size();
  std::vector<int> lengths(n, 0);
  for (size_t i = 0; i < symbols.size(); ++i) lengths[symbols[i]] = i < shorter ? bits - 1 : bits;
  return lengths;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> out;
  for (int i = from; i < to; ++i) out.push_back(i);
  return out;
}

struct BlockCase {
  const char* name;
  std::string stream;
  InflateResult result;
  std::string output;  // checked when the result is kInflateOk
};

std::vector<BlockCase> Cases() {
  std::vector<BlockCase> cases;
  {
    BitWriter bits;
    StoredBlock(bits, false, "");
    FixedHeader(bits, true);
    FixedSymbol(bits, 'z');
    FixedSymbol(bits, 256);
    cases.push_back({"stored block of length 0", bits.Finish(), kInflateOk, "z"});
  }
  {
    std::string first = RandomBytes(100, 1), second = RandomBytes(65535, 2);
    BitWriter bits;
    StoredBlock(bits, false, first);
    StoredBlock(bits, true, second);
    cases.push_back({"stored across the window's end", bits.Finish(), kInflateOk, first + second});
  }
  {
    BitWriter bits;
    StoredBlock(bits, true, "abc", 0xFFFE);
    cases.push_back({"stored with a wrong NLEN", bits.Finish(), kBadStoredLength, ""});
  }
  {
    BitWriter bits;
    FixedHeader(bits, true);
    FixedSymbol(bits, 'x');
    FixedMatch(bits, 258, 1);
    FixedSymbol(bits, 256);
    cases.push_back({"distance 1 length 258", bits.Finish(), kInflateOk, std::string(259, 'x')});
  }
  {
    // 32778 bytes put w at 10; distance 20 takes 32758..32767, then 0..4.
    std::string prefix = RandomBytes(32778, 3);
    BitWriter bits;
    StoredBlock(bits, false, prefix);
    FixedHeader(bits, true);
    FixedMatch(bits, 15, 20);
    FixedSymbol(bits, 256);
    std::string expect = prefix;
    for (int i = 0; i < 15; ++i) expect += expect[expect.size() - 20];
    cases.push_back({"copy that wraps the window", bits.Finish(), kInflateOk, expect});
  }
  {
    // Only broken data reaches before the entry's start; it finds zeros there.
    BitWriter bits;
    FixedHeader(bits, true);
    FixedSymbol(bits, 'a');
    FixedMatch(bits, 5, 100);
    FixedSymbol(bits, 256);
    cases.push_back({"distance before the first byte", bits.Finish(), kInflateOk,
                     std::string("a") + std::string(5, '\0')});
  }
  for (int final = 0; final < 2; ++final) {
    BitWriter bits;
    bits.Bits(final, 1);
    bits.Bits(3, 2);
    cases.push_back({"block type 3", bits.Finish(), kBadBlockType, ""});
  }
  {
    // Symbol 16 first repeats a length of 0: symbols 0..3 get no code.
    DynamicBlock block;
    block.literal = CompleteLengths(257, {'a', 'b', 256});
    block.distance = {0};
    block.lengthSymbols.push_back({16, 1});
    for (size_t i = 4; i < 258; ++i) {
      int l = i < 257 ? block.literal[i] : 0;
      block.lengthSymbols.push_back({l, 0});
    }
    BitWriter bits;
    block.WriteHeader(bits, true);
    block.Literal(bits, 'a');
    block.Literal(bits, 'b');
    block.End(bits);
    cases.push_back({"dynamic block starting with symbol 16", bits.Finish(), kInflateOk, "ab"});
  }
  {
    DynamicBlock block;
    block.literal = CompleteLengths(257, Range(0, 257));
    block.distance = {0};
    BitWriter bits;
    block.WriteHeader(bits, true);
    std::string text = "only literals";
    for (unsigned char c : text) block.Literal(bits, c);
    block.End(bits);
    cases.push_back(
        {"one distance length of 0 and only literals", bits.Finish(), kInflateOk, text});
  }
  for (int use = 0; use < 3; ++use) {
    // Symbols 286, 287 and distances 30, 31 have codes; they fail only when used.
    DynamicBlock block;
    block.literal = CompleteLengths(288, Range(0, 288));
    block.distance = CompleteLengths(32, Range(0, 32));
    BitWriter bits;
    block.WriteHeader(bits, true);
    block.Literal(bits, 'q');
    block.Match(bits, 4, 1);
    if (use == 1) block.Literal(bits, 287);
    if (use == 2) {
      block.Literal(bits, 257);
      block.DistanceCode(bits, 30);
    }
    block.End(bits);
    cases.push_back({"nl 288 and nd 32", bits.Finish(), use ? kInvalidCode : kInflateOk, "qqqqq"});
  }
  {
    DynamicBlock block;
    block.literal = CompleteLengths(258, {'a', 256, 257});
    block.distance = {0};
    BitWriter bits;
    block.WriteHeader(bits, true);
    block.Literal(bits, 'a');
    block.Literal(bits, 257);
    block.End(bits);
    cases.push_back(
        {"length code with an empty distance code", bits.Finish(), kNoDistanceCode, ""});
  }
  {
    DynamicBlock block;
    block.literal = CompleteLengths(257, {'a', 256});
    block.distance = {0};
    block.lengthSymbols = {{18, 127}, {18, 127}};  // 276 zeros for 258 lengths
    BitWriter bits;
    block.WriteHeader(bits, true);
    cases.push_back({"run of code lengths past nl + nd", bits.Finish(), kBadLengthRun, ""});
  }

  struct BadCode {
    const char* name;
    std::vector<int> literal, distance, codeLengthCode;
    InflateResult result;
  };
  std::vector<int> fine = CompleteLengths(257, {'a', 256});
  std::vector<int> defaultCl = DynamicBlock().codeLengthCode;
  std::vector<int> incomplete = CompleteLengths(257, {'a', 'b', 'c', 256});
  incomplete['c'] = 0;
  const BadCode badCodes[] = {
      {"incomplete literal/length code", incomplete, {0}, defaultCl, kBadLiteralCode},
      {"empty literal/length code", std::vector<int>(257, 0), {1, 1}, defaultCl, kBadLiteralCode},
      {"over-subscribed distance code", fine, {1, 1, 1}, defaultCl, kBadDistanceCode},
      {"incomplete code-length code", fine, {0}, std::vector<int>(19, 5), kBadCodeLengthCode},
      {"empty code-length code", fine, {0}, std::vector<int>(19, 0), kBadCodeLengthCode},
  };
  for (const BadCode& bad : badCodes) {
    DynamicBlock block;
    block.literal = bad.literal;
    block.distance = bad.distance;
    block.codeLengthCode = bad.codeLengthCode;
    BitWriter bits;
    block.WriteHeader(bits, true);
    bits.Bits(0, 16);
    cases.push_back({bad.name, bits.Finish(), bad.result, ""});
  }
  {
    // A code-length code of one single code: the other half of its root is unassigned.
    DynamicBlock block;
    block.literal = fine;
    block.distance = {0};
    block.codeLengthCode = std::vector<int>(19, 0);
    block.codeLengthCode[8] = 1;
    block.lengthSymbols = {{8, 0}};
    BitWriter bits;
    block.WriteHeader(bits, true);
    bits.Bits(1, 1);
    cases.push_back({"unassigned code-length code", bits.Finish(), kInvalidCode, ""});
  }
  return cases;
}

TEST(InflateBlocks, Cases) {
  for (const BlockCase& c : Cases()) {
    DecodeRun run = RunInflate(c.stream);
    EXPECT_EQ(run.result, c.result) << c.name;
    if (c.result == kInflateOk) {
      EXPECT_TRUE(run.output == c.output) << c.name;
      EXPECT_EQ(run.crc, ZipCrc(c.output)) << c.name;
    } else {
      EXPECT_TRUE(run.output.empty()) << c.name;
    }
    EXPECT_EQ(run.heapDelta, 0) << c.name;
  }
}

TEST(InflateBlocks, FixedBlocksShareTheCachedTables) {
  BitWriter bits;
  FixedHeader(bits, false);
  FixedSymbol(bits, 'a');
  FixedSymbol(bits, 256);
  FixedHeader(bits, true);
  FixedSymbol(bits, 'b');
  FixedSymbol(bits, 256);
  std::string stream = bits.Finish();

  // The state Inflate sets up for an entry, then block by block.
  TempDir dir;
  EnsureCrcTable();
  WriteBytes(dir / "in", stream);
  archiveHandle = OpenFileForReading((dir / "in").c_str());
  outputHandle = CreateOutputFile((dir / "out").c_str());
  localHeader = LocalFileHeader();
  bytesLeft = static_cast<int32_t>(stream.size());
  inputPos = 0;
  inputCount = 0;
  bitBuffer = 0;
  bitCount = 0;
  windowPos = 0;
  inputOverrun = 0;
  inputBuffer = static_cast<uint8_t*>(AllocateMemory(kInputBufferSize));
  window = static_cast<uint8_t*>(AllocateMemory(kWindowSize));
  fixedLiteralTable = fixedDistanceTable = fixedTableList = nullptr;

  int32_t last = -1;
  ASSERT_EQ(InflateBlock(last), kInflateOk);
  EXPECT_EQ(last, 0);
  HuffmanEntry* literalTable = fixedLiteralTable;
  HuffmanEntry* distanceTable = fixedDistanceTable;
  ASSERT_NE(literalTable, nullptr);
  ASSERT_NE(distanceTable, nullptr);
  int blocks = 0;
  for (HuffmanEntry* b = fixedTableList; b; b = b[-1].link) ++blocks;
  EXPECT_EQ(blocks, 106);
  ASSERT_EQ(InflateBlock(last), kInflateOk);
  EXPECT_EQ(last, 1);
  EXPECT_EQ(fixedLiteralTable, literalTable);
  EXPECT_EQ(fixedDistanceTable, distanceTable);
  EXPECT_EQ(windowPos, 2);
  EXPECT_EQ(memcmp(window, "ab", 2), 0);
  fixedTableList = FreeHuffmanTables(fixedTableList);
  ReleaseMemory(inputBuffer);
  ReleaseMemory(window);
  CloseFileHandle(archiveHandle);
  CloseFileHandle(outputHandle);

  // The next entry starts without them and builds its own.
  DecodeRun run = RunInflate(stream);
  EXPECT_EQ(run.output, "ab");
  EXPECT_EQ(fixedLiteralTable, nullptr);
  EXPECT_EQ(run.heapDelta, 0);
}

TEST(InflateInput, BitReaderTakesBytesOnlyWhenNeeded) {
  TempDir dir;
  WriteBytes(dir / "in", "\x81\x42\xC3");
  archiveHandle = OpenFileForReading((dir / "in").c_str());
  localHeader = LocalFileHeader();
  bytesLeft = 3;
  inputPos = 0;
  inputCount = 0;
  inputOverrun = 0;
  inputBuffer = static_cast<uint8_t*>(AllocateMemory(kInputBufferSize));
  uint32_t b = 0, k = 0;
  NeedBits(0, b, k);
  EXPECT_EQ(k, 0u);
  EXPECT_EQ(bytesLeft, 3);
  NeedBits(3, b, k);
  EXPECT_EQ(k, 8u);
  EXPECT_EQ(b & bitMasks[3], 1u);
  DumpBits(5, b, k);
  NeedBits(16, b, k);  // 3 bits in hand: two more bytes, 19 bits
  EXPECT_EQ(k, 19u);
  EXPECT_EQ(b, 0x81u >> 5 | 0x42u << 3 | 0xC3u << 11);
  EXPECT_EQ(bytesLeft, 0);
  DumpBits(19, b, k);
  NeedBits(9, b, k);  // past the end: one bits
  EXPECT_EQ(b & bitMasks[9], 0x1FFu);
  EXPECT_EQ(inputOverrun, 2);
  ReleaseMemory(inputBuffer);
  CloseFileHandle(archiveHandle);
}

}  // namespace
