#include "tests/e2e/support/scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string ScenarioName() {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

std::string ScenarioFolder() {
  return fs::absolute(fs::path(QP_WINE_STATE) / "scenarios" / ScenarioName()).string();
}

}  // namespace

std::string WorkFolder() { return WindowsPath(ScenarioFolder()); }

const std::string& StubImage() {
  static const std::string image = ReadBytes(QP_STUB_EXE);
  return image;
}

const std::string& MarkerProgram() {
  static const std::string program = ReadBytes(QP_E2E_MARKER);
  return program;
}

ZipEntrySpec Entry(const std::string& name, const std::string& data, uint16_t method) {
  ZipEntrySpec entry;
  entry.name = name;
  entry.data = data;
  entry.method = method;
  return entry;
}

ZipEntrySpec Encrypted(const std::string& name, const std::string& data,
                       const std::string& password) {
  ZipEntrySpec entry = Entry(name, data);
  entry.password = password;
  return entry;
}

std::string MakeSfx(const std::string& block, const std::vector<ZipEntrySpec>& entries) {
  return BuildSfx(block, BuildZip(entries).bytes, StubImage());
}

std::string WindowsPath(const std::string& posixPath) {
  return "Z:" + ReplaceAll(posixPath, "/", "\\");
}

std::vector<std::string> Outcome::Tree(const std::string& subfolder) const {
  std::vector<std::string> files;
  fs::path root = Path(subfolder);
  if (!fs::exists(root)) return files;
  for (auto& entry : fs::recursive_directory_iterator(root)) {
    std::string relative = fs::relative(entry.path(), root).generic_string();
    if (entry.is_directory()) {
      files.push_back(relative + "/");
    } else {
      files.push_back(relative + "=" + ReadBytes(entry.path().string()));
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

Outcome RunScenario(const Scenario& scenario) {
  Outcome outcome;
  outcome.folder = ScenarioFolder();
  fs::remove_all(outcome.folder);
  fs::create_directories(outcome.Path("cwd"));
  for (auto& [name, bytes] : scenario.files) {
    fs::create_directories(fs::path(outcome.Path(name)).parent_path());
    WriteBytes(outcome.Path(name), bytes);
  }
  WriteBytes(outcome.Path("test.exe"), scenario.sfx);

  std::string work = WindowsPath(outcome.folder);
  std::string script = "program " + work + "\\test.exe\ncwd " + work + "\\cwd\n" +
                       ReplaceAll(scenario.steps, "{work}", work);
  WriteBytes(outcome.Path("script.txt"), script);

  std::string command = "eval \"$('" QP_E2E_DIR "/wine_env.sh' env '" QP_WINE_STATE
                        "')\" && "
                        "timeout 120 wine '" QP_E2E_DRIVER "' '" +
                        work + "\\script.txt' '" + work + "\\transcript.txt' </dev/null >'" +
                        outcome.Path("wine.log") + "' 2>&1";
  RunCommand("bash -c " + std::string("'") + ReplaceAll(command, "'", "'\\''") + "'");
  if (outcome.Has("transcript.txt")) {
    outcome.transcript = ReplaceAll(outcome.Read("transcript.txt"), work, "{work}");
  }
  return outcome;
}
