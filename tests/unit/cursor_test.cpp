// The archive cursor: local headers read forward from archiveBase by the stepping rule.
#include "archive/cursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "startup/config_block.h"
#include "startup/startup.h"
#include "tests/unit/support/header_walk.h"
#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

namespace {

std::string Le32(uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

// A field of a packed header as a plain value (a reference to it would be misaligned).
uint32_t Field(uint32_t value) { return value; }

class CursorTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetTestUi(); }

  // Writes the file and walks it; the names found, in order.
  std::vector<WalkedEntry> Walk(const std::string& fileBytes) {
    std::string path = dir / "sfx.exe";
    WriteBytes(path, fileBytes);
    OpenSfx sfx(path);
    EXPECT_TRUE(sfx.opened);
    std::vector<WalkedEntry> entries = WalkLocalHeaders(20);
    EXPECT_EQ(bytesLeft, 0) << "a refused record leaves nothing to consume";
    return entries;
  }

  static std::vector<std::string> Names(const std::vector<WalkedEntry>& entries) {
    std::vector<std::string> names;
    for (const WalkedEntry& e : entries) names.push_back(e.name);
    return names;
  }

  TempDir dir;
};

TEST_F(CursorTest, SignatureIsFormedAtRunTime) {
  expectedSignature = 0;
  SetLocalHeaderSignature();
  EXPECT_EQ(expectedSignature, 0x04034B50u);
}

// Every entry is found where the archive puts it, with the header's fields as
// stored; the position after a header is the entry's name, and the data follows
// the extra field.
TEST_F(CursorTest, FindsEveryEntryBehindNamesExtrasAndDescriptors) {
  std::vector<ZipEntrySpec> specs(6);
  specs[0] = MakeEntry("plain.txt", "first entry");
  specs[1] = MakeEntry("extra.bin", "data behind an extra field");
  specs[1].extra = std::string("\x55\x54\x05\x00\x01\x02\x03\x04\x05", 9);
  specs[2] = MakeEntry("one-descriptor", "true sizes, one descriptor behind");
  specs[2].descriptorsAfter = 1;
  specs[3] = MakeEntry("two-descriptors", "true sizes, two descriptors behind");
  specs[3].descriptorsAfter = 2;
  specs[3].flags = 0x0008;
  specs[4] = MakeEntry("dir/deflated.txt", TextLikeBytes(3000, 4));
  specs[4].method = 8;
  specs[5] = MakeEntry("", "");  // empty name and data: the next record follows the header
  ZipLayout zip = BuildZip(specs);

  for (bool withBlock : {false, true}) {
    SCOPED_TRACE(withBlock ? "with block" : "without block");
    std::string block = withBlock ? BuildConfigBlock(0x0A, "intro", "", "") : "";
    int32_t base = withBlock ? 0x7D00 : 0x7C00;
    std::string path = dir / "sfx.exe";
    WriteBytes(path, BuildSfx(block, zip.bytes));
    OpenSfx sfx(path);
    ASSERT_TRUE(sfx.opened);
    std::vector<WalkedEntry> entries = WalkLocalHeaders(20);
    ASSERT_EQ(entries.size(), specs.size());
    for (size_t i = 0; i < specs.size(); ++i) {
      SCOPED_TRACE(specs[i].name);
      const WalkedEntry& e = entries[i];
      EXPECT_EQ(e.position, base + static_cast<int32_t>(zip.headerOffsets[i]));
      EXPECT_EQ(e.name, specs[i].name);
      EXPECT_EQ(Field(e.header.method), specs[i].method);
      EXPECT_EQ(Field(e.header.flags), specs[i].flags);
      EXPECT_EQ(Field(e.header.crc32), ZipCrc(specs[i].data));
      EXPECT_EQ(Field(e.header.uncompressedSize), specs[i].data.size());
      EXPECT_EQ(Field(e.header.modTime), specs[i].modTime);
      EXPECT_EQ(Field(e.header.modDate), specs[i].modDate);
      EXPECT_EQ(Field(e.header.extraLength), specs[i].extra.size());
      if (specs[i].method == 0) {
        std::string data(specs[i].data.size(), '\0');
        SeekArchive(e.dataPosition(), 0);
        ReadFromFile(archiveHandle, &data[0], static_cast<int32_t>(data.size()));
        EXPECT_EQ(data, specs[i].data);
      }
    }
  }
}

// bytesLeft takes the compressed size of an accepted header; archivePos is the
// header's position also after descriptors were skipped to reach it.
TEST_F(CursorTest, AcceptedHeaderSetsBytesLeftAndPosition) {
  std::vector<ZipEntrySpec> specs(2);
  specs[0] = MakeEntry("a", std::string(777, 'a'));
  specs[0].descriptorsAfter = 2;
  specs[1] = MakeEntry("b", std::string(1234, 'b'));
  ZipLayout zip = BuildZip(specs);
  std::string path = dir / "sfx.exe";
  WriteBytes(path, BuildSfx("", zip.bytes));
  OpenSfx sfx(path);
  SetLocalHeaderSignature();
  SeekArchive(0x7C00 + static_cast<int32_t>(zip.headerOffsets[0]) + 30 + 1 + 777, 0);
  ASSERT_TRUE(ReadLocalHeader());
  EXPECT_EQ(archivePos, 0x7C00 + static_cast<int32_t>(zip.headerOffsets[1]));
  EXPECT_EQ(bytesLeft, 1234);
  char name = 0;
  ReadFromFile(archiveHandle, &name, 1);
  EXPECT_EQ(name, 'b');
}

TEST_F(CursorTest, WalkEndsQuietly) {
  ZipEntrySpec streamed = MakeEntry("streamed.txt", TextLikeBytes(500, 2));
  streamed.streamed = true;  // bit 3, zero sizes in the header, descriptor behind
  ZipEntrySpec plain = MakeEntry("after.txt", "never reached");
  std::string full =
      BuildZip({MakeEntry("a.txt", "alpha"), MakeEntry("b.txt", "beta")}, false).bytes;

  // What the record that ended the walk left in localHeader.signature, so that
  // the driver can tell a sound end from damage (kAny: whatever the data holds).
  const uint32_t kAny = 1;
  struct Case {
    const char* what;
    std::string file;
    std::vector<std::string> names;
    uint32_t lastSignature;
  };
  const Case cases[] = {
      {"end of central directory first", BuildSfx("", BuildZip({}).bytes), {}, 0x06054B50},
      {"archiveBase at the end of the file", BuildSfx("", ""), {}, 0},
      {"archiveBase at the end of the file, with block",
       BuildSfx(BuildConfigBlock(0x0A, "", "", ""), ""),
       {},
       0},
      {"archiveBase beyond the end of the file", std::string(1000, 'x'), {}, 0},
      {"cut off before the central directory", BuildSfx("", full), {"a.txt", "b.txt"}, 0},
      {"central directory behind",
       BuildSfx("", BuildZip({plain}).bytes),
       {"after.txt"},
       0x02014B50},
      // The step from an entry with zero sizes lands in its data.
      {"bit 3 with zero sizes",
       BuildSfx("", BuildZip({streamed, plain}).bytes),
       {"streamed.txt"},
       kAny},
      // A header cut short is no entry; its fields would be half the previous one's.
      {"cut off inside a header",
       BuildSfx("", full + BuildZip({plain}).bytes.substr(0, 20)),
       {"a.txt", "b.txt"},
       0x04034B50},
      {"cut off inside a signature", BuildSfx("", full + "PK"), {"a.txt", "b.txt"}, 0x4B50},
      {"data descriptor at the end of the file",
       BuildSfx("", full + Le32(0x08074B50) + "0123"),
       {"a.txt", "b.txt"},
       0},
      // Only the local-header signature counts, not 00 00 00 50.
      {"record 00 00 00 50", BuildSfx("", Le32(0x50000000) + full), {}, 0x50000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Names(Walk(c.file)), c.names);
    if (c.lastSignature != kAny) {
      EXPECT_EQ(Field(localHeader.signature), c.lastSignature);
    }
  }
}

// Sizes near 4 GiB must not turn the step into one backwards: the walk would
// then find the same header again and never end.
TEST_F(CursorTest, HugeSizesEndTheWalk) {
  const uint32_t sizes[] = {0xFFFFFFE2u, 0xFFFFFFFFu, 0x80000000u, 0xFFFFFF00u};
  for (uint32_t size : sizes) {
    SCOPED_TRACE(size);
    std::vector<ZipEntrySpec> specs(2);
    specs[0] = MakeEntry("", "x");
    specs[1] = MakeEntry("b", "beta");
    std::string zip = BuildZip(specs).bytes;
    zip.replace(18, 4, Le32(size));
    EXPECT_EQ(Walk(BuildSfx("", zip)).size(), 1u);
  }
}

TEST_F(CursorTest, FailedPositioningReadsNothing) {
  std::string path = dir / "sfx.exe";
  WriteBytes(path, BuildSfx("", BuildZip({MakeEntry("a", "alpha")}).bytes));
  OpenSfx sfx(path);
  SetLocalHeaderSignature();
  SeekArchive(0x7C00, 0);
  EXPECT_EQ(archivePos, 0x7C00);
  SeekArchive(-1, 0);
  EXPECT_EQ(archivePos, -1);
  EXPECT_FALSE(ReadLocalHeader());
  EXPECT_EQ(bytesLeft, 0);
}

}  // namespace
