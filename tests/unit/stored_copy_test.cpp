// The copy of stored entries: chunked, decrypted in place, CRC over what was written.
#include "archive/stored_copy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/cursor.h"
#include "archive/walk.h"
#include "integrity/crc32.h"
#include "integrity/crypt.h"
#include "platform/files.h"
#include "platform/posix/posix_host.h"
#include "startup/startup.h"
#include "tests/unit/support/header_walk.h"
#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

namespace {

struct CopyResult {
  std::string written;  // the output file's content
  uint32_t crc;         // runningCrc XOR 0xFFFFFFFF, as the driver compares it
  uint32_t headerCrc;
  int32_t bytesLeftAfter;
};

class StoredCopyTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetTestUi(); }
  void TearDown() override { ResetTestUi(); }

  // Prepares what the driver prepares for the first entry of the archive, then copies it.
  // bytesLeftOverride stands for a driver that passes another count.
  CopyResult Copy(const std::string& archive, const std::string& pass = "",
                  const int32_t* bytesLeftOverride = nullptr) {
    std::string path = dir / "sfx.exe";
    WriteBytes(path, BuildSfx("", archive));
    OpenSfx sfx(path);
    EXPECT_TRUE(sfx.opened);
    std::vector<WalkedEntry> entries = WalkLocalHeaders(1);
    EXPECT_FALSE(entries.empty());
    if (entries.empty()) return CopyResult();
    localHeader = entries[0].header;
    SeekArchive(entries[0].dataPosition(), 0);
    bytesLeft = static_cast<int32_t>(localHeader.compressedSize);
    if (localHeader.flags & 1) {
      uint8_t work[2 * kEncryptionHeaderSize];
      ReadFromFile(archiveHandle, work + kEncryptionHeaderSize, kEncryptionHeaderSize);
      EXPECT_TRUE(CheckPassword(work, kEncryptionHeaderSize, localHeader.flags, localHeader.crc32,
                                localHeader.modTime, pass.c_str()));
      bytesLeft -= kEncryptionHeaderSize;
    }
    if (bytesLeftOverride) bytesLeft = *bytesLeftOverride;
    std::string outPath = dir / "out.bin";
    outputHandle = CreateOutputFile(outPath.c_str());
    EXPECT_NE(outputHandle, kInvalidFile);
    runningCrc = 0xFFFFFFFFu;
    CopyStoredEntry();
    CopyResult result;
    result.bytesLeftAfter = bytesLeft;
    EXPECT_TRUE(CloseFileHandle(outputHandle));
    outputHandle = kInvalidFile;
    result.written = ReadBytes(outPath);
    result.crc = runningCrc ^ 0xFFFFFFFFu;
    result.headerCrc = localHeader.crc32;
    return result;
  }

  TempDir dir;
};

TEST_F(StoredCopyTest, CopiesEntriesOfEverySize) {
  for (size_t size : {0u, 1u, 100u, 32767u, 32768u, 32769u, 100000u}) {
    SCOPED_TRACE(size);
    std::string data = RandomBytes(size, static_cast<uint32_t>(size));
    // A second entry behind, whose bytes must not be copied.
    CopyResult r = Copy(BuildZip({MakeEntry("e", data), MakeEntry("next", "NEXT")}).bytes);
    EXPECT_EQ(r.written, data);
    EXPECT_EQ(r.crc, r.headerCrc);
    EXPECT_EQ(r.bytesLeftAfter, 0);
  }
}

// With every write cut to one byte, the file gets the first byte of each pass:
// 32768 bytes go in one pass, 32769 in two (32768, then 1). The CRC covers
// exactly what reached the file.
TEST_F(StoredCopyTest, PassesOfAtMost32768Bytes) {
  struct Case {
    size_t size;
    std::vector<size_t> passStarts;
  };
  const Case cases[] = {
      {32768, {0}},
      {32769, {0, 32768}},
      {65536, {0, 32768}},
      {70000, {0, 32768, 65536}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    std::string data = RandomBytes(c.size, 7);
    posixFaults.shortWriteLimit = 1;
    CopyResult r = Copy(BuildZip({MakeEntry("e", data)}).bytes);
    posixFaults.shortWriteLimit = -1;
    std::string expected;
    for (size_t start : c.passStarts) expected += data[start];
    EXPECT_EQ(r.written, expected);
    EXPECT_EQ(r.crc, ZipCrc(expected));
    EXPECT_NE(r.crc, r.headerCrc) << "a short write fails the CRC check";
    EXPECT_EQ(r.bytesLeftAfter, 0) << "the copy reads on to the end of the entry";
  }
}

TEST_F(StoredCopyTest, DecryptsWithTheKeysTheCheckLeft) {
  std::string data = TextLikeBytes(100, 3);
  ZipEntrySpec entry = MakeEntry("secret.txt", data);
  entry.password = "pass\xE9word";
  std::string zip = BuildZip({entry}).bytes;
  ASSERT_EQ(zip.substr(18, 4), std::string("\x70\x00\x00\x00", 4)) << "compressed size 112";
  CopyResult r = Copy(zip, entry.password);
  EXPECT_EQ(r.written, data);
  EXPECT_EQ(r.crc, r.headerCrc);

  // Across the chunk border the keys carry on.
  entry.data = RandomBytes(40000, 9);
  r = Copy(BuildZip({entry}).bytes, entry.password);
  EXPECT_EQ(r.written, entry.data);
  EXPECT_EQ(r.crc, r.headerCrc);
}

TEST_F(StoredCopyTest, ArchiveEndingMidEntry) {
  std::string data = RandomBytes(50000, 5);
  std::string zip = BuildZip({MakeEntry("cut", data)}, false).bytes;
  for (size_t keep : {30u + 3 + 40000, 30u + 3 + 100, 30u + 3}) {
    SCOPED_TRACE(keep);
    CopyResult r = Copy(zip.substr(0, keep));
    EXPECT_EQ(r.written, data.substr(0, keep - 33));
    EXPECT_EQ(r.bytesLeftAfter, 0);
    EXPECT_NE(r.crc, r.headerCrc);
  }
}

TEST_F(StoredCopyTest, NothingToCopyWritesNothing) {
  for (int32_t count : {0, -1, -40000}) {
    SCOPED_TRACE(count);
    CopyResult r = Copy(BuildZip({MakeEntry("e", "some data")}).bytes, "", &count);
    EXPECT_EQ(r.written, "");
    EXPECT_EQ(r.crc, 0u) << "runningCrc stays 0xFFFFFFFF";
  }
}

}  // namespace
