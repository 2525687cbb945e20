// The decoder against the compressors that produce real archives: every stream
// that zlib, libdeflate and zopfli make must decode to the input, with its CRC;
// and the driver's contract on writes, errors, trailing bytes and encryption.
#include <dirent.h>
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>
#include <zopfli/zopfli.h>

#include <fstream>
#include <iterator>

#include "tests/unit/inflate_harness.h"

using namespace inflate_harness;

namespace {

// Bytes of real files from the system: binaries and text.
std::string SystemBytes(size_t size) {
  static const char* candidates[] = {
      "/usr/bin/cmake",        "/usr/bin/bash", "/usr/share/common-licenses/GPL-3",
      "/usr/include/stdlib.h", "/usr/bin/ls",   "/etc/services"};
  std::string out;
  for (const char* path : candidates) {
    std::ifstream in(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    out += content.substr(0, size / 3 + 1);
    if (out.size() >= size) break;
  }
  while (out.size() < size) out += TextLikeBytes(size - out.size(), 7);
  out.resize(size);
  return out;
}

enum Kind { kText, kRandom, kZeros, kSystem, kMixed };
const char* const kKindNames[] = {"text", "random", "zeros", "system", "mixed"};

std::string Sample(Kind kind, size_t size) {
  switch (kind) {
    case kText:
      return TextLikeBytes(size, 11);
    case kRandom:
      return RandomBytes(size, 12);
    case kZeros:
      return std::string(size, '\0');
    case kSystem:
      return SystemBytes(size);
    case kMixed:
    default: {
      std::string out;
      for (size_t part = 0; out.size() < size; ++part) {
        out += Sample(static_cast<Kind>(part % 4), 20000 + part * 977);
      }
      out.resize(size);
      return out;
    }
  }
}

std::string LibdeflateCompress(const std::string& data, int level) {
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
  std::string out(libdeflate_deflate_compress_bound(compressor, data.size()), '\0');
  size_t n = libdeflate_deflate_compress(compressor, data.data(), data.size(), &out[0], out.size());
  libdeflate_free_compressor(compressor);
  out.resize(n);
  return out;
}

std::string ZopfliCompress(const std::string& data) {
  ZopfliOptions options;
  ZopfliInitOptions(&options);
  options.numiterations = 5;
  unsigned char* out = nullptr;
  size_t size = 0;
  ZopfliCompress(&options, ZOPFLI_FORMAT_DEFLATE,
                 reinterpret_cast<const unsigned char*>(data.data()), data.size(), &out, &size);
  std::string result(reinterpret_cast<char*>(out), size);
  free(out);
  return result;
}

void ExpectDecodes(const std::string& data, const std::string& compressed,
                   const std::string& what) {
  DecodeRun run = RunInflate(compressed);
  EXPECT_EQ(run.result, kInflateOk) << what;
  EXPECT_EQ(run.output.size(), data.size()) << what;
  EXPECT_TRUE(run.output == data) << what;
  EXPECT_EQ(run.crc, ZipCrc(data)) << what;
  EXPECT_EQ(run.heapDelta, 0) << what;
}

const size_t kWindowSizes[] = {0, 1, 32767, 32768, 32769, 65536};

TEST(InflateDifferential, ZlibLevelsAroundTheWindowSize) {
  for (Kind kind : {kText, kRandom, kZeros, kSystem}) {
    for (size_t size : kWindowSizes) {
      std::string data = Sample(kind, size);
      for (int level = 0; level <= 9; ++level) {
        ExpectDecodes(data, RawDeflate(data, level),
                      std::string(kKindNames[kind]) + " size " + std::to_string(size) + " level " +
                          std::to_string(level));
      }
    }
  }
}

TEST(InflateDifferential, ZlibStrategies) {
  const int strategies[] = {Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  for (Kind kind : {kText, kRandom, kZeros, kSystem, kMixed}) {
    std::string data = Sample(kind, 100000);
    for (int strategy : strategies) {
      for (int level : {1, 6, 9}) {
        ExpectDecodes(data, RawDeflate(data, level, strategy),
                      std::string(kKindNames[kind]) + " strategy " + std::to_string(strategy) +
                          " level " + std::to_string(level));
      }
    }
  }
}

TEST(InflateDifferential, LibdeflateLevels) {
  for (Kind kind : {kText, kRandom, kZeros, kSystem, kMixed}) {
    for (size_t size : {size_t(1), size_t(32769), size_t(150000)}) {
      std::string data = Sample(kind, size);
      for (int level = 1; level <= 12; ++level) {
        ExpectDecodes(data, LibdeflateCompress(data, level),
                      std::string(kKindNames[kind]) + " size " + std::to_string(size) + " level " +
                          std::to_string(level));
      }
    }
  }
}

TEST(InflateDifferential, Zopfli) {
  for (Kind kind : {kText, kZeros, kSystem, kMixed}) {
    std::string data = Sample(kind, 40000);
    ExpectDecodes(data, ZopfliCompress(data), kKindNames[kind]);
  }
}

TEST(InflateDifferential, SeveralMegabytes) {
  std::string data = Sample(kMixed, 5 << 20);
  ExpectDecodes(data, RawDeflate(data, 6), "zlib 6");
  ExpectDecodes(data, LibdeflateCompress(data, 9), "libdeflate 9");
  ExpectDecodes(data, RawDeflate(data, 0), "zlib 0");
}

TEST(InflateDriver, WritesWholeWindowsThenOnePartial) {
  struct Case {
    size_t size;
    std::vector<size_t> writes;
  };
  const Case cases[] = {
      {0, {}},
      {1, {1}},
      {32768, {32768}},
      {32769, {32768, 1}},
      {100000, {32768, 32768, 32768, 1696}},
  };
  for (const Case& c : cases) {
    std::string data = Sample(kText, c.size);
    DecodeOptions options;
    options.recordWrites = true;
    DecodeRun run = RunInflate(RawDeflate(data, 6), options);
    EXPECT_EQ(run.result, kInflateOk) << c.size;
    EXPECT_EQ(run.writes, c.writes) << c.size;
    EXPECT_TRUE(run.output == data) << c.size;
    EXPECT_EQ(run.crc, ZipCrc(data)) << c.size;
  }
}

TEST(InflateDriver, EmptyFinalBlockWritesNothing) {
  BitWriter bits;
  bits.Bits(1, 1);  // final
  bits.Bits(1, 2);  // fixed codes
  FixedSymbol(bits, 256);
  DecodeOptions options;
  options.recordWrites = true;
  DecodeRun run = RunInflate(bits.Finish(), options);
  EXPECT_EQ(run.result, kInflateOk);
  EXPECT_TRUE(run.writes.empty());
  EXPECT_EQ(run.crc, 0u);  // runningCrc stayed 0xFFFFFFFF
}

TEST(InflateDriver, ErrorKeepsOnlyTheWholeWindowsWritten) {
  // 40000 literals, then symbol 286, which has no length.
  BitWriter bits;
  bits.Bits(1, 1);
  bits.Bits(1, 2);
  std::string data = Sample(kRandom, 40000);
  for (unsigned char c : data) FixedSymbol(bits, c);
  FixedSymbol(bits, 286);
  FixedSymbol(bits, 256);
  DecodeRun run = RunInflate(bits.Finish());
  EXPECT_EQ(run.result, kInvalidCode);
  EXPECT_EQ(run.output.size(), 32768u);
  EXPECT_TRUE(run.output == data.substr(0, 32768));
  EXPECT_EQ(run.crc, ZipCrc(data.substr(0, 32768)));
  EXPECT_EQ(run.heapDelta, 0);
}

TEST(InflateDriver, BytesBehindTheFinalBlockAreIgnored) {
  std::string data = Sample(kText, 50000);
  std::string compressed = RawDeflate(data, 6) + RandomBytes(70000, 3);
  DecodeRun run = RunInflate(compressed);
  EXPECT_EQ(run.result, kInflateOk);
  EXPECT_TRUE(run.output == data);
  // Reads of 32768 bytes, only as the decoder needs them: the stream ends in the first chunk.
  EXPECT_EQ(run.position, 32768);
}

TEST(InflateDriver, ReadsTheEntryInChunksAndNeverPastIt) {
  std::string data = Sample(kRandom, 60000);  // stored blocks: about 60000 compressed bytes
  std::string compressed = RawDeflate(data, 0);
  DecodeOptions options;
  options.trailing = "PK\3\4 the next header";
  DecodeRun run = RunInflate(compressed, options);
  EXPECT_EQ(run.result, kInflateOk);
  EXPECT_TRUE(run.output == data);
  EXPECT_EQ(run.position, static_cast<int32_t>(compressed.size()));
  EXPECT_EQ(run.overrun, 0);
}

TEST(InflateDriver, EncryptedEntryIsDecryptedThroughTheInputFeed) {
  std::string data = Sample(kMixed, 90000);
  std::string compressed = RawDeflate(data, 9);
  DecodeOptions options;
  options.password = "s3cret\xE9";
  DecodeRun run = RunInflate(compressed, options);
  EXPECT_EQ(run.result, kInflateOk);
  EXPECT_TRUE(run.output == data);
  EXPECT_EQ(run.crc, ZipCrc(data));

  // The keys advanced over exactly the bytes read: all of the data.
  uint8_t work[2 * kEncryptionHeaderSize];
  std::string stored = TraditionalEncrypt(compressed, options.password, 0x5A);
  memcpy(work + kEncryptionHeaderSize, stored.data(), kEncryptionHeaderSize);
  CheckPassword(work, kEncryptionHeaderSize, 1, 0x5A000000u, 0, options.password.c_str());
  for (size_t i = kEncryptionHeaderSize; i < stored.size(); ++i) {
    UpdateKeys(static_cast<uint8_t>(stored[i] ^ DecryptByte()));
  }
  EXPECT_EQ(run.keys[0], cryptKeys.key0);
  EXPECT_EQ(run.keys[1], cryptKeys.key1);
  EXPECT_EQ(run.keys[2], cryptKeys.key2);
}

TEST(InflateDriver, TwoEntriesOneAfterTheOther) {
  std::string first = Sample(kSystem, 70000);
  std::string second = Sample(kText, 3000);
  std::string compressedSecond = RawDeflate(second, 1);
  DecodeRun before = RunInflate(compressedSecond);
  ExpectDecodes(first, RawDeflate(first, Z_FIXED), "first");
  DecodeRun after = RunInflate(compressedSecond);
  EXPECT_TRUE(after.output == before.output);
  EXPECT_TRUE(after.output == second);
}

// Input that ends too early must end in an error, in bounded time, whatever the
// one bits behind the end decode to; a complete stream must decode even when its
// last codes are shorter than the lookups that fetch them.
TEST(InflateBound, TruncatedStreamsEndInAnError) {
  std::string data = Sample(kMixed, 200000);
  for (int level : {0, 1, 6, 9}) {
    std::string compressed = RawDeflate(data, level);
    for (size_t keep : {size_t(0), size_t(1), size_t(2), size_t(100), compressed.size() / 2,
                        compressed.size() - 2, compressed.size() - 1}) {
      DecodeRun run = RunInflate(compressed.substr(0, keep));
      EXPECT_NE(run.result, kInflateOk) << "level " << level << " kept " << keep;
      EXPECT_EQ(run.output.size() % 32768, 0u) << "level " << level << " kept " << keep;
      EXPECT_LE(run.output.size(), keep * 1100 + 32768);
      EXPECT_EQ(run.heapDelta, 0);
    }
  }
}

TEST(InflateBound, FixedBlockRunningIntoTheEndOfData) {
  // A fixed block that never ends: behind its data the one bits decode as
  // literal 255 for ever, until the first full window shows the overrun.
  BitWriter bits;
  bits.Bits(1, 1);
  bits.Bits(1, 2);
  for (int i = 0; i < 1000; ++i) FixedSymbol(bits, 'a');
  for (int i = 0; i < 5; ++i) FixedSymbol(bits, 200);  // 9 bits each: the data ends at a code
  ASSERT_EQ(bits.count, 0);
  DecodeRun run = RunInflate(bits.Finish());
  EXPECT_EQ(run.result, kInputExhausted);
  EXPECT_TRUE(run.output.empty());
}

TEST(InflateBound, OneBitsThatEndTheFinalBlockAreNoSuccess) {
  // A final dynamic block whose end-of-block code is all ones: cut before that
  // code, the one bits behind the data complete it.
  DynamicBlock block;
  block.literal.assign(257, 0);
  block.literal['a'] = 1;
  block.literal[256] = 1;  // code 1
  block.distance = {0};
  BitWriter bits;
  block.WriteHeader(bits, true);
  while (bits.count != 0) block.Literal(bits, 'a');
  block.End(bits);
  std::string complete = bits.Finish();
  std::string cut = complete.substr(0, complete.size() - 1);
  DecodeRun good = RunInflate(complete);
  EXPECT_EQ(good.result, kInflateOk);
  DecodeRun run = RunInflate(cut);
  EXPECT_EQ(run.result, kInputExhausted);
  EXPECT_TRUE(run.output.empty());
}

TEST(InflateBound, ShortLastCodesLookAheadPastTheEndAndStillDecode) {
  // A distance code of widths up to 6 whose last use is a 1-bit code followed by
  // a 1-bit end-of-block code: the 6-bit lookup reaches past the last byte.
  DynamicBlock block;
  block.literal.assign(286, 0);
  block.literal['x'] = 2;
  block.literal[256] = 1;
  block.literal[257] = 3;  // length 3
  block.literal[258] = 3;  // length 4
  block.distance = {1, 2, 3, 4, 5, 6, 6};
  for (int pad = 0; pad < 8; ++pad) {
    BitWriter bits;
    block.WriteHeader(bits, true);
    for (int i = 0; i < 2 + pad; ++i) block.Literal(bits, 'x');
    if (bits.count % 2 == 0) block.Match(bits, 4, 2);  // 5 bits: the only odd piece
    while (bits.count != 3) block.Literal(bits, 'x');
    // The last byte: length code (3 bits), distance 1 and end-of-block (1 bit each).
    block.Match(bits, 3, 1);
    block.End(bits);
    ASSERT_EQ(bits.count, 0);
    std::string compressed = bits.Finish();
    DecodeRun run = RunInflate(compressed);
    EXPECT_EQ(run.result, kInflateOk) << pad;
    EXPECT_GT(run.overrun, 0) << pad;  // the look-ahead went past the data
    EXPECT_EQ(run.output.find_first_not_of('x'), std::string::npos) << pad;
  }
}

TEST(InflateBound, NoDataAtAllAndDataShorterThanItsSize) {
  DecodeRun empty = RunInflate("");
  EXPECT_EQ(empty.result, kBadBlockType);  // one bits: final, type 3
  EXPECT_EQ(empty.position, 0);

  std::string data = Sample(kText, 5000);
  DecodeOptions options;
  options.extraSize = 100000;  // the file ends long before the size says
  DecodeRun run = RunInflate(RawDeflate(data, 6), options);
  EXPECT_EQ(run.result, kInflateOk);
  EXPECT_TRUE(run.output == data);
}

// What the fuzzer found, and its seeds: each input decodes or fails cleanly, and
// agrees with zlib wherever zlib takes the stream as complete.
TEST(InflateFuzzCorpus, ReplaysCleanly) {
  std::string folder = std::string(QP_SOURCE_DIR) + "/fuzz/corpus/inflate";
  DIR* dir = opendir(folder.c_str());
  ASSERT_NE(dir, nullptr);
  int inputs = 0;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    std::string input = ReadBytes(folder + "/" + e->d_name);
    DecodeRun run = RunInflate(input);
    ++inputs;
    EXPECT_EQ(run.heapDelta, 0) << e->d_name;
    EXPECT_EQ(run.crc, ZipCrc(run.output)) << e->d_name;
    if (run.result != kInflateOk) {
      EXPECT_EQ(run.output.size() % 32768, 0u) << e->d_name;
    }

    z_stream z{};
    inflateInit2(&z, -15);
    std::string reference(input.size() * 1040 + 1024, '\0');
    z.next_in = reinterpret_cast<Bytef*>(&input[0]);
    z.avail_in = static_cast<uInt>(input.size());
    z.next_out = reinterpret_cast<Bytef*>(&reference[0]);
    z.avail_out = static_cast<uInt>(reference.size());
    bool complete = inflate(&z, Z_FINISH) == Z_STREAM_END;
    reference.resize(z.total_out);
    inflateEnd(&z);
    if (complete) {
      EXPECT_EQ(run.result, kInflateOk) << e->d_name;
      EXPECT_TRUE(run.output == reference) << e->d_name;
    }
  }
  closedir(dir);
  EXPECT_GT(inputs, 0);
}

}  // namespace
