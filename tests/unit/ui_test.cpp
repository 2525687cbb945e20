// The window arithmetic and the folder rules of the dialogs, on the host.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"
#include "ui/target_folder.h"
#include "ui/window_math.h"

namespace {

TEST(CenteredOrigin, CentresAndTruncatesTowardZero) {
  struct Case {
    int32_t screen, low, high, origin;
  } cases[] = {
      {1024, 0, 300, 362},    // 300 wide on 1024
      {768, 0, 200, 284},     // 200 high on 768
      {1024, 50, 350, 362},   // only the extent counts, not where the window is now
      {1024, 0, 301, 361},    // 723 / 2
      {1024, 0, 1024, 0},     // exactly as wide as the screen
      {1024, 0, 1030, -3},    // wider: negative
      {1024, 0, 1031, -3},    // -7 / 2 is -3, not -4
      {1024, -20, 1011, -3},  // the same window further left
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CenteredOrigin(c.screen, c.low, c.high), c.origin)
        << c.screen << " " << c.low << " " << c.high;
  }
}

TEST(MinInt, ReturnsTheSmallerSigned) {
  EXPECT_EQ(MinInt(5, 5), 5);
  EXPECT_EQ(MinInt(-1, 0x8000), -1);
  EXPECT_EQ(MinInt(0x10000, 0x8000), 0x8000);
  EXPECT_EQ(MinInt(INT32_MIN, INT32_MAX), INT32_MIN);
}

class TargetFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTestUi();
    memcpy(targetFolder, "C:\\before", 10);
    ASSERT_TRUE(getcwd(savedFolder_, sizeof savedFolder_));
  }
  void TearDown() override { ASSERT_EQ(chdir(savedFolder_), 0); }
  char savedFolder_[4096];
};

TEST_F(TargetFolderTest, TakesFoldersUpTo255CharactersAndRefusesLongerOnes) {
  std::string fits = "C:\\" + std::string(252, 'f');
  ASSERT_EQ(fits.size(), 255u);
  std::string text = fits;
  EXPECT_TRUE(TakeFolder(&text[0]));
  EXPECT_EQ(std::string(targetFolder), fits);

  // One more character must not be cut off: that would be another folder.
  std::string tooLong = fits + "g";
  for (const std::string& refused : {tooLong, tooLong + std::string(3, 'h')}) {
    memcpy(targetFolder, "C:\\before", 10);
    text = refused;
    EXPECT_FALSE(TakeFolder(&text[0]));
    EXPECT_STREQ(targetFolder, "C:\\before");
  }
  // The 258-byte buffer is never written past the terminator of a taken folder.
  EXPECT_EQ(targetFolder[kTargetFolderSize - 1], 0);
}

TEST_F(TargetFolderTest, CurrentFolderOrDotWhenItDoesNotFit) {
  char scratch[261];
  TakeCurrentFolder(scratch, sizeof scratch);
  EXPECT_STREQ(targetFolder, savedFolder_);

  // A current folder deeper than 260 characters: "." stands for it, never an
  // empty text (the drive's root) and never a cut path.
  TempDir temp;
  std::string deep = temp.path;
  while (deep.size() <= 300) {
    deep += "/" + std::string(40, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
  }
  ASSERT_EQ(chdir(deep.c_str()), 0);
  TakeCurrentFolder(scratch, sizeof scratch);
  EXPECT_STREQ(targetFolder, ".");
  ASSERT_EQ(chdir(savedFolder_), 0);
}

}  // namespace
