// Damaged and hostile archives behind the real stub: what the user is told, what
// is left on disk.
#include <gtest/gtest.h>

#include "tests/e2e/support/scenario.h"

namespace {

const char kFailure[] = "message error \"Couldn't get extracted the selected files.\"\n";
const char kHeaderMissing[] = "message warning \"Cannot read archive header\"\n";

std::string Main(const char* tail) {
  return std::string("main folder=\"{work}\\cwd\" intro=\"\" overwrite=checked ") + tail + "\n";
}

// After a failure the dialog stays open; Cancel then ends the program.
const char kExtractThenCancel[] =
    "start\nwait main\nclick main 1\nmessage\nsync\nshow main\nclick main 2\nexit\n";

TEST(ArchiveErrors, EmptyArchiveIsReportedOnceAndTwiceWithoutFileList) {
  struct {
    std::string block;
    int reports;
    const char* shown;
  } cases[] = {
      {"", 1, "filelist=shown hint=shown lists=0/0"},
      {BuildConfigBlock(0x0A, "", "", ""), 1, "filelist=shown hint=shown lists=0/0"},
      // Without the file list the archive is listed into both lists.
      {BuildConfigBlock(0x08, "", "", ""), 2, "filelist=hidden hint=hidden lists=0/0"},
  };
  for (auto& c : cases) {
    Scenario scenario;
    scenario.sfx = BuildSfx(c.block, "", StubImage());
    std::string expected;
    scenario.steps = "start\n";
    for (int i = 0; i < c.reports; ++i) {
      scenario.steps += "message\n";
      expected += kHeaderMissing;
    }
    // Extract with nothing to extract says nothing more.
    scenario.steps += "wait main\nclick main 1\nsync\nclick main 2\nexit\n";
    Outcome outcome = RunScenario(scenario);
    EXPECT_EQ(outcome.transcript, expected + Main(c.shown) + "exit 0 started=0\n")
        << "block of " << c.block.size() << " bytes";
    EXPECT_TRUE(outcome.Tree("cwd").empty());
  }
}

TEST(ArchiveErrors, CrcMismatchIsReportedAtTheEndAndTheFileStays) {
  ZipEntrySpec broken = Entry("broken.txt", "these bytes do not match the CRC\n");
  broken.crc = 0x12345678;
  Scenario scenario;
  scenario.sfx = MakeSfx("", {broken, Entry("good.txt", "good\n")});
  scenario.steps = kExtractThenCancel;
  Outcome outcome = RunScenario(scenario);
  std::string main = Main("filelist=shown hint=shown lists=2/0");
  EXPECT_EQ(outcome.transcript, main + kFailure + main + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd"),
            (std::vector<std::string>{"broken.txt=these bytes do not match the CRC\n",
                                      "good.txt=good\n"}));
}

TEST(ArchiveErrors, UnknownMethodEndsTheWalkAndLeavesAnEmptyFile) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", {Entry("first.txt", "first\n"), Entry("odd.bin", "imploded", 6),
                              Entry("never.txt", "never reached\n")});
  scenario.steps = kExtractThenCancel;
  Outcome outcome = RunScenario(scenario);
  std::string main = Main("filelist=shown hint=shown lists=3/0");
  EXPECT_EQ(outcome.transcript,
            main + "message error \"Unknown compression type\"\n" + main + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd"), (std::vector<std::string>{"first.txt=first\n", "odd.bin="}));
}

TEST(ArchiveErrors, NamesThatClimbOutOfTheFolderAreRefused) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", {Entry("../evil.txt", "evil\n"), Entry("sub/../../evil2.txt", "x"),
                              Entry("good.txt", "good\n")});
  scenario.steps =
      "start\nwait main\nclick main 1\nmessage\nmessage\nmessage\nsync\nclick main 2\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, Main("filelist=shown hint=shown lists=3/0") +
                                    "message warning \"Invalid filename ../evil.txt\"\n"
                                    "message warning \"Invalid filename sub/../../evil2.txt\"\n" +
                                    kFailure + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd"), (std::vector<std::string>{"good.txt=good\n"}));
  EXPECT_FALSE(outcome.Has("evil.txt"));
  EXPECT_FALSE(outcome.Has("evil2.txt"));
}

TEST(ArchiveErrors, EmptyNameEndsTheListing) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", {Entry("a.txt", "a\n"), Entry("", "nameless"), Entry("b.txt", "b")});
  scenario.steps = "start\nmessage\nwait main\nclick main 2\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, "message error \"Invalid filename \"\n" +
                                    Main("filelist=shown hint=shown lists=1/0") +
                                    "exit 0 started=0\n");
}

}  // namespace
