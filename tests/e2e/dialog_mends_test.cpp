// The dialogs' own rules on the real stub under Wine: the overwrite check box and
// the policy always agree, commands that arrive while a walk runs are refused,
// and folder paths that do not fit the target folder are never cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/e2e/support/scenario.h"

namespace {

namespace fs = std::filesystem;

struct OverwriteCase {
  const char* name;
  uint8_t flags;
  int clicks;
  const char* mark;  // the box as shown before Extract
  bool replaced;     // the existing file is overwritten
};

void PrintTo(const OverwriteCase& c, std::ostream* out) { *out << c.name; }

class OverwriteBox : public ::testing::TestWithParam<OverwriteCase> {};

// Checked always overwrites and unchecked always skips, before and after clicks;
// the configuration decides the start, and a hidden box keeps its policy.
TEST_P(OverwriteBox, MarkAndPolicyAgree) {
  const OverwriteCase& c = GetParam();
  Scenario scenario;
  scenario.sfx = MakeSfx(BuildConfigBlock(c.flags, "", "", ""), {Entry("a.txt", "new")});
  scenario.files["cwd/a.txt"] = "old";
  scenario.steps = "start\nwait main\n";
  for (int i = 0; i < c.clicks; ++i) scenario.steps += "click main 501\n";
  scenario.steps += "sync\nshow main\nclick main 1\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  std::string lists = (c.flags & 0x02) ? "lists=1/0" : "lists=1/1";
  std::string shown = std::string(" overwrite=") + c.mark + " filelist=" +
                      ((c.flags & 0x02) ? "shown hint=shown " : "hidden hint=hidden ") + lists;
  EXPECT_NE(outcome.transcript.find("\nmain folder=\"{work}\\cwd\" intro=\"\"" + shown + "\n"),
            std::string::npos)
      << outcome.transcript;
  EXPECT_NE(
      outcome.transcript.find("message information \"All files have been extracted successful.\"\n"
                              "exit 0 started=0\n"),
      std::string::npos)
      << outcome.transcript;
  EXPECT_EQ(outcome.Read("cwd/a.txt"), c.replaced ? "new" : "old");
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, OverwriteBox,
    ::testing::Values(OverwriteCase{"Checked", 0x0A, 0, "checked", true},
                      OverwriteCase{"CheckedClickedOnce", 0x0A, 1, "unchecked", false},
                      OverwriteCase{"CheckedClickedTwice", 0x0A, 2, "checked", true},
                      OverwriteCase{"Unchecked", 0x02, 0, "unchecked", false},
                      OverwriteCase{"UncheckedClickedOnce", 0x02, 1, "checked", true},
                      OverwriteCase{"UncheckedClickedTwice", 0x12, 2, "unchecked", false},
                      OverwriteCase{"HiddenOverwrites", 0x0E, 0, "absent", true},
                      OverwriteCase{"HiddenSkips", 0x06, 0, "absent", false}),
    [](const ::testing::TestParamInfo<OverwriteCase>& info) { return info.param.name; });

// While the password prompt of a walk is open, the main dialog's commands arrive
// through the prompt's message loop. A second Extract would select every entry
// again mid-walk (and a.txt, done already, would count as failed); FileList and
// Browse would open their dialogs inside the walk.
TEST(WalkGuard, MainDialogRefusesExtractFileListAndBrowseDuringAWalk) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", {Entry("a.txt", "alpha"), Encrypted("b.txt", "bravo", "pw")});
  scenario.steps = R"(start
wait main
click main 1
wait password
command main 1
command main 3
command main 775
sync
set password 101 pw
click password 1
message
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            "main folder=\"{work}\\cwd\" intro=\"\" overwrite=checked filelist=shown "
            "hint=shown lists=2/0\n"
            "password masked=yes text=\"\"\n"
            "message information \"All files have been extracted successful.\"\n"
            "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd"), (std::vector<std::string>{"a.txt=alpha", "b.txt=bravo"}));
}

// Cancel (also the close box and Esc) during a walk must not end the dialog: after
// an incomplete extraction it stays open for another try. Two passwords, so that
// the walk in the file list prompts again (the last password is tried first).
TEST(WalkGuard, CancelDuringAWalkKeepsBothDialogsOpen) {
  ZipEntrySpec damaged = Entry("c.txt", "charlie", 0);
  damaged.crc = 0x12345678;
  Scenario scenario;
  scenario.sfx =
      MakeSfx("", {Encrypted("b.txt", "bravo", "pw"), damaged, Encrypted("d.txt", "delta", "qq")});
  scenario.steps = R"(start
wait main
click main 1
wait password
command main 2
sync
set password 101 pw
click password 1
answer qq
message
show main
click main 3
wait filelist
click filelist 1
wait password
command filelist 2
sync
set password 101 pw
click password 1
answer qq
message
show filelist
click filelist 2
gone filelist
show main
click main 2
exit
)";
  Outcome outcome = RunScenario(scenario);
  // The file list's lines are left out: only that it is still there matters here.
  std::string transcript;
  for (size_t at = 0, end; at < outcome.transcript.size(); at = end + 1) {
    end = outcome.transcript.find('\n', at);
    if (end == std::string::npos) end = outcome.transcript.size();
    std::string line = outcome.transcript.substr(at, end - at);
    transcript += (line.rfind("filelist", 0) == 0 ? "filelist" : line) + "\n";
  }
  const std::string main =
      "main folder=\"{work}\\cwd\" intro=\"\" overwrite=checked filelist=shown hint=shown "
      "lists=3/0\n";
  const std::string prompt = "password masked=yes text=\"\"\n";
  const std::string failed = "message error \"Couldn't get extracted the selected files.\"\n";
  EXPECT_EQ(transcript, main + prompt + prompt + failed + main + "filelist\n" + prompt + prompt +
                            failed + "filelist\n" + main + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd"),
            (std::vector<std::string>{"b.txt=bravo", "c.txt=charlie", "d.txt=delta"}));
}

// Browse: cancelled, the edit keeps its text (a trailing backslash included);
// confirmed, it shows the folder chosen, here the browser's first choice, the
// desktop.
TEST(Browse, CancelKeepsTheFolderAndConfirmTakesTheChosenOne) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", {Entry("a.txt", "alpha")});
  scenario.steps = R"(start
wait main
set main 101 {work}\typed\
click main 775
wait browse
click browse 2
gone browse
sync
show main
click main 775
wait browse
click browse 1
gone browse
sync
show main
click main 2
exit
)";
  Outcome outcome = RunScenario(scenario);
  const std::string rest = " intro=\"\" overwrite=checked filelist=shown hint=shown lists=1/0\n";
  const std::string browse = "browse caption=\"Browse for Folder\"\n";
  const std::string before = "main folder=\"{work}\\cwd\"" + rest + browse +
                             "main folder=\"{work}\\typed\\\"" + rest + browse;
  ASSERT_EQ(outcome.transcript.substr(0, before.size()), before) << outcome.transcript;
  std::string chosen = outcome.transcript.substr(before.size());
  EXPECT_EQ(chosen.substr(chosen.find("\" intro=")), "\"" + rest + "exit 0 started=0\n") << chosen;
  EXPECT_NE(chosen.find("\\Desktop\" intro="), std::string::npos) << chosen;
}

// The folder RunScenario gives the running test, known before it runs.
std::string ScenarioFolder() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return fs::absolute(fs::path(QP_WINE_STATE) / "scenarios" /
                      (std::string(test->test_suite_name()) + "." + test->name()))
      .string();
}

// A folder name below the scenario's cwd whose Windows path is exactly `length`
// characters long, relative to cwd with '/' separators.
std::string DeepFolder(size_t length) {
  size_t at = WindowsPath(ScenarioFolder()).size() + 5;  // "\cwd\"
  std::string relative;
  while (at + relative.size() < length) {
    size_t room = length - at - relative.size();
    if (!relative.empty()) {
      relative += '/';
      --room;
    }
    relative += std::string(room > 60 ? 50 : room, 'd');
  }
  return relative;
}

std::string Windows(std::string relative) {
  std::replace(relative.begin(), relative.end(), '/', '\\');
  return WindowsPath(ScenarioFolder()) + "\\cwd\\" + relative;
}

// The folder edit's text in the last description of the main dialog.
std::string ShownFolder(const std::string& transcript) {
  size_t at = transcript.rfind("main folder=\"");
  if (at == std::string::npos) return "<none>";
  std::string shown = transcript.substr(at + 13);
  return shown.substr(0, shown.find('"'));
}

// The temporary folder as default folder ("##"): beyond 255 characters it is taken
// in short form when it exists, and the current folder stands in when it does not.
TEST(LongFolders, TemporaryFolderBeyond255CharactersIsShortenedOrRefused) {
  std::string deep = DeepFolder(258);
  Scenario scenario;
  scenario.sfx = MakeSfx(BuildConfigBlock(0x0A, "", "##", ""), {Entry("a.txt", "alpha")});
  scenario.files["cwd/" + deep + "/keep"] = "";
  scenario.steps = "env TMP=" + Windows(deep) + "\nenv TEMP=" + Windows(deep) +
                   "\nstart\nwait main\nclick main 1\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  std::string shown = ShownFolder(outcome.transcript);
  EXPECT_LE(shown.size(), 255u) << shown;
  EXPECT_EQ(shown.back(), '\\') << shown;
  EXPECT_EQ(outcome.Read("cwd/" + deep + "/a.txt"), "alpha");

  std::string missing = DeepFolder(258);
  missing.back() = 'x';
  scenario.files.clear();
  scenario.steps = "env TMP=" + Windows(missing) + "\nenv TEMP=" + Windows(missing) +
                   "\nstart\nwait main\nclick main 1\nmessage\nexit\n";
  outcome = RunScenario(scenario);
  EXPECT_EQ(ShownFolder(outcome.transcript), "{work}\\cwd") << outcome.transcript;
  EXPECT_EQ(outcome.Read("cwd/a.txt"), "alpha");
}

}  // namespace
