// The stub builds the decoder with QP_STUB: the bit reader's plain loop, the
// plainer copy of matches and the byte-at-a-time CRC. This binary compiles those
// very sources that way (the linker then leaves the host's versions in the core
// library out), so that compressed streams of every kind also run through the
// stub's paths.
#define QP_STUB 1
#include "inflate/blocks.cpp"
#include "inflate/huffman.cpp"
#include "inflate/inflate.cpp"
#include "inflate/inflate_input.cpp"
#include "integrity/crc32.cpp"
#undef QP_STUB

#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

#include "tests/unit/inflate_harness.h"

using namespace inflate_harness;

namespace {

TEST(InflateStubPaths, StreamsOfEveryKindDecode) {
  struct Data {
    const char* name;
    std::string bytes;
  };
  std::string runs;
  for (int i = 0; runs.size() < 200000; ++i) runs += std::string(1 + i % 40, "abcdefgh"[i % 7]);
  const Data samples[] = {
      {"text", TextLikeBytes(200000, 21)},
      {"random", RandomBytes(70000, 22)},
      {"zeros", std::string(100000, '\0')},
      {"runs", runs},
  };
  libdeflate_compressor* best = libdeflate_alloc_compressor(12);
  for (const Data& sample : samples) {
    for (size_t size : {size_t(0), size_t(1), size_t(32767), size_t(32768), size_t(32769),
                        size_t(65536), sample.bytes.size()}) {
      std::string data = sample.bytes.substr(0, size);
      std::vector<std::pair<std::string, std::string>> streams = {
          {"zlib 0", RawDeflate(data, 0)},          {"zlib 1", RawDeflate(data, 1)},
          {"zlib 9", RawDeflate(data, 9)},          {"zlib fixed", RawDeflate(data, 6, Z_FIXED)},
          {"zlib rle", RawDeflate(data, 6, Z_RLE)},
      };
      std::string out(libdeflate_deflate_compress_bound(best, data.size()), '\0');
      out.resize(libdeflate_deflate_compress(best, data.data(), data.size(), &out[0], out.size()));
      streams.push_back({"libdeflate 12", out});
      for (const auto& [how, stream] : streams) {
        DecodeRun run = RunInflate(stream);
        std::string what = std::string(sample.name) + " " + std::to_string(size) + " " + how;
        EXPECT_EQ(run.result, kInflateOk) << what;
        EXPECT_TRUE(run.output == data) << what;
        EXPECT_EQ(run.crc, ZipCrc(data)) << what;
        EXPECT_EQ(run.heapDelta, 0) << what;
      }
    }
  }
  libdeflate_free_compressor(best);
}

}  // namespace
