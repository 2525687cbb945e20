// qpsfx info: the configuration block and the local headers of an SFX file, as
// the stub reads them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/support/sfx_builder.h"

namespace {

#ifdef QP_QPSFX

struct Outcome {
  int exitCode;
  std::string out, err;
};

class QpsfxInfoTest : public ::testing::Test {
 protected:
  Outcome Qpsfx(const std::string& arguments) {
    Outcome run;
    run.exitCode = RunCommand(std::string("'") + QP_QPSFX + "' " + arguments + " >'" +
                              (dir / "out") + "' 2>'" + (dir / "err") + "'");
    run.out = ReadBytes(dir / "out");
    run.err = ReadBytes(dir / "err");
    return run;
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  TempDir dir;
};

TEST_F(QpsfxInfoTest, FileWithBlockAndEntries) {
  std::vector<ZipEntrySpec> specs(3);
  specs[0] = MakeEntry("readme.txt", "hello");
  specs[1] = MakeEntry("dir/data.bin", TextLikeBytes(5000, 1));
  specs[1].method = 8;
  specs[1].crc = 0xDEADBEEFu;
  specs[2] = MakeEntry("secret.txt", "abc");
  specs[2].password = "pw";
  specs[2].descriptorsAfter = 1;
  ZipLayout zip = BuildZip(specs);
  uint32_t deflatedSize = static_cast<uint32_t>(RawDeflate(specs[1].data).size());
  std::string path = dir / "with block.exe";
  WriteBytes(path, BuildSfx(BuildConfigBlock(0x0D, "Welcome", "##", "##setup.exe|/q"), zip.bytes));

  Outcome run = Qpsfx("info '" + path + "'");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  char line1[128], line2[128], line3[128];
  snprintf(line1, sizeof line1, "0x%08X 0      0x0000 %10u %10u %08X  readme.txt",
           0x7D00 + zip.headerOffsets[0], 5u, 5u, ZipCrc("hello"));
  snprintf(line2, sizeof line2, "0x%08X 8      0x0000 %10u %10u DEADBEEF  dir/data.bin",
           0x7D00 + zip.headerOffsets[1], deflatedSize, 5000u);
  snprintf(line3, sizeof line3, "0x%08X 0      0x0001 %10u %10u %08X  secret.txt",
           0x7D00 + zip.headerOffsets[2], 15u, 3u, ZipCrc("abc"));
  const std::vector<std::string> expected = {
      "configuration block:",
      "  intro text             \"Welcome\"",
      "  default folder         \"##\"",
      "  run command            \"##setup.exe|/q\"",
      "  fileListEnabled        false",
      "  hideOverwriteOption    true",
      "  overwriteControlId     501",
      "  overwriteChecked       1",
      "archiveBase: 0x7D00",
      "header     method flags  compressed       size crc32     name",
      line1,
      line2,
      line3,
      "3 entries",
  };
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), expected.size()) << run.out;
  for (size_t i = 0; i < lines.size(); ++i) {
    // "##" as default folder is the temporary folder; the rest is exact.
    if (i == 2) {
      EXPECT_EQ(lines[i].rfind("  default folder         \"/", 0), 0u) << lines[i];
      continue;
    }
    EXPECT_EQ(lines[i], expected[i]);
  }
}

TEST_F(QpsfxInfoTest, FileWithoutBlock) {
  std::string path = dir / "plain.exe";
  WriteBytes(path, BuildSfx("", BuildZip({MakeEntry("only.txt", "x")}).bytes));
  Outcome run = Qpsfx("info '" + path + "'");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> lines = Lines(run.out);
  const std::vector<std::string> head = {
      "configuration block: none",      "  fileListEnabled        true",
      "  hideOverwriteOption    false", "  overwriteControlId     501",
      "  overwriteChecked       1",     "archiveBase: 0x7C00",
  };
  ASSERT_GE(lines.size(), head.size() + 3) << run.out;
  for (size_t i = 0; i < head.size(); ++i) EXPECT_EQ(lines[i], head[i]);
  EXPECT_EQ(lines[head.size() + 1].substr(0, 10), "0x00007C00");
  EXPECT_EQ(lines.back(), "1 entries");

  // No archive at all: no entries, still a readable file.
  WriteBytes(path, BuildSfx("", ""));
  run = Qpsfx("info '" + path + "'");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Lines(run.out).back(), "0 entries");
}

TEST_F(QpsfxInfoTest, MissingFile) {
  std::string path = dir / "no such file.exe";
  Outcome run = Qpsfx("info '" + path + "'");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("Cannot open file " + path), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(QpsfxInfoTest, Help) {
  Outcome run = Qpsfx("--help");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("info"), std::string::npos) << run.out;
  run = Qpsfx("info --help");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("FILE"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("local header"), std::string::npos) << run.out;
  // A missing argument is a usage error.
  run = Qpsfx("info");
  EXPECT_EQ(run.exitCode, 2);
}

#else

TEST(QpsfxInfoTest, NeedsTheHostTool) {
  GTEST_SKIP() << "built without the stub (QP_WITH_STUB=OFF), so without qpsfx";
}

#endif

}  // namespace
