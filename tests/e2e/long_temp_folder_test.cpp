// A temporary folder that does not fit the target folder as the default folder
// ("##") on the real stub under Wine: taken in short form, or replaced by the
// current folder, never cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/e2e/support/scenario.h"

namespace {

namespace fs = std::filesystem;

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
