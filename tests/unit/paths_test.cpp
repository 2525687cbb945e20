// Texts and Windows paths: the in-place routines, the folder part, existence and
// folder chains (on real temporary folders).
#include "archive/paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/posix/posix_host.h"
#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Runs an in-place routine on a copy of text in a buffer with room to spare.
template <typename Routine>
std::string InPlace(Routine routine, const std::string& text) {
  char buffer[600];
  text.copy(buffer, text.size());
  buffer[text.size()] = 0;
  EXPECT_EQ(routine(buffer), buffer) << "returns the text it was given";
  return buffer;
}

TEST(TextTest, LengthAndFromBuffer) {
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("abc"), 3);
  EXPECT_EQ(TextLength(std::string(300, 'x').c_str()), 300);

  struct Case {
    std::string bytes;
    uint16_t n;
    std::string text;
  };
  const Case cases[] = {
      {std::string("ab\0cd", 5), 5, "ab"},  // cut before the first zero byte
      {"abcdef", 3, "abc"},
      {"abc", 0, ""},
      {std::string("\0bc", 3), 3, ""},
  };
  for (const Case& c : cases) {
    char out[16];
    memset(out, 'X', sizeof out);
    TextFromBuffer(out, c.bytes.data(), c.n);
    EXPECT_EQ(std::string(out), c.text);
  }
}

TEST(TextTest, BackslashesAndSlashes) {
  struct Case {
    std::string in, appended, stripped, backslashed;
  };
  const Case cases[] = {
      {"C:\\dir", "C:\\dir\\", "C:\\dir", "C:\\dir"},
      {"C:\\dir\\", "C:\\dir\\", "C:\\dir", "C:\\dir\\"},
      {"", "\\", "", ""},
      {"a\\\\", "a\\\\", "a\\", "a\\\\"},  // only one backslash goes
      {"a/b/", "a/b/\\", "a/b/", "a\\b\\"},
      {"/", "/\\", "/", "\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(InPlace(AppendBackslash, c.in), c.appended);
    EXPECT_EQ(InPlace(StripBackslash, c.in), c.stripped);
    EXPECT_EQ(InPlace(SlashesToBackslashes, c.in), c.backslashed);
  }
}

TEST(FolderOfPathTest, Table) {
  struct Case {
    std::string path, folder;
  };
  const Case cases[] = {
      {"C:\\dir\\file", "C:\\dir"},
      {"C:\\file", "C:\\"},
      {"C:\\", "C:\\"},  // a drive root is its own folder
      {"C:file", "C:"},
      {"file", ""},
      {"", ""},
      {"a/b", "a"},
      {"a\\b/c", "a\\b"},
      {"\\file", ""},
      {"C:\\dir\\", "C:\\dir"},
      {"dir\\sub\\", "dir\\sub"},
      {"C:/file", "C:/"},
      {"x:\\", "x:\\"},
      // Three characters with a ':' are their own folder part, and so is a
      // path that ends in ':' (no progress for the folder chain).
      {"C:x", "C:x"},
      {":ab", ":ab"},
      {"T:\\target\\C:", "T:\\target\\C:"},
      {"T:\\target\\C:x", "T:\\target\\C:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    char out[64];
    memset(out, 'X', sizeof out);
    FolderOfPath(out, c.path.c_str());
    EXPECT_EQ(std::string(out), c.folder);
  }
}

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTestUi();
    WriteBytes(dir / "file.txt", "x");
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    WriteBytes(dir / "sub/inner.txt", "y");
  }
  void TearDown() override { ResetTestUi(); }
  // The temporary folder as a Windows-style path with '\' separators.
  std::string Win(const std::string& relative) const {
    std::string path = dir.path + "\\" + relative;
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    return path;
  }

  TempDir dir;
};

TEST_F(FolderTest, PathExists) {
  struct Case {
    std::string text;
    bool exists;
    std::string textAfter;  // the caller's text after the call
  };
  const std::string root = Win("");
  const Case cases[] = {
      {Win("file.txt"), true, Win("file.txt")},
      {Win("sub"), true, Win("sub")},
      {Win("sub\\"), true, Win("sub\\")},  // a folder listed through "*.*"
      {Win("missing"), false, Win("missing")},
      {Win("missing\\"), false, Win("missing\\")},
      {Win("file.txt\\"), false, Win("file.txt\\")},  // a file has no listing
      // Without a trailing '\' the caller's '/' become '\'.
      {root + "sub/inner.txt", true, root + "sub\\inner.txt"},
      // A trailing '/' becomes a trailing '\' of a name, which is never found.
      {root + "sub/", false, root + "sub\\"},
      // With a trailing '\' the text is listed on a copy and stays as it is.
      {root + "sub/\\", true, root + "sub/\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    char text[600];
    c.text.copy(text, c.text.size());
    text[c.text.size()] = 0;
    EXPECT_EQ(PathExists(text), c.exists);
    EXPECT_EQ(std::string(text), c.textAfter);
  }
}

// The wildcard text is built in a buffer of its own; long texts ending in '\'
// must stay inside it, whatever the answer.
TEST_F(FolderTest, PathExistsOnLongTexts) {
  for (size_t length : {250u, 251u, 252u, 255u, 300u, 527u, 528u, 560u}) {
    SCOPED_TRACE(length);
    std::string text = Win("");
    text += std::string(length > text.size() ? length - text.size() - 1 : 1, 'a') + "\\";
    char buffer[600];
    text.copy(buffer, text.size());
    buffer[text.size()] = 0;
    EXPECT_FALSE(PathExists(buffer));
    EXPECT_EQ(std::string(buffer), text);
  }
}

TEST_F(FolderTest, CreateFolderChainCreatesFromTheTopDown) {
  CreateFolderChain(Win("a\\b\\c").c_str());
  EXPECT_TRUE(IsFolder(dir / "a/b/c"));

  // Only the folder named; a trailing '\' is dropped once.
  CreateFolderChain(Win("d\\").c_str());
  EXPECT_TRUE(IsFolder(dir / "d"));

  // Existing folders are left alone; '/' separates as well.
  CreateFolderChain((dir.path + "/a/b/e/f").c_str());
  EXPECT_TRUE(IsFolder(dir / "a/b/e/f"));
  EXPECT_TRUE(IsFolder(dir / "a/b/c"));

  // A file in the way: the folder cannot be made, and nothing is reported.
  CreateFolderChain(Win("file.txt\\x").c_str());
  EXPECT_FALSE(IsFolder(dir / "file.txt/x"));
  EXPECT_TRUE(testUi.messages.empty());
}

TEST_F(FolderTest, CreateFolderChainStopsAtARefusedFolder) {
  posixFaults.refuseFolder = "/r2";
  CreateFolderChain(Win("r1\\r2\\r3").c_str());
  EXPECT_TRUE(IsFolder(dir / "r1"));
  EXPECT_FALSE(IsFolder(dir / "r1/r2"));
  EXPECT_FALSE(IsFolder(dir / "r1/r2/r3"));
}

// Folder parts that make no progress end the chain (an entry named C:\x gives
// target\C:), as do texts too short to be folders and texts beyond any path.
TEST_F(FolderTest, CreateFolderChainEndsOnEveryInput) {
  const std::string inputs[] = {
      Win("target\\C:"),
      Win("target\\C:\\"),
      Win("target\\C:\\x"),
      "C:",
      "C:\\",
      "",
      "\\",
      "a",
      Win(std::string(600, 'n')),
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    CreateFolderChain(input.c_str());
  }
  EXPECT_FALSE(IsFolder(dir / "target")) << "nothing above a folder part without progress";
  EXPECT_FALSE(IsFolder("C:"));

  // Relative to the current folder, so run from inside the temporary one.
  char* previous = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(dir.path.c_str()), 0);
  CreateFolderChain("C:x");
  CreateFolderChain("C:x\\y");
  EXPECT_EQ(chdir(previous), 0);
  free(previous);
  EXPECT_FALSE(IsFolder(dir / std::string(600, 'n')));
}

}  // namespace
