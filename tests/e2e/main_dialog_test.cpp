// The main dialog of the real stub: what each configuration shows, Extract of
// everything, the overwrite check box and its policy, the folder.
#include <gtest/gtest.h>

#include "tests/e2e/support/scenario.h"

namespace {

const char kSuccess[] = "message information \"All files have been extracted successful.\"\n";
const char kExitClean[] = "exit 0 started=0\n";

const std::vector<ZipEntrySpec> kTwoFiles = {Entry("a.txt", "alpha\n"),
                                             Entry("b/c.txt", "gamma gamma gamma\n", 0)};

TEST(MainDialog, WithoutBlockOffersEverythingAndExtractsAllIntoTheCurrentFolder) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", kTwoFiles);
  // Arguments change nothing.
  scenario.steps = R"(args /S some arguments
start
wait main
click main 1
message
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            "main folder=\"{work}\\cwd\" intro=\"\" overwrite=checked filelist=shown hint=shown "
            "lists=2/0\n" +
                std::string(kSuccess) + kExitClean);
  EXPECT_EQ(outcome.Tree("cwd"),
            (std::vector<std::string>{"a.txt=alpha\n", "b/", "b/c.txt=gamma gamma gamma\n"}));
}

// Each configuration's dialog, and whether an existing file is then replaced.
struct FlagsCase {
  uint8_t flags;
  const char* shown;  // the main line after the folder and intro
  bool replaces;
};

class MainDialogFlags : public testing::TestWithParam<FlagsCase> {};

TEST_P(MainDialogFlags, ShowsTheBoxAndAppliesItsPolicy) {
  const FlagsCase& c = GetParam();
  Scenario scenario;
  scenario.sfx = MakeSfx(BuildConfigBlock(c.flags, "", "", ""), kTwoFiles);
  scenario.files = {{"cwd/a.txt", "old"}};
  scenario.steps = "start\nwait main\nclick main 1\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, "main folder=\"{work}\\cwd\" intro=\"\" " + std::string(c.shown) +
                                    "\n" + kSuccess + kExitClean);
  EXPECT_EQ(outcome.Read("cwd/a.txt"), c.replaces ? "alpha\n" : "old");
  EXPECT_EQ(outcome.Read("cwd/b/c.txt"), "gamma gamma gamma\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainDialogFlags,
    testing::Values(
        // Bit 1 clear: no FileList button, no hint, the archive listed into both lists.
        FlagsCase{0x00, "overwrite=unchecked filelist=hidden hint=hidden lists=2/2", false},
        FlagsCase{0x08, "overwrite=checked filelist=hidden hint=hidden lists=2/2", true},
        FlagsCase{0x18, "overwrite=unchecked filelist=hidden hint=hidden lists=2/2", false},
        FlagsCase{0x0A, "overwrite=checked filelist=shown hint=shown lists=2/0", true},
        FlagsCase{0x12, "overwrite=unchecked filelist=shown hint=shown lists=2/0", false},
        // Bits 0 and 5 to 7 change nothing.
        FlagsCase{0xEB, "overwrite=checked filelist=shown hint=shown lists=2/0", true},
        // Bit 2 removes the box and keeps the policy of bits 3 and 4.
        FlagsCase{0x06, "overwrite=absent filelist=shown hint=shown lists=2/0", false},
        FlagsCase{0x0E, "overwrite=absent filelist=shown hint=shown lists=2/0", true},
        FlagsCase{0x1E, "overwrite=absent filelist=shown hint=shown lists=2/0", false}),
    [](const testing::TestParamInfo<FlagsCase>& info) {
      char name[16];
      std::snprintf(name, sizeof name, "Flags%02X", info.param.flags);
      return std::string(name);
    });

// The check mark and the policy agree before and after any number of clicks.
struct ClicksCase {
  uint8_t flags;
  int clicks;
  bool checked;
};

class OverwriteBox : public testing::TestWithParam<ClicksCase> {};

TEST_P(OverwriteBox, CheckedMeansOverwriteAfterEveryClick) {
  const ClicksCase& c = GetParam();
  Scenario scenario;
  scenario.sfx = MakeSfx(BuildConfigBlock(c.flags, "", "", ""), kTwoFiles);
  scenario.files = {{"cwd/a.txt", "old"}};
  scenario.steps = "start\nwait main\n";
  for (int i = 0; i < c.clicks; ++i) scenario.steps += "click main 501\n";
  scenario.steps += "sync\nshow main\nclick main 1\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  const char* initial = (c.flags & 0x18) == 0x08 ? "checked" : "unchecked";
  const char* now = c.checked ? "checked" : "unchecked";
  const std::string rest = " filelist=shown hint=shown lists=2/0\n";
  EXPECT_EQ(outcome.transcript,
            "main folder=\"{work}\\cwd\" intro=\"\" overwrite=" + std::string(initial) + rest +
                "main folder=\"{work}\\cwd\" intro=\"\" overwrite=" + now + rest + kSuccess +
                kExitClean);
  EXPECT_EQ(outcome.Read("cwd/a.txt"), c.checked ? "alpha\n" : "old");
}

INSTANTIATE_TEST_SUITE_P(Cases, OverwriteBox,
                         testing::Values(ClicksCase{0x0A, 1, false}, ClicksCase{0x0A, 2, true},
                                         ClicksCase{0x02, 1, true}, ClicksCase{0x02, 2, false},
                                         ClicksCase{0x02, 3, true}),
                         [](const testing::TestParamInfo<ClicksCase>& info) {
                           return std::string(info.param.flags == 0x0A ? "Checked" : "Unchecked") +
                                  "Then" + std::to_string(info.param.clicks) + "Clicks";
                         });

TEST(MainDialog, ShowsTheIntroTextAndTheDefaultFolderAndExtractsThere) {
  Scenario scenario;
  scenario.sfx = MakeSfx(BuildConfigBlock(0x0A, "Welcome to the \"test\" setup.\r\nSecond line.",
                                          WorkFolder() + "\\deep\\out", ""),
                         kTwoFiles);
  scenario.steps = "start\nwait main\nclick main 1\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            "main folder=\"{work}\\deep\\out\" intro=\"Welcome to the \\\"test\\\" "
            "setup.\\r\\nSecond line.\" overwrite=checked filelist=shown hint=shown lists=2/0\n" +
                std::string(kSuccess) + kExitClean);
  EXPECT_EQ(outcome.Tree("deep/out"),
            (std::vector<std::string>{"a.txt=alpha\n", "b/", "b/c.txt=gamma gamma gamma\n"}));
  EXPECT_TRUE(outcome.Tree("cwd").empty());
}

TEST(MainDialog, HashDefaultFolderIsTheTemporaryFolderShownWithItsBackslash) {
  Scenario scenario;
  scenario.sfx = MakeSfx(BuildConfigBlock(0x0A, "", "##", ""), kTwoFiles);
  scenario.files = {{"temp/keep", ""}};
  scenario.steps =
      "env TEMP={work}\\temp\nenv TMP={work}\\temp\nstart\nwait main\nclick main "
      "1\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            "main folder=\"{work}\\temp\\\" intro=\"\" overwrite=checked filelist=shown "
            "hint=shown lists=2/0\n" +
                std::string(kSuccess) + kExitClean);
  EXPECT_EQ(
      outcome.Tree("temp"),
      (std::vector<std::string>{"a.txt=alpha\n", "b/", "b/c.txt=gamma gamma gamma\n", "keep="}));
}

TEST(MainDialog, EmptyFolderEditAtExtractUsesAndShowsTheCurrentFolder) {
  Scenario scenario;
  scenario.sfx = MakeSfx(BuildConfigBlock(0x0A, "", WorkFolder() + "\\elsewhere", ""), kTwoFiles);
  scenario.steps = R"(start
wait main
set main 101
click main 1
message keep
show main
click message 1
exit
)";
  Outcome outcome = RunScenario(scenario);
  const std::string rest = "\" intro=\"\" overwrite=checked filelist=shown hint=shown lists=2/0\n";
  EXPECT_EQ(outcome.transcript, "main folder=\"{work}\\elsewhere" + rest + kSuccess +
                                    "main folder=\"{work}\\cwd" + rest + kExitClean);
  EXPECT_EQ(outcome.Tree("cwd").size(), 3u);
}

TEST(MainDialog, BrowseCancelledKeepsTheFolderAndConfirmedShowsTheChosenOne) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", kTwoFiles);
  // Confirmed as it opens, the browser gives the folder it starts on (Wine's desktop).
  scenario.steps = R"(start
wait main
click main 775
wait browse
click browse 2
gone browse
show main
click main 775
wait browse
click browse 1
gone browse
show main
click main 2
exit
)";
  Outcome outcome = RunScenario(scenario);
  const std::string rest = "\" intro=\"\" overwrite=checked filelist=shown hint=shown lists=2/0\n";
  const std::string cwd = "main folder=\"{work}\\cwd" + rest;
  const std::string browse = "browse caption=\"Browse for Folder\"\n";
  const std::string head = cwd + browse + cwd + browse + "main folder=\"C:\\users\\";
  ASSERT_EQ(outcome.transcript.substr(0, head.size()), head);
  EXPECT_NE(outcome.transcript.find("\\Desktop" + rest + kExitClean), std::string::npos)
      << outcome.transcript;
  EXPECT_TRUE(outcome.Tree("cwd").empty());
}

TEST(MainDialog, CancelEndsWithoutExtracting) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", kTwoFiles);
  scenario.steps = "start\nwait main\nclick main 2\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            "main folder=\"{work}\\cwd\" intro=\"\" overwrite=checked filelist=shown hint=shown "
            "lists=2/0\n" +
                std::string(kExitClean));
  EXPECT_TRUE(outcome.Tree("cwd").empty());
}

}  // namespace
