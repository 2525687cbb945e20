// The extraction and listing driver over archives built byte by byte, with the
// test UI recording every message box and answering the password prompts.
#include "archive/walk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "archive/cursor.h"
#include "platform/entry_list.h"
#include "platform/messages.h"
#include "platform/posix/posix_host.h"
#include "startup/config_block.h"
#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

namespace {

const RecordedMessage kAllDone{"All files have been extracted successful.", kIconInformation};
const RecordedMessage kNotAll{"Couldn't get extracted the selected files.", kIconError};
const RecordedMessage kNoHeader{"Cannot read archive header", kIconWarning};

std::string Windows(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class WalkTest : public ::testing::Test {
 public:
  void SetUp() override {
    ResetTestUi();
    password[0] = 0;
    skipExisting = 0;
    out = dir / "out";
    RunCommand("rm -rf '" + out + "' && mkdir -p '" + out + "'");
    SetTarget(out);
  }
  void TearDown() override { sfx.reset(); }

  void SetTarget(const std::string& folder) {
    ASSERT_LT(folder.size(), static_cast<size_t>(kTargetFolderSize - 2));
    folder.copy(targetFolder, folder.size());
    targetFolder[folder.size()] = 0;
  }

  // Writes the archive behind a stub place without block and opens it.
  void OpenArchive(const std::string& archive) {
    sfx.reset();
    WriteBytes(dir / "test.exe", BuildSfx("", archive));
    sfx = std::make_unique<OpenSfx>(dir / "test.exe");
    ASSERT_TRUE(sfx->opened);
  }
  void Open(const std::vector<ZipEntrySpec>& entries) { OpenArchive(BuildZip(entries).bytes); }

  EntryList List() { return GetEntryList(&dialog, 301); }
  void ListWalk() { WalkArchive(&dialog, 301, true); }
  void ExtractWalk() { WalkArchive(&dialog, 301, false); }
  // What the main dialog does on Extract: list, select everything, extract.
  void ExtractAll() {
    ListWalk();
    ListSetSel(List(), true, -1);
    testUi.messages.clear();
    ExtractWalk();
  }
  std::vector<std::string> Selected() {
    std::vector<std::string> names;
    for (size_t i = 0; i < dialog.list301.names.size(); ++i) {
      if (dialog.list301.selected[i]) names.push_back(dialog.list301.names[i]);
    }
    return names;
  }
  std::string OutFile(const std::string& name) { return ReadBytes(out + "/" + name); }
  std::string WinOut(const std::string& name) { return Windows(out + "/" + name); }

  TempDir dir;
  std::string out;
  DialogLists dialog;
  std::unique_ptr<OpenSfx> sfx;
};

using Messages = std::vector<RecordedMessage>;

ZipEntrySpec Entry(const std::string& name, const std::string& data, uint16_t method = 0) {
  ZipEntrySpec entry;
  entry.name = name;
  entry.data = data;
  entry.method = method;
  return entry;
}

ZipEntrySpec Locked(const std::string& name, const std::string& data, uint16_t method,
                    const std::string& password) {
  ZipEntrySpec entry = Entry(name, data, method);
  entry.password = password;
  return entry;
}

ZipEntrySpec WrongCrc(const std::string& name, const std::string& data) {
  ZipEntrySpec entry = Entry(name, data);
  entry.crc = ZipCrc(data) ^ 0x80u;
  return entry;
}

ZipEntrySpec Streamed(ZipEntrySpec entry) {
  entry.streamed = true;
  return entry;
}

TEST_F(WalkTest, ListModeHoldsEveryNameSortedWithDuplicatesAsStored) {
  Open({Entry("b/x.txt", "1"), Entry("a.txt", "2"), Entry("C.txt", "3"), Entry("a.txt", "4"),
        Entry("dir/", "")});
  dialog.list301.names = {"stale"};
  dialog.list301.selected = {true};
  ListWalk();
  EXPECT_EQ(dialog.list301.names,
            (std::vector<std::string>{"a.txt", "a.txt", "b/x.txt", "C.txt", "dir/"}));
  EXPECT_TRUE(Selected().empty());
  EXPECT_TRUE(testUi.messages.empty());
  EXPECT_EQ(expectedSignature, 0x04034B50u);
}

TEST_F(WalkTest, ListModeWithoutHeaderAtArchiveBaseCannotReadHeader) {
  OpenArchive(std::string("\x50\x4B\x05\x06", 4) + std::string(18, '\0'));
  ListWalk();
  EXPECT_EQ(testUi.messages, Messages{kNoHeader});
}

TEST_F(WalkTest, ExtractsStoredDeflatedAndEncryptedEntriesIntoFolders) {
  std::string text = TextLikeBytes(100000, 1);
  std::string binary = RandomBytes(40000, 2);
  Open({Entry("a/b/c.txt", text, 8), Entry("stored.bin", binary),
        Locked("e/deflated.txt", text, 8, "pw"), Locked("e/stored.bin", binary, 0, "pw"),
        Entry("empty", ""), Entry("big.bin", RandomBytes(70000, 3))});
  testUi.passwordAnswers = {"pw"};
  ExtractAll();
  EXPECT_EQ(testUi.messages, Messages{kAllDone});
  EXPECT_TRUE(allExtracted);
  EXPECT_EQ(OutFile("a/b/c.txt"), text);
  EXPECT_EQ(OutFile("stored.bin"), binary);
  EXPECT_EQ(OutFile("e/deflated.txt"), text);
  EXPECT_EQ(OutFile("e/stored.bin"), binary);
  EXPECT_TRUE(FileExists(out + "/empty"));
  EXPECT_EQ(OutFile("big.bin"), RandomBytes(70000, 3));
  EXPECT_EQ(testUi.passwordPrompts, 1);
  EXPECT_GE(testUi.pumpedMessages, 1);
  EXPECT_FALSE(walkInProgress);
}

TEST_F(WalkTest, NoItemSelectedShowsNothing) {
  Open({Entry("a.txt", "a")});
  ListWalk();
  ExtractWalk();
  EXPECT_TRUE(testUi.messages.empty());
  EXPECT_FALSE(allExtracted);
  EXPECT_FALSE(FileExists(out + "/a.txt"));
}

TEST_F(WalkTest, ExistingFilesAreSkippedOrOverwrittenBySkipExisting) {
  for (uint8_t skip : {1, 0}) {
    SCOPED_TRACE(skip);
    skipExisting = skip;
    Open({Entry("a.txt", "new a"), Entry("sub/b.txt", "new b", 8)});
    RunCommand("mkdir -p '" + out + "/sub'");
    WriteBytes(out + "/a.txt", "old a, longer than the new");
    WriteBytes(out + "/sub/b.txt", "old b");
    ExtractAll();
    EXPECT_EQ(testUi.messages, Messages{kAllDone});
    EXPECT_TRUE(allExtracted);
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(OutFile("a.txt"), skip ? "old a, longer than the new" : "new a");
    EXPECT_EQ(OutFile("sub/b.txt"), skip ? "old b" : "new b");
  }
}

TEST_F(WalkTest, FolderEntriesCreateTheirFoldersAndCountAsDone) {
  Open({Entry("top/", ""), Entry("top/inner\\", ""), Entry("top/inner/file.txt", "x"),
        Entry("deep/a/b/", "")});
  ExtractAll();
  EXPECT_EQ(testUi.messages, Messages{kAllDone});
  EXPECT_TRUE(allExtracted);
  EXPECT_EQ(RunCommand("test -d '" + out + "/top/inner' -a -d '" + out + "/deep/a/b'"), 0);
  EXPECT_EQ(OutFile("top/inner/file.txt"), "x");
}

TEST_F(WalkTest, FolderEntryOverAFileOrRefusedFolderFails) {
  Open({Entry("plain/", "")});
  WriteBytes(out + "/plain", "a file, not a folder");
  ExtractAll();
  EXPECT_EQ(testUi.messages,
            (Messages{{"Error in directory " + WinOut("plain"), kIconWarning}, kNotAll}));
  EXPECT_FALSE(allExtracted);
}

TEST_F(WalkTest, MessagesOfFailingEntries) {
  struct Case {
    const char* what;
    std::vector<ZipEntrySpec> entries;
    std::function<void(WalkTest&)> prepare;
    std::function<Messages(WalkTest&)> expected;
  };
  std::vector<Case> cases = {
      {"refused folder ends the walk",
       {Entry("a/b/c.txt", "c"), Entry("z.txt", "z")},
       [](WalkTest&) { posixFaults.refuseFolder = "/a/b"; },
       [](WalkTest& t) {
         return Messages{{"Error in directory " + t.WinOut("a/b"), kIconWarning}, kNotAll};
       }},
      {"file under a file cannot be opened, the walk goes on",
       {Entry("f/x.txt", "x"), Entry("g.txt", "g")},
       [](WalkTest& t) { WriteBytes(t.out + "/f", "file"); },
       [](WalkTest& t) {
         return Messages{{"Cannot open file " + t.WinOut("f/x.txt"), kIconWarning}, kNotAll};
       }},
      {"close failure is reported and the entry still counts",
       {Entry("a.txt", "a"), Entry("b.txt", "b")},
       [](WalkTest&) { posixFaults.failClose = true; },
       [](WalkTest& t) {
         return Messages{{"Cannot close file " + t.WinOut("a.txt"), kIconWarning},
                         {"Cannot close file " + t.WinOut("b.txt"), kIconWarning},
                         kAllDone};
       }},
      {"CRC mismatch: no message of its own",
       {WrongCrc("bad.txt", "data"), Entry("good.txt", "g")},
       [](WalkTest&) {},
       [](WalkTest&) { return Messages{kNotAll}; }},
      {"short write shows as a mismatch",
       {Entry("a.bin", RandomBytes(5000, 4))},
       [](WalkTest&) { posixFaults.shortWriteLimit = 100; },
       [](WalkTest&) { return Messages{kNotAll}; }},
      {"unknown method: the empty file stays, no summary",
       {Entry("m6.bin", "imploded", 6), Entry("later.txt", "l")},
       [](WalkTest&) {},
       [](WalkTest&) {
         return Messages{{"Unknown compression type", kIconError}};
       }},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Open(c.entries);
    c.prepare(*this);
    ExtractAll();
    EXPECT_EQ(testUi.messages, c.expected(*this));
    EXPECT_EQ(allExtracted, testUi.messages.back() == kAllDone);
    ResetPosixFaults();
  }
  // The last case left its empty file and reached no further entry.
  EXPECT_EQ(OutFile("m6.bin"), "");
  EXPECT_FALSE(FileExists(out + "/later.txt"));
}

TEST_F(WalkTest, CrcMismatchLeavesFileAndSelectionForARetryOfExactlyThat) {
  Open({WrongCrc("bad.txt", "data"), Entry("good.txt", "good"), Entry("other.txt", "other", 8)});
  ExtractAll();
  EXPECT_EQ(testUi.messages, Messages{kNotAll});
  EXPECT_EQ(OutFile("bad.txt"), "data");
  EXPECT_EQ(Selected(), std::vector<std::string>{"bad.txt"});
  // A second walk over the same selection touches only what failed.
  RunCommand("rm '" + out + "/good.txt' '" + out + "/bad.txt'");
  testUi.messages.clear();
  ExtractWalk();
  EXPECT_EQ(testUi.messages, Messages{kNotAll});
  EXPECT_TRUE(FileExists(out + "/bad.txt"));
  EXPECT_FALSE(FileExists(out + "/good.txt"));
}

TEST_F(WalkTest, ErrorReadingArchiveWhenPositioningFails) {
  Open({Entry("a.txt", "a")});
  archiveBase = -1;
  ListWalk();
  EXPECT_EQ(testUi.messages, (Messages{{"Error reading archive.", kIconError}}));
}

TEST_F(WalkTest, EmptyNameEndsTheWalkAndTheListKeepsEarlierNames) {
  Open({Entry("first.txt", "1"), Entry("", "x"), Entry("after.txt", "2")});
  ListWalk();
  EXPECT_EQ(testUi.messages, (Messages{{"Invalid filename ", kIconError}}));
  EXPECT_EQ(dialog.list301.names, std::vector<std::string>{"first.txt"});
  ListSetSel(List(), true, -1);
  testUi.messages.clear();
  ExtractWalk();
  EXPECT_EQ(testUi.messages, (Messages{{"Invalid filename ", kIconError}}));
  EXPECT_FALSE(allExtracted);
  EXPECT_EQ(OutFile("first.txt"), "1");
}

TEST_F(WalkTest, NamesThatLeaveTheTargetFolderAreRefusedAndTheWalkGoesOn) {
  const char* names[] = {
      "../x",  "..\\x", "a/../../x",   "a\\..\\..\\x", "a/..",     "/x",        "\\x",
      "C:\\x", "C:/x",  "C:x",         "file.txt:ads", "a/.. /x",  "a\\...\\x", "what?.txt",
      "*",     "nul",   "dir/CON.txt", "Aux",          "com1.log", "lpt9",      "prn .txt",
  };
  for (const char* name : names) {
    SCOPED_TRACE(name);
    SetUp();
    std::string inner = out + "/in";
    RunCommand("mkdir -p '" + inner + "/a'");
    SetTarget(inner);
    Open({Entry(name, "evil"), Entry("good.txt", "good")});
    ListWalk();
    EXPECT_EQ(dialog.list301.names.size(), 2u);
    ListSetSel(List(), true, -1);
    ExtractWalk();
    EXPECT_EQ(testUi.messages,
              (Messages{{std::string("Invalid filename ") + name, kIconWarning}, kNotAll}));
    EXPECT_EQ(Selected(), std::vector<std::string>{name});
    EXPECT_EQ(ReadBytes(inner + "/good.txt"), "good");
    // Nothing but the good file and the prepared folder, here or above.
    EXPECT_EQ(RunCommand("test $(find '" + out + "' -mindepth 1 | wc -l) -eq 3"), 0);
    EXPECT_EQ(RunCommand("test $(find '" + dir.path + "' -mindepth 1 | wc -l) -eq 5"), 0);
  }
}

TEST_F(WalkTest, NamesThatOnlyLookDangerousAreExtracted) {
  const char* names[] = {"console.txt", "com10",     "nul_x",  "lpt0",  "a..b",
                         ".hidden",     "x/./y.txt", "...txt", "con_/f"};
  std::vector<ZipEntrySpec> entries;
  for (const char* name : names) entries.push_back(Entry(name, name));
  Open(entries);
  ExtractAll();
  EXPECT_EQ(testUi.messages, Messages{kAllDone});
  for (const char* name : names) EXPECT_EQ(OutFile(name), name);
}

TEST_F(WalkTest, OverlongNameIsListedCutAndRefusedInExtractMode) {
  std::string longName(300, 'n');
  Open({Entry(longName, "long"), Entry("short.txt", "s")});
  ListWalk();
  std::string cut = longName.substr(0, 258);
  EXPECT_EQ(dialog.list301.names, (std::vector<std::string>{cut, "short.txt"}));
  ListSetSel(List(), true, -1);
  ExtractWalk();
  EXPECT_EQ(testUi.messages, (Messages{{"Invalid filename " + cut, kIconWarning}, kNotAll}));
  EXPECT_EQ(Selected(), std::vector<std::string>{cut});
  EXPECT_EQ(OutFile("short.txt"), "s");
}

TEST_F(WalkTest, DamageWhereAHeaderBelongsIsReported) {
  std::string good = BuildZip({Entry("a.txt", "a"), Entry("b.txt", "b", 8)}, false).bytes;
  std::string tail = BuildZip({Entry("lost.txt", "lost")}, false).bytes;
  struct Case {
    const char* what;
    std::string after;
    bool damaged;
  };
  std::vector<Case> cases = {
      {"central directory",
       BuildZip({Entry("a.txt", "a"), Entry("b.txt", "b", 8)}).bytes.substr(good.size()), false},
      {"end record", std::string("PK\x05\x06", 4) + std::string(18, '\0'), false},
      {"zip64 end record", std::string("PK\x06\x06", 4) + std::string(52, '\0'), false},
      {"zip64 locator", std::string("PK\x06\x07", 4) + std::string(16, '\0'), false},
      {"end of file", "", false},
      {"garbage", "garbage where a header belongs" + tail, true},
      {"descriptor without signature", std::string(12, '\x11') + tail, true},
      {"zeros", std::string(64, '\0'), true},
      {"a cut signature", "PK", true},
      {"central signature one byte off", std::string("PK\x01\x03", 4) + tail, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    OpenArchive(good + c.after);
    ListWalk();
    EXPECT_EQ(dialog.list301.names, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(testUi.messages, c.damaged ? Messages{kNoHeader} : Messages{});
    ListSetSel(List(), true, -1);
    testUi.messages.clear();
    ExtractWalk();
    EXPECT_EQ(testUi.messages, Messages{c.damaged ? kNotAll : kAllDone});
    EXPECT_EQ(allExtracted, !c.damaged);
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(OutFile("b.txt"), "b");
  }
}

TEST_F(WalkTest, DataDescriptorsBehindTrueSizesAreSkipped) {
  ZipEntrySpec first = Entry("a.txt", "a", 8);
  first.descriptorsAfter = 2;
  Open({first, Entry("b.txt", "b")});
  ExtractAll();
  EXPECT_EQ(testUi.messages, Messages{kAllDone});
  EXPECT_EQ(OutFile("b.txt"), "b");
}

TEST_F(WalkTest, EntriesWithImpossibleSizesFailAndWriteNothing) {
  struct Case {
    const char* what;
    ZipEntrySpec entry;
    uint32_t compressedSize;
  };
  const Case cases[] = {
      {"2 GiB", Entry("huge.bin", "h"), 0x80000000u},
      {"4 GiB less one", Entry("huge.bin", "h", 8), 0xFFFFFFFFu},
      {"shorter than its encryption header", Locked("huge.bin", "h", 0, "pw"), 5},
      {"encryption header only, deflated", Locked("huge.bin", "h", 8, "pw"), 12},
      // 30 + 8 name bytes + this wraps round to the header itself.
      {"wrapping round to its own header", Entry("huge.bin", "h"), 0u - 38u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    ZipLayout zip = BuildZip({Entry("a.txt", "a"), c.entry});
    uint32_t value = c.compressedSize;
    zip.bytes.replace(zip.headerOffsets[1] + 18, 4, reinterpret_cast<const char*>(&value), 4);
    OpenArchive(zip.bytes);
    testUi.passwordAnswers = {"pw"};
    ExtractAll();
    EXPECT_EQ(testUi.messages, Messages{kNotAll});
    EXPECT_EQ(testUi.passwordPrompts, 0);
    EXPECT_FALSE(FileExists(out + "/huge.bin"));
    EXPECT_EQ(OutFile("a.txt"), "a");
  }
}

TEST_F(WalkTest, StreamedDeflatedEntryWithoutSizesFailsAndWritesNothing) {
  for (bool crcIsZero : {true, false}) {
    SCOPED_TRACE(crcIsZero);
    SetUp();
    ZipEntrySpec streamed = Entry("streamed.txt", crcIsZero ? "" : "content", 8);
    streamed.streamed = true;
    Open({Entry("before.txt", "b"), streamed});
    ExtractAll();
    EXPECT_EQ(testUi.messages, Messages{kNotAll});
    EXPECT_FALSE(allExtracted);
    EXPECT_FALSE(FileExists(out + "/streamed.txt"));
    EXPECT_EQ(Selected(), std::vector<std::string>{"streamed.txt"});
    EXPECT_EQ(OutFile("before.txt"), "b");
  }
}

TEST_F(WalkTest, OnePasswordServesEveryEntryAndLaterWalks) {
  Open({Locked("one.txt", "1", 8, "secret"), Locked("two.txt", "2", 0, "secret"),
        Streamed(Locked("three.txt", "3", 8, "secret"))});
  testUi.passwordAnswers = {"secret"};
  ExtractAll();
  EXPECT_EQ(testUi.passwordPrompts, 1);
  EXPECT_EQ(OutFile("one.txt"), "1");
  EXPECT_EQ(OutFile("two.txt"), "2");
  // The streamed entry fails for want of sizes, not for its password.
  EXPECT_EQ(Selected(), std::vector<std::string>{"three.txt"});
  ExtractAll();
  EXPECT_EQ(testUi.passwordPrompts, 1);
}

TEST_F(WalkTest, PasswordPromptAnswers) {
  struct Case {
    const char* what;
    std::deque<std::string> answers;
    int prompts;
    bool extracted;
  };
  std::vector<Case> cases = {
      {"right at once", {"pw"}, 1, true},
      {"empty, then right", {"", "pw"}, 2, true},
      {"wrong twice, then right", {"x", "y", "pw"}, 3, true},
      {"three empty", {"", "", ""}, 3, false},
      {"three wrong", {"a", "b", "c", "pw"}, 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    Open({Entry("plain.txt", "p"), Locked("locked.txt", "l", 8, "pw"), Entry("zlast.txt", "z")});
    testUi.passwordAnswers = c.answers;
    ExtractAll();
    EXPECT_EQ(testUi.passwordPrompts, c.prompts);
    EXPECT_EQ(OutFile("plain.txt"), "p");
    EXPECT_EQ(FileExists(out + "/locked.txt"), c.extracted);
    if (c.extracted) {
      EXPECT_EQ(testUi.messages, Messages{kAllDone});
    } else {
      // A silent stop: the entries not reached stay selected.
      EXPECT_TRUE(testUi.messages.empty());
      EXPECT_FALSE(allExtracted);
      EXPECT_EQ(Selected(), (std::vector<std::string>{"locked.txt", "zlast.txt"}));
    }
  }
}

TEST_F(WalkTest, EncryptedEntryThatExistsStillRunsThePasswordStage) {
  skipExisting = 1;
  Open({Locked("locked.txt", "new", 0, "pw")});
  WriteBytes(out + "/locked.txt", "old");
  testUi.passwordAnswers = {"pw"};
  ExtractAll();
  EXPECT_EQ(testUi.passwordPrompts, 1);
  EXPECT_EQ(testUi.messages, Messages{kAllDone});
  EXPECT_EQ(OutFile("locked.txt"), "old");
}

TEST_F(WalkTest, DuplicatesAndCaseVariantsMapToDistinctItems) {
  Open(
      {Entry("dup.txt", "1"), Entry("dup.txt", "2"), Entry("Read.me", "3"), Entry("read.ME", "4")});
  ListWalk();
  ASSERT_EQ(dialog.list301.names.size(), 4u);
  ListSetSel(List(), true, -1);
  ExtractWalk();
  EXPECT_EQ(testUi.messages, Messages{kAllDone});
  EXPECT_TRUE(Selected().empty());
  EXPECT_EQ(OutFile("dup.txt"), "2");
}

TEST_F(WalkTest, NoWalkStartsInsideARunningOne) {
  Open({Entry("a.txt", "a"), Entry("b.txt", "b")});
  ListWalk();
  ListSetSel(List(), true, -1);
  bool sawFlag = false;
  testUi.onPump = [&] {
    sawFlag = walkInProgress;
    // A second Extract press dispatched by the pump, and a list request.
    WalkArchive(&dialog, 301, false);
    WalkArchive(&dialog, 301, true);
  };
  ExtractWalk();
  EXPECT_TRUE(sawFlag);
  EXPECT_EQ(testUi.messages, Messages{kAllDone});
  EXPECT_EQ(dialog.list301.names.size(), 2u);
  EXPECT_FALSE(walkInProgress);
  EXPECT_EQ(OutFile("b.txt"), "b");
}

TEST_F(WalkTest, TargetFolderLosesOneTrailingBackslash) {
  Open({Entry("a.txt", "a")});
  SetTarget(out + "\\");
  ExtractAll();
  EXPECT_EQ(std::string(targetFolder), out);
  EXPECT_EQ(OutFile("a.txt"), "a");
}

// The fuzz target's seeds and every input it ever found a fault with: listed,
// selected and extracted, with nothing written outside the target folder.
TEST_F(WalkTest, FuzzCorpusWalksSafely) {
  std::string corpus = std::string(QP_SOURCE_DIR) + "/fuzz/corpus/walk";
  ASSERT_EQ(RunCommand("ls '" + corpus + "' >'" + (dir / "corpus.txt") + "'"), 0);
  std::string listing = ReadBytes(dir / "corpus.txt");
  int inputs = 0;
  for (size_t start = 0, end; (end = listing.find('\n', start)) != std::string::npos;
       start = end + 1) {
    std::string input = listing.substr(start, end - start);
    SCOPED_TRACE(input);
    SetUp();
    std::string inner = out + "/target";
    RunCommand("mkdir -p '" + inner + "'");
    SetTarget(inner);
    OpenArchive(ReadBytes(corpus + "/" + input));
    testUi.passwordAnswers = {"pw"};
    ExtractAll();
    EXPECT_FALSE(walkInProgress);
    EXPECT_EQ(RunCommand("test \"$(ls -A '" + out + "')\" = target"), 0);
    EXPECT_EQ(RunCommand("test \"$(ls -A '" + dir.path +
                         "' | tr '\\n' ' ')\" = "
                         "'corpus.txt out test.exe '"),
              0);
    ++inputs;
  }
  EXPECT_GE(inputs, 6);
}

TEST(IsEntrySelected, SearchesBehindTheLastItemFoundAndWraps) {
  DialogLists dialog;
  EntryList list = GetEntryList(&dialog, 302);
  for (const char* name : {"b", "a", "B", "c"}) ListAdd(list, name);  // a b B c
  ListSetSel(list, true, 2);
  lastListIndex = -1;
  EXPECT_FALSE(IsEntrySelected(list, "B"));  // the first match, "b"
  EXPECT_EQ(lastListIndex, 1);
  EXPECT_TRUE(IsEntrySelected(list, "b"));  // the next one, "B"
  EXPECT_EQ(lastListIndex, 2);
  EXPECT_FALSE(IsEntrySelected(list, "B"));  // wrapped round to "b"
  EXPECT_EQ(lastListIndex, 1);
  EXPECT_FALSE(IsEntrySelected(list, "missing"));
  EXPECT_EQ(lastListIndex, -1);
}

}  // namespace
