// The run command after a complete extraction: the "|" split, the "##"
// placeholder for the target folder, and when the command is started.
#include "startup/launch.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "archive/walk.h"
#include "platform/memory.h"
#include "startup/config_block.h"
#include "startup/startup.h"
#include "tests/unit/support/test_ui.h"

namespace {

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTestUi();
    AllocateSharedBuffers();
    sfxConfig.hasRunCommand = true;
  }
  void TearDown() override { FreeSharedBuffers(); }

  void Set(const std::string& command, const std::string& folder) {
    ASSERT_LT(command.size(), kTextBufferSize);
    ASSERT_LE(folder.size(), 255u);
    strcpy(runCommand, command.c_str());
    strcpy(targetFolder, folder.c_str());
  }
  std::string Part(int32_t which) {
    char* text = ExpandCommandPart(which);
    std::string part = text;
    ReleaseMemory(text);
    return part;
  }
};

TEST_F(LaunchTest, SplitsAtTheFirstBarAndReplacesEveryPlaceholder) {
  struct Case {
    const char* command;
    const char* folder;
    const char* program;
    const char* parameters;
  };
  const Case cases[] = {
      {"##setup.exe", "C:\\WINDOWS\\TEMP", "C:\\WINDOWS\\TEMP\\setup.exe", ""},
      {"setup.exe", "C:\\t", "setup.exe", ""},
      {"|only parameters", "C:\\t", "", "only parameters"},
      {"prog|a|b", "C:\\t", "prog", "a|b"},
      {"##bin\\run.exe|/in ## /log ##log.txt", "D:\\x", "D:\\x\\bin\\run.exe",
       "/in D:\\x\\ /log D:\\x\\log.txt"},
      {"##a##b", "F", "F\\aF\\b", ""},
      {"###", "F", "F\\#", ""},
      {"#|#", "F", "#", "#"},
      {"##x", "C:\\dir\\", "C:\\dir\\x", ""},                 // no second backslash
      {"##x", "", "\\x", ""},                                 // an empty folder becomes "\"
      {"##x|##y", "C:\\a##b", "C:\\a##b\\x", "C:\\a##b\\y"},  // the folder is not searched again
      {"", "C:\\t", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    Set(c.command, c.folder);
    EXPECT_EQ(Part(1), c.program);
    EXPECT_EQ(Part(2), c.parameters);
  }
}

TEST_F(LaunchTest, FolderOf255CharactersGainsItsBackslashInsideTheBuffer) {
  std::string folder = "/" + std::string(254, 'f');
  Set("##go|##", folder);
  EXPECT_EQ(Part(1), folder + "\\go");
  EXPECT_EQ(Part(2), folder + "\\");
  EXPECT_EQ(strlen(targetFolder), 256u);
  EXPECT_LE(257, kTargetFolderSize);
}

TEST_F(LaunchTest, StartsOnlyWithCodeOneAndARunCommand) {
  Set("##setup.exe|/quiet", "C:\\t");
  LaunchAfterExtraction(0);
  LaunchAfterExtraction(2);
  sfxConfig.hasRunCommand = false;
  LaunchAfterExtraction(1);
  EXPECT_TRUE(testUi.launches.empty());
  sfxConfig.hasRunCommand = true;
  LaunchAfterExtraction(1);
  ASSERT_EQ(testUi.launches.size(), 1u);
  EXPECT_EQ(testUi.launches[0].program, "C:\\t\\setup.exe");
  EXPECT_EQ(testUi.launches[0].parameters, "/quiet");
  EXPECT_TRUE(testUi.messages.empty());
}

}  // namespace
