// CRC-32 against zlib's, over data cut into arbitrary pieces.
#include "integrity/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "platform/memory.h"
#include "tests/unit/support/sfx_builder.h"

namespace {

class Crc32Test : public ::testing::Test {
 protected:
  // The table in a block of its own, as start-up holds it.
  void SetUp() override {
    crcTable = static_cast<uint32_t*>(AllocateMemory(1028));
    BuildCrcTable();
  }
  void TearDown() override {
    ReleaseMemory(crcTable);
    crcTable = nullptr;
  }
};

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST_F(Crc32Test, TableIsTheReflectedPolynomialTable) {
  const z_crc_t* reference = get_crc_table();
  for (int i = 0; i < 256; ++i) ASSERT_EQ(crcTable[i], reference[i]) << "entry " << i;
}

TEST_F(Crc32Test, AgreesWithZlibOverAnySplit) {
  std::mt19937 random(20261211);
  for (int round = 0; round < 200; ++round) {
    size_t size = random() % (round < 100 ? 64 : 70000);
    std::string data = RandomBytes(size, random());
    uint32_t crc = 0xFFFFFFFFu;
    size_t done = 0;
    while (done < size) {
      // Pieces of length 0 now and then, otherwise up to a few KB.
      size_t piece = random() % 4 == 0 ? 0 : random() % 5000 + 1;
      if (piece > size - done) piece = size - done;
      UpdateCrcBuffer(Bytes(data) + done, static_cast<int32_t>(piece), crc);
      done += piece;
    }
    UpdateCrcBuffer(Bytes(data), 0, crc);
    ASSERT_EQ(crc ^ 0xFFFFFFFFu, ZipCrc(data)) << "size " << size << ", round " << round;
  }
}

TEST_F(Crc32Test, SingleByteStepMatchesTheBufferStep) {
  std::string data = RandomBytes(1000, 3);
  uint32_t byByte = 0x12345678u;  // any register, not only the initial value
  for (unsigned char c : data) byByte = UpdateCrc(c, byByte);
  uint32_t byBuffer = 0x12345678u;
  UpdateCrcBuffer(Bytes(data), static_cast<int32_t>(data.size()), byBuffer);
  EXPECT_EQ(byByte, byBuffer);
  // Known values: "123456789" gives 0xCBF43926; no bytes leave the register alone.
  uint32_t crc = 0xFFFFFFFFu;
  UpdateCrcBuffer(Bytes("123456789"), 9, crc);
  EXPECT_EQ(crc ^ 0xFFFFFFFFu, 0xCBF43926u);
}

TEST_F(Crc32Test, CountOfZeroOrLessChangesNothing) {
  std::string data = RandomBytes(16, 1);
  for (int32_t count : {0, -1, -16, INT32_MIN}) {
    uint32_t crc = 0xA5A5A5A5u;
    UpdateCrcBuffer(Bytes(data), count, crc);
    EXPECT_EQ(crc, 0xA5A5A5A5u) << count;
  }
}

}  // namespace
