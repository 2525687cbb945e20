// The configuration block between the stub and the archive, read as start-up reads it.
#include "startup/config_block.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system.h"
#include "startup/startup.h"
#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

namespace {

// What a test expects of sfxConfig, archiveBase and the three texts.
struct Expected {
  bool fileListEnabled = true;
  bool hideOverwriteOption = false;
  int32_t overwriteControlId = 501;
  uint8_t overwriteChecked = 1;
  int32_t archiveBase = 0x7C00;
  bool hasIntroText = false;
  bool hasDefaultFolder = false;
  bool hasRunCommand = false;
  std::string intro, folder, command;
};

class ConfigBlockTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetTestUi(); }

  // Writes the file, starts up on it and checks what the block gave.
  void Check(const std::string& fileBytes, const Expected& e) {
    std::string path = dir / "sfx.exe";
    WriteBytes(path, fileBytes);
    OpenSfx sfx(path);
    ASSERT_TRUE(sfx.opened);
    EXPECT_EQ(archiveBase, e.archiveBase);
    EXPECT_EQ(sfxConfig.fileListEnabled, e.fileListEnabled);
    EXPECT_EQ(sfxConfig.hideOverwriteOption, e.hideOverwriteOption);
    EXPECT_EQ(sfxConfig.overwriteControlId, e.overwriteControlId);
    EXPECT_EQ(sfxConfig.overwriteChecked, e.overwriteChecked);
    EXPECT_EQ(sfxConfig.hasIntroText, e.hasIntroText);
    EXPECT_EQ(sfxConfig.hasDefaultFolder, e.hasDefaultFolder);
    EXPECT_EQ(sfxConfig.hasRunCommand, e.hasRunCommand);
    EXPECT_EQ(std::string(introText), e.intro);
    EXPECT_EQ(std::string(defaultFolder), e.folder);
    EXPECT_EQ(std::string(runCommand), e.command);
    EXPECT_TRUE(testUi.messages.empty());
  }

  TempDir dir;
  std::string zip = BuildZip({MakeEntry("a.txt", "alpha")}).bytes;
};

// The defaults stand whenever there is no block at 0x7C00.
TEST_F(ConfigBlockTest, NoBlockKeepsTheDefaults) {
  const std::string cases[] = {
      BuildSfx("", zip),             // the archive right behind the stub
      BuildSfx("", ""),              // nothing behind the stub
      std::string(0x7C00 + 2, '@'),  // fewer than three bytes at 0x7C00
      std::string(100, 'x'),         // a file shorter than the stub
      BuildSfx("@qp" + BuildConfigBlock(0x0E, "i", "f", "c").substr(3), zip),  // case matters
      BuildSfx("@Q" + std::string(1, '\0') + BuildConfigBlock(0x0E, "i", "f", "c").substr(3), zip),
      BuildSfx(" @QP" + BuildConfigBlock(0x0E, "i", "f", "c").substr(4), zip),
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    SCOPED_TRACE(i);
    Check(cases[i], Expected());
  }
}

TEST_F(ConfigBlockTest, FlagsSetTheDialogSwitches) {
  struct Case {
    uint8_t flags;
    bool fileList, hide;
    int32_t controlId;
    uint8_t checked;
  };
  const Case cases[] = {
      {0x00, false, false, 502, 0},  // nothing set: no file list, box shown unchecked
      {0x02, true, false, 502, 0},
      {0x04, false, true, 502, 0},
      {0x08, false, false, 501, 1},  // bits 3-4 = 1: box checked
      {0x10, false, false, 502, 0},
      {0x18, false, false, 502, 0},  // 2 and 3 as 0
      {0x0E, true, true, 501, 1},
      {0x16, true, true, 502, 0},
      // Bit 0 and bits 5-7 change nothing.
      {0x01, false, false, 502, 0},
      {0xE0, false, false, 502, 0},
      {0xEB, true, false, 501, 1},
      {0xFF, true, true, 502, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << int{c.flags});
    Expected e;
    e.fileListEnabled = c.fileList;
    e.hideOverwriteOption = c.hide;
    e.overwriteControlId = c.controlId;
    e.overwriteChecked = c.checked;
    e.archiveBase = 0x7D00;
    Check(BuildSfx(BuildConfigBlock(c.flags, "", "", ""), zip), e);
  }
}

TEST_F(ConfigBlockTest, TextsAreReadBackToBack) {
  // The block of the format's example: 91-byte intro, folder and command.
  std::string intro(91, 'i');
  intro[0] = 'W';
  intro[90] = '!';
  Expected e;
  e.fileListEnabled = false;
  e.hideOverwriteOption = true;
  e.archiveBase = 0x7D00;
  e.hasIntroText = e.hasDefaultFolder = e.hasRunCommand = true;
  e.intro = intro;
  e.folder = "C:\\WINDOWS\\TEMP";
  e.command = "##setup.exe";
  Check(BuildSfx(BuildConfigBlock(0x0D, intro, e.folder, e.command), zip), e);
}

TEST_F(ConfigBlockTest, LengthsZeroAndFull) {
  Expected e;
  e.fileListEnabled = true;
  e.overwriteControlId = 502;
  e.overwriteChecked = 0;
  e.archiveBase = 0x7D00;
  Check(BuildSfx(BuildConfigBlock(0x02, "", "", ""), zip), e);

  // Three texts of 255 bytes run past the block's 256 bytes; each is read whole
  // and the archive is still taken to start at 0x7D00.
  e.hasIntroText = e.hasDefaultFolder = e.hasRunCommand = true;
  e.intro = std::string(255, 'I');
  e.folder = std::string(254, 'F') + "#";
  e.command = "##" + std::string(253, 'C');
  Check(BuildSfx(BuildConfigBlock(0x02, e.intro, e.folder, e.command), zip), e);
}

TEST_F(ConfigBlockTest, OnlyTheExactTextHashHashIsTheTemporaryFolder) {
  char temp[kTextBufferSize];
  GetTempFolder(temp, 260);
  ASSERT_NE(std::string(temp), "");
  const std::string folders[] = {"##", "## ", " ##", "##x", "#", "###", "##\\sub"};
  for (const std::string& folder : folders) {
    SCOPED_TRACE("folder \"" + folder + "\"");
    Expected e;
    e.archiveBase = 0x7D00;
    e.fileListEnabled = true;
    e.hasDefaultFolder = true;
    e.folder = folder == "##" ? std::string(temp) : folder;
    Check(BuildSfx(BuildConfigBlock(0x0A, "", folder, ""), zip), e);
  }
}

// A file that ends inside the block: the bytes it lacks read as zeros, so the
// texts come out shorter, never with the previous file's contents.
TEST_F(ConfigBlockTest, FileEndingInsideTheBlock) {
  // First a full block, so that stale texts would show.
  Expected full;
  full.archiveBase = 0x7D00;
  full.hasIntroText = full.hasDefaultFolder = full.hasRunCommand = true;
  full.intro = "stale intro";
  full.folder = "stale folder";
  full.command = "stale command";
  full.fileListEnabled = true;
  full.overwriteControlId = 502;
  full.overwriteChecked = 0;
  Check(BuildSfx(BuildConfigBlock(0x02, full.intro, full.folder, full.command), zip), full);

  std::string block = BuildConfigBlock(0x0A, "Hello", "C:\\Q", "run");
  struct Case {
    size_t keep;  // bytes of the block the file holds
    uint8_t flags, introLength, folderLength, commandLength;
    std::string intro, folder, command;
  };
  const Case cases[] = {
      {3, 0x00, 0, 0, 0, "", "", ""},
      {4, 0x0A, 0, 0, 0, "", "", ""},
      {6, 0x0A, 5, 4, 0, "", "", ""},
      {7, 0x0A, 5, 4, 3, "", "", ""},
      {9, 0x0A, 5, 4, 3, "He", "", ""},
      {14, 0x0A, 5, 4, 3, "Hello", "C:", ""},
      {18, 0x0A, 5, 4, 3, "Hello", "C:\\Q", "ru"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "file ends after " << c.keep << " bytes of the block");
    Expected e;
    e.archiveBase = 0x7D00;
    e.fileListEnabled = (c.flags & 0x02) != 0;
    e.overwriteControlId = (c.flags & 0x18) == 0x08 ? 501 : 502;
    e.overwriteChecked = (c.flags & 0x18) == 0x08 ? 1 : 0;
    e.hasIntroText = c.introLength > 0;
    e.hasDefaultFolder = c.folderLength > 0;
    e.hasRunCommand = c.commandLength > 0;
    e.intro = c.intro;
    e.folder = c.folder;
    e.command = c.command;
    Check(BuildSfx(block.substr(0, c.keep), ""), e);
  }
}

}  // namespace
