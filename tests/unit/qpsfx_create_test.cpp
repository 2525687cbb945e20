// qpsfx create: what it packs comes back whole through the core's extraction, the
// file is a valid ZIP archive as it stands, the configuration block holds the
// options, the output is reproducible, and what the stub cannot extract is refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/unit/support/qpsfx_run.h"
#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

// The core that the test support brings along reports through the test UI, which
// the linker must therefore take in.
void (*volatile qpsfxCreateTestUi)() = &ResetTestUi;

#ifdef QP_QPSFX

namespace {

const size_t kBlockAt = 0x7C00;

// A tree with what tends to break packers: an empty file, sizes around the 32 KB
// window, a few MB, random data that does not shrink, nesting, blanks in names
// and an empty folder.
void MakeTree(const TempDir& dir, const std::string& root, size_t bigSize = 3 << 20) {
  namespace fs = std::filesystem;
  fs::create_directories(dir / (root + "/a/b/c"));
  fs::create_directories(dir / (root + "/empty folder"));
  fs::create_directories(dir / (root + "/name with spaces"));
  WriteBytes(dir / (root + "/zero"), "");
  WriteBytes(dir / (root + "/a/32767.txt"), TextLikeBytes(32767, 1));
  WriteBytes(dir / (root + "/a/32768.bin"), RandomBytes(32768, 2));
  WriteBytes(dir / (root + "/a/b/32769.txt"), TextLikeBytes(32769, 3));
  WriteBytes(dir / (root + "/a/b/c/65536.txt"), std::string(65536, 'x'));
  WriteBytes(dir / (root + "/big.txt"), TextLikeBytes(bigSize, 4));
  WriteBytes(dir / (root + "/random.bin"), RandomBytes(1 << 20, 5));
  WriteBytes(dir / (root + "/name with spaces/file with spaces.txt"), "hello\r\nworld\n");
}

std::string ZipInfoOf(const std::string& file, const std::string& expression) {
  RunResult result = Shell(
      "python3 -c 'import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "print(" +
      expression + ")' " + Quote(file));
  EXPECT_EQ(result.status, 0) << result.output;
  return result.output;
}

class CreateRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(CreateRoundTrip, ExtractsTheSameTreeAndEveryReaderAcceptsIt) {
  TempDir dir;
  MakeTree(dir, "src");
  std::string password = GetParam();
  std::string sfx = dir / "out.exe";
  RunResult made = Shell(Qpsfx() + " create -q -o " + Quote(sfx) + " -C " + Quote(dir / "src") +
                         " ." + (password.empty() ? "" : " --password " + Quote(password)));
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_EQ(ReadBytes(sfx).substr(0, kBlockAt), ReadBytes(QP_STUB_EXE));

  RunResult extracted = ExtractSfx(sfx, dir / "out", password);
  ASSERT_EQ(extracted.status, 0) << extracted.output;
  EXPECT_EQ(ReadTree(dir / "out"), ReadTree(dir / "src"));
  EXPECT_EQ(ZipReadersObject(sfx, password), "");

  // The stub's forward walk finds every entry: 8 files and the empty folder.
  RunResult info = Shell(Qpsfx() + " info " + Quote(sfx));
  EXPECT_NE(info.output.find("\n9 entries"), std::string::npos) << info.output;
}

INSTANTIATE_TEST_SUITE_P(Passwords, CreateRoundTrip, ::testing::Values("", "s3cret pw"));

TEST(Create, NamesFollowThePathsAsGivenInSortedOrder) {
  TempDir dir;
  std::filesystem::create_directories(dir / "src/sub/deeper");
  std::filesystem::create_directories(dir / "src/empty");
  WriteBytes(dir / "src/b.txt", "b");
  WriteBytes(dir / "src/a.txt", "a");
  WriteBytes(dir / "src/sub/deeper/z.txt", "z");
  WriteBytes(dir / "src/sub/c.txt", "c");
  WriteBytes(dir / "top.txt", "t");
  std::string sfx = dir / "out.exe";
  RunResult made =
      Shell("cd " + Quote(dir.path) + " && " + Qpsfx() + " create -q -o out.exe top.txt ./src//");
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_EQ(ZipInfoOf(sfx, "z.namelist()"),
            "['top.txt', 'src/a.txt', 'src/b.txt', 'src/empty/', 'src/sub/c.txt', "
            "'src/sub/deeper/z.txt']\n");
  made = Shell(Qpsfx() + " create -q -o " + Quote(sfx) + " -C " + Quote(dir / "src") +
               " sub/deeper a.txt");
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_EQ(ZipInfoOf(sfx, "z.namelist()"), "['sub/deeper/z.txt', 'a.txt']\n");
  // -C moves the PATHs, not the output.
  made = Shell("cd " + Quote(dir.path) + " && " + Qpsfx() + " create -q -o rel.exe -C src a.txt");
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_EQ(ZipInfoOf(dir / "rel.exe", "z.namelist()"), "['a.txt']\n");
  EXPECT_FALSE(FileExists(dir / "src/rel.exe"));
}

TEST(Create, DeflatesWhatShrinksAndStoresTheRest) {
  TempDir dir;
  WriteBytes(dir / "text.txt", TextLikeBytes(60000, 7));
  WriteBytes(dir / "random.bin", RandomBytes(40000, 8));
  WriteBytes(dir / "one", "1");
  const char* methods = "[i.compress_type for i in z.infolist()]";
  struct Case {
    std::string options;
    std::string methods;
  };
  for (const Case& c : std::vector<Case>{{"", "[0, 0, 8]\n"},
                                         {"--level 1", "[0, 0, 8]\n"},
                                         {"--level 0", "[0, 0, 0]\n"},
                                         {"--best --iterations 2", "[0, 0, 8]\n"}}) {
    std::string sfx = dir / "out.exe";
    RunResult made = Shell(Qpsfx() + " create -q " + c.options + " -o " + Quote(sfx) + " -C " +
                           Quote(dir.path) + " one random.bin text.txt");
    ASSERT_EQ(made.status, 0) << c.options << made.output;
    EXPECT_EQ(ZipInfoOf(sfx, methods), c.methods) << c.options;
    EXPECT_EQ(ZipReadersObject(sfx), "") << c.options;
  }
  // Each stronger setting gives a smaller file.
  auto sizeWith = [&](const std::string& options) {
    Shell(Qpsfx() + " create -q " + options + " -o " + Quote(dir / "s.exe") + " -C " +
          Quote(dir.path) + " text.txt");
    return ReadBytes(dir / "s.exe").size();
  };
  size_t fast = sizeWith("--level 1");
  size_t standard = sizeWith("");
  size_t best = sizeWith("--best --iterations 2");
  EXPECT_LT(standard, fast);
  EXPECT_LE(best, standard);
}

TEST(Create, SameInputsGiveTheSameBytes) {
  TempDir dir;
  MakeTree(dir, "src", 100000);
  for (std::string options : {"", "--password pw --seed 42"}) {
    std::string base = Qpsfx() + " create -q " + options + " -C " + Quote(dir.path) + " src -o ";
    ASSERT_EQ(Shell(base + Quote(dir / "1.exe")).status, 0);
    ASSERT_EQ(Shell(base + Quote(dir / "2.exe") + " -j 1").status, 0);
    EXPECT_EQ(ReadBytes(dir / "1.exe"), ReadBytes(dir / "2.exe")) << options;
  }
  // Without a seed the encryption headers come from the random source.
  std::string base = Qpsfx() + " create -q --password pw -C " + Quote(dir.path) + " src -o ";
  ASSERT_EQ(Shell(base + Quote(dir / "1.exe")).status, 0);
  ASSERT_EQ(Shell(base + Quote(dir / "2.exe")).status, 0);
  EXPECT_NE(ReadBytes(dir / "1.exe"), ReadBytes(dir / "2.exe"));
}

TEST(Create, EntryTimesComeFromTheFilesOrOneFixedTime) {
  TempDir dir;
  WriteBytes(dir / "f.txt", "f");
  struct timespec times[2] = {{0, 0}, {1700000001, 0}};  // 2023-11-14 22:13:21 UTC
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "f.txt").c_str(), times, 0), 0);
  const char* dateTime = "z.infolist()[0].date_time";
  std::string create =
      Qpsfx() + " create -q -o " + Quote(dir / "o.exe") + " -C " + Quote(dir.path) + " f.txt";
  struct Case {
    std::string prefix;
    std::string options;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {"TZ=UTC ", "", "(2023, 11, 14, 22, 13, 20)\n"},
           {"TZ=UTC ", "--mtime 2001-02-03", "(2001, 2, 3, 0, 0, 0)\n"},
           {"TZ=UTC ", "--mtime '2001-02-03 04:05:07'", "(2001, 2, 3, 4, 5, 6)\n"},
           {"TZ=Asia/Tokyo ", "--mtime 1700000001", "(2023, 11, 14, 22, 13, 20)\n"},
           {"TZ=Asia/Tokyo SOURCE_DATE_EPOCH=1000000000 ", "", "(2001, 9, 9, 1, 46, 40)\n"}}) {
    RunResult made = Shell(c.prefix + create + " " + c.options);
    ASSERT_EQ(made.status, 0) << c.options << made.output;
    EXPECT_EQ(ZipInfoOf(dir / "o.exe", dateTime), c.expected) << c.prefix << c.options;
  }
}

struct BlockCase {
  std::string options;
  uint8_t flags;
  std::string intro, folder, command;
};

TEST(Create, WritesTheConfigurationBlockTheOptionsAskFor) {
  TempDir dir;
  WriteBytes(dir / "f.txt", "f");
  WriteBytes(dir / "intro.txt", "Line one\nLine two\r\nLine three\n\n");
  std::vector<BlockCase> cases = {
      {"", 0x0A, "", "", ""},
      {"--overwrite", 0x0A, "", "", ""},
      {"--skip-existing", 0x02, "", "", ""},
      {"--no-file-list", 0x08, "", "", ""},
      {"--hide-overwrite --skip-existing", 0x06, "", "", ""},
      {"--temp-folder", 0x0A, "", "##", ""},
      {"--intro 'Hello there' --folder 'C:\\Program Files\\App' --run '##setup.exe|/q ##'", 0x0A,
       "Hello there", "C:\\Program Files\\App", "##setup.exe|/q ##"},
      {"--intro-file " + Quote(dir / "intro.txt"), 0x0A, "Line one\r\nLine two\r\nLine three", "",
       ""},
      {"--intro " + std::string(200, 'i') + " --folder " + std::string(40, 'f') + " --run " +
           std::string(9, 'r'),
       0x0A, std::string(200, 'i'), std::string(40, 'f'), std::string(9, 'r')},
  };
  for (const BlockCase& c : cases) {
    std::string sfx = dir / "o.exe";
    RunResult made = Shell(Qpsfx() + " create -q -o " + Quote(sfx) + " " + c.options + " -C " +
                           Quote(dir.path) + " f.txt");
    ASSERT_EQ(made.status, 0) << c.options << made.output;
    std::string bytes = ReadBytes(sfx);
    EXPECT_EQ(bytes.substr(kBlockAt, 256), BuildConfigBlock(c.flags, c.intro, c.folder, c.command))
        << c.options;
    EXPECT_EQ(bytes.substr(kBlockAt + 256, 4), std::string("PK\3\4", 4)) << c.options;
    EXPECT_EQ(ZipReadersObject(sfx), "") << c.options;
  }
  // What the stub reads back, through the core.
  RunResult made = Shell(Qpsfx() + " create -q -o " + Quote(dir / "o.exe") +
                         " --intro Hi --temp-folder --run 'x.exe|##' --no-file-list -C " +
                         Quote(dir.path) + " f.txt");
  ASSERT_EQ(made.status, 0) << made.output;
  RunResult info = Shell(Qpsfx() + " info " + Quote(dir / "o.exe"));
  EXPECT_NE(info.output.find("intro text             \"Hi\""), std::string::npos) << info.output;
  EXPECT_NE(info.output.find("run command            \"x.exe|##\""), std::string::npos);
  EXPECT_NE(info.output.find("fileListEnabled        false"), std::string::npos);
  EXPECT_NE(info.output.find("archiveBase: 0x7D00"), std::string::npos);

  made = Shell(Qpsfx() + " create -q --no-block -o " + Quote(dir / "o.exe") + " -C " +
               Quote(dir.path) + " f.txt");
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_EQ(ReadBytes(dir / "o.exe").substr(kBlockAt, 4), std::string("PK\3\4", 4));
  EXPECT_EQ(ZipReadersObject(dir / "o.exe"), "");
}

TEST(Create, RefusesWhatTheStubCannotHoldOrExtract) {
  TempDir dir;
  namespace fs = std::filesystem;
  fs::create_directories(dir / "in/sub");
  WriteBytes(dir / "in/ok.txt", "ok");
  WriteBytes(dir / "back\\slash.txt", "b");
  fs::create_directories(dir / "case");
  WriteBytes(dir / "case/README", "1");
  WriteBytes(dir / "case/readme", "2");
  std::string deep = "d";
  while (deep.size() < 200) deep += "/abcdefghij";
  fs::create_directories(dir / deep);
  WriteBytes(dir / (deep + "/f.txt"), "deep");
  {
    FILE* big = fopen((dir / "big.bin").c_str(), "wb");
    ASSERT_NE(big, nullptr);
    ASSERT_EQ(ftruncate(fileno(big), 0x80000000LL), 0);  // sparse: no disk space needed
    fclose(big);
  }
  struct Case {
    std::string arguments;
    std::string message;
  };
  std::vector<Case> cases = {
      {"--intro " + std::string(256, 'i') + " in", "the intro text is 256 bytes long"},
      {"--run " + std::string(256, 'r') + " in", "the run command is 256 bytes long"},
      {"--intro " + std::string(200, 'i') + " --folder " + std::string(40, 'f') + " --run " +
           std::string(10, 'r') + " in",
       "take 250 bytes together; the configuration block holds at most 249"},
      {"--intro-file missing.txt in", "cannot read the intro file missing.txt"},
      {"../" + fs::path(dir.path).filename().string() + "/in", "\"..\" component"},
      {Quote(dir / "in"), "would be absolute"},
      {Quote("back\\slash.txt"), "a character that Windows does not allow"},
      {"in/ok.txt in", "its entry name in/ok.txt is also that of in/ok.txt"},
      {deep, "below a typical folder Windows allows at most 194"},
      {"big.bin", "the stub reads files below 2 GiB only"},
      {"--password " + std::string(80, 'p') + " in", "takes at most 79"},
      {"--password '' in", "must not be empty"},
      {"--mtime 1979-12-31 in", "--mtime 1979-12-31"},
      {"--no-block --intro x in", "excludes"},
      {"--overwrite --skip-existing in", "excludes"},
      {"missing.txt", "cannot read missing.txt"},
      {"-C in/sub .", "nothing to pack"},
  };
  for (const Case& c : cases) {
    std::string sfx = dir / "out.exe";
    RunResult result = Shell("cd " + Quote(dir.path) + " && " + Qpsfx() + " create -q -o " +
                             Quote(sfx) + " " + c.arguments);
    EXPECT_EQ(result.status, 2) << c.arguments << "\n" << result.output;
    EXPECT_NE(result.output.find(c.message), std::string::npos) << c.arguments << "\n"
                                                                << result.output;
    EXPECT_FALSE(FileExists(sfx)) << c.arguments;
  }
  // Names that differ in letter case only are packed, with a warning.
  RunResult cased = Shell("cd " + Quote(dir.path) + " && " + Qpsfx() + " create -q -o c.exe case");
  EXPECT_EQ(cased.status, 0);
  EXPECT_NE(cased.output.find("warning: case/readme and case/README are the same on Windows"),
            std::string::npos)
      << cased.output;
  EXPECT_EQ(Shell("ls " + Quote(dir.path) + " | grep -c tmp").output, "0\n");
}

TEST(Create, DryRunShowsTheEntriesAndWritesNothing) {
  TempDir dir;
  MakeTree(dir, "src");
  RunResult result =
      Shell(Qpsfx() + " create -n -o " + Quote(dir / "o.exe") + " -C " + Quote(dir.path) + " src");
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("     3145728  src/big.txt\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("      folder  src/empty folder/\n"), std::string::npos);
  EXPECT_NE(result.output.find("9 entries"), std::string::npos);
  EXPECT_FALSE(FileExists(dir / "o.exe"));

  // Without -q a summary follows the packing.
  result =
      Shell(Qpsfx() + " create -o " + Quote(dir / "o.exe") + " -C " + Quote(dir.path) + " src");
  ASSERT_EQ(result.status, 0) << result.output;
  std::string size = std::to_string(ReadBytes(dir / "o.exe").size());
  EXPECT_NE(result.output.find(": 9 entries, 4358157 bytes in, " + size + " bytes out (archive "),
            std::string::npos)
      << result.output;
}

}  // namespace

#endif
