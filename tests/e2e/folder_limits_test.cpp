// Folders longer than targetFolder holds (255 characters): never cut short, so
// nothing is written into a folder the user did not choose.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/support/scenario.h"

namespace {

const std::vector<ZipEntrySpec> kOneFile = {Entry("a.txt", "alpha\n")};
const char kFailure[] = "message error \"Couldn't get extracted the selected files.\"\n";

// A folder below the scenario folder, of components of 40 characters, whose whole
// Windows path has the given length.
std::string FolderOfLength(size_t length) {
  std::string folder = WorkFolder();
  while (folder.size() + 1 < length) {
    folder += "\\" + std::string(std::min<size_t>(length - folder.size() - 1, 40), 'd');
  }
  return folder;
}

// A Windows path below the scenario folder, relative to it, in POSIX form.
std::string Relative(const std::string& windowsPath) {
  std::string relative = windowsPath.substr(WorkFolder().size() + 1);
  for (char& c : relative) c = c == '\\' ? '/' : c;
  return relative;
}

std::string Main(const std::string& folder) {
  return "main folder=\"" + folder +
         "\" intro=\"\" overwrite=checked filelist=shown hint=shown lists=1/0\n";
}

TEST(FolderLimits, TypedFolderOverTheLimitThatDoesNotExistIsRefusedNotCut) {
  std::string typed = FolderOfLength(300);
  Scenario scenario;
  scenario.sfx = MakeSfx("", kOneFile);
  scenario.steps = "start\nwait main\nset main 101 " + typed +
                   "\nclick main 1\nmessage\nsync\nshow main\nclick main 2\nexit\n";
  Outcome outcome = RunScenario(scenario);
  std::string shown = "{work}" + typed.substr(WorkFolder().size());
  EXPECT_EQ(outcome.transcript, Main("{work}\\cwd") + "message warning \"Error in directory " +
                                    shown + "\"\n" + Main(shown) + "exit 0 started=0\n");
  // Neither the folder cut at 255 characters nor any part of the typed one was made.
  EXPECT_FALSE(std::filesystem::exists(outcome.Path(Relative(typed.substr(0, 255)))));
  EXPECT_FALSE(std::filesystem::exists(outcome.Path(std::string(40, 'd'))));
}

TEST(FolderLimits, TypedFolderOverTheLimitThatExistsIsTakenInItsShortForm) {
  // Past 260 characters the system's ANSI calls give no short form either.
  std::string typed = FolderOfLength(258);
  Scenario scenario;
  scenario.sfx = MakeSfx("", kOneFile);
  scenario.files = {{Relative(typed) + "/keep", ""}};
  scenario.steps = "start\nwait main\nset main 101 " + typed + "\nclick main 1\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            Main("{work}\\cwd") +
                "message information \"All files have been extracted successful.\"\n"
                "exit 0 started=0\n");
  EXPECT_EQ(outcome.Read(Relative(typed) + "/a.txt"), "alpha\n");
  EXPECT_FALSE(std::filesystem::exists(outcome.Path(Relative(typed.substr(0, 255)))));
}

TEST(FolderLimits, TemporaryFolderOverTheLimitExtractsNothing) {
  // GetTempPathA cannot give a path that long: the "##" of the block stays as
  // it is, names no folder that can be made, and the walk reports it.
  std::string temp = FolderOfLength(270) + "\\";
  Scenario scenario;
  scenario.sfx = MakeSfx(BuildConfigBlock(0x0A, "", "##", ""), kOneFile);
  scenario.steps = "env TEMP=" + temp + "\nenv TMP=" + temp +
                   "\nstart\nwait main\nclick main 1\nmessage\nmessage\nsync\nshow "
                   "main\nclick main 2\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, Main("##") + "message warning \"Error in directory ##\"\n" +
                                    kFailure + Main("##") + "exit 0 started=0\n");
  EXPECT_TRUE(outcome.Tree("cwd").empty());
  EXPECT_FALSE(std::filesystem::exists(outcome.Path(std::string(40, 'd'))));
}

}  // namespace
