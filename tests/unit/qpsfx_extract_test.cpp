// qpsfx list, extract and test, run as the program a distributor runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

#ifdef QP_QPSFX

namespace {

ZipEntrySpec Entry(const std::string& name, const std::string& data, uint16_t method = 0) {
  ZipEntrySpec entry;
  entry.name = name;
  entry.data = data;
  entry.method = method;
  return entry;
}

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class QpsfxTest : public ::testing::Test {
 protected:
  // Runs qpsfx with arguments (already quoted for the shell), stdin from /dev/null.
  Outcome Qpsfx(const std::string& arguments) {
    std::string command = "TMPDIR='" + tmp + "' " + QP_QPSFX + " " + arguments + " >'" +
                          (dir / "stdout") + "' 2>'" + (dir / "stderr") + "' </dev/null";
    Outcome run{RunCommand(command), "", ""};
    run.out = ReadBytes(dir / "stdout");
    run.err = ReadBytes(dir / "stderr");
    return run;
  }
  std::string MakeSfx(const std::vector<ZipEntrySpec>& entries, const std::string& block = "") {
    std::string path = dir / "test.exe";
    WriteBytes(path, BuildSfx(block, BuildZip(entries).bytes));
    return "'" + path + "'";
  }
  void SetUp() override {
    ResetTestUi();  // links the test side of the seam, which OpenSfx needs
    RunCommand("mkdir -p '" + tmp + "'");
  }

  TempDir dir;
  std::string tmp = dir / "tmp";
  std::string out = dir / "out";
};

TEST_F(QpsfxTest, ListPrintsTheStubsListAndReportsBadFiles) {
  std::string sfx =
      MakeSfx({Entry("b.txt", "b"), Entry("A/", ""), Entry("a.txt", "a"), Entry("b.txt", "again")});
  Outcome run = Qpsfx("list " + sfx);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "a.txt\nA/\nb.txt\nb.txt\n");
  EXPECT_EQ(run.err, "");

  WriteBytes(dir / "damaged.exe",
             BuildSfx("", BuildZip({Entry("a.txt", "a")}, false).bytes + "not a header"));
  run = Qpsfx("list '" + (dir / "damaged.exe") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "a.txt\n");
  EXPECT_EQ(run.err, "warning: Cannot read archive header\n");

  run = Qpsfx("list '" + (dir / "missing.exe") + "'");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "error: Cannot open file " + (dir / "missing.exe") + "\n");
}

TEST_F(QpsfxTest, ExtractWritesEveryEntryOrTheNamedOnes) {
  std::string text = TextLikeBytes(200000, 7);
  std::string sfx = MakeSfx({Entry("docs/", ""), Entry("docs/readme.txt", text, 8),
                             Entry("bin/tool.bin", RandomBytes(3000, 8)), Entry("x.txt", "x")});
  Outcome run = Qpsfx("extract " + sfx + " -d '" + out + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "info: All files have been extracted successful.\n");
  EXPECT_EQ(ReadBytes(out + "/docs/readme.txt"), text);
  EXPECT_EQ(ReadBytes(out + "/bin/tool.bin"), RandomBytes(3000, 8));

  std::string only = dir / "only";
  run = Qpsfx("extract " + sfx + " -d '" + only + "' X.TXT bin/tool.bin");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadBytes(only + "/x.txt"), "x");
  EXPECT_TRUE(FileExists(only + "/bin/tool.bin"));
  EXPECT_FALSE(FileExists(only + "/docs"));

  run = Qpsfx("extract " + sfx + " -d '" + only + "' nothing.txt");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "qpsfx: no entry named nothing.txt\n");
  EXPECT_EQ(Qpsfx("extract " + sfx + " --overwrite --skip-existing").status, 2);
  EXPECT_EQ(Qpsfx("extract '" + (dir / "missing.exe") + "'").status, 2);
}

TEST_F(QpsfxTest, ExtractFailuresExitOneWithTheStubsMessages) {
  ZipEntrySpec bad = Entry("bad.txt", "data");
  bad.crc = 1;
  std::string sfx = MakeSfx({Entry("good.txt", "g"), bad, Entry("../up.txt", "u")});
  Outcome run = Qpsfx("extract " + sfx + " -d '" + out + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "warning: Invalid filename ../up.txt\n"
            "error: Couldn't get extracted the selected files.\n"
            "qpsfx: not extracted: ../up.txt\n"
            "qpsfx: not extracted: bad.txt\n");
  EXPECT_EQ(ReadBytes(out + "/good.txt"), "g");
  EXPECT_FALSE(FileExists(dir / "up.txt"));
}

TEST_F(QpsfxTest, OverwritePolicyDefaultsToTheConfigurationBlock) {
  struct Case {
    uint8_t flags;
    const char* option;
    const char* expected;
  };
  const Case cases[] = {
      {0x0A, "", "new"},                 // the box starts checked: overwrite
      {0x02, "", "old"},                 // it starts unchecked: skip
      {0x02, "--overwrite", "new"},      //
      {0x0A, "--skip-existing", "old"},  //
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.flags) + c.option);
    std::string sfx = MakeSfx({Entry("f.txt", "new")}, BuildConfigBlock(c.flags, "", "", ""));
    RunCommand("mkdir -p '" + out + "'");
    WriteBytes(out + "/f.txt", "old");
    Outcome run = Qpsfx("extract " + sfx + " -d '" + out + "' " + c.option);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(out + "/f.txt"), c.expected);
  }
}

TEST_F(QpsfxTest, PasswordFromTheOptionOrAnEmptyAnswerWithoutTerminal) {
  ZipEntrySpec locked = Entry("locked.txt", "secret data", 8);
  locked.password = "pw";
  std::string sfx = MakeSfx({Entry("open.txt", "o"), locked});
  Outcome run = Qpsfx("extract " + sfx + " -d '" + out + "' --password pw");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadBytes(out + "/locked.txt"), "secret data");

  for (const char* option : {"--password wrong", ""}) {
    SCOPED_TRACE(option);
    std::string other = dir / "other";
    run = Qpsfx("extract " + sfx + " -d '" + other + "' " + option);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "qpsfx: not extracted: locked.txt\n");
    EXPECT_FALSE(FileExists(other + "/locked.txt"));
  }
}

TEST_F(QpsfxTest, RunCommandIsPrintedOnlyAfterACompleteExtraction) {
  std::string block = BuildConfigBlock(0x0A, "", "", "##setup.exe|/S ##");
  std::string sfx = MakeSfx({Entry("setup.exe", "MZ")}, block);
  Outcome run = Qpsfx("extract " + sfx + " -d '" + out + "/'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "run command: \"" + out + "\\setup.exe\" parameters \"/S " + out + "\\\"\n");

  ZipEntrySpec bad = Entry("setup.exe", "MZ");
  bad.crc = 1;
  sfx = MakeSfx({bad}, block);
  run = Qpsfx("extract " + sfx + " -d '" + out + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
}

TEST_F(QpsfxTest, TestChecksEveryEntryAndLeavesNothingBehind) {
  ZipEntrySpec bad = Entry("bad.bin", RandomBytes(1000, 3), 8);
  bad.crc = 7;
  ZipEntrySpec locked = Entry("locked.txt", "l", 0);
  locked.password = "pw";
  std::string good =
      MakeSfx({Entry("a/b.txt", TextLikeBytes(50000, 2), 8), Entry("a/", ""), locked});
  Outcome run = Qpsfx("test " + good + " --password pw");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "OK      a/\nOK      a/b.txt\nOK      locked.txt\n");

  std::string broken = MakeSfx({bad, Entry("c:evil", "e"), Entry("fine.txt", "f")});
  run = Qpsfx("test " + broken);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "FAILED  bad.bin: CRC-32 mismatch\n"
            "FAILED  c:evil: Invalid filename c:evil\n"
            "OK      fine.txt\n");
  EXPECT_EQ(RunCommand("test -z \"$(ls -A '" + tmp + "')\""), 0);
}

}  // namespace

#endif
