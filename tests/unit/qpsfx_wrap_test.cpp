// qpsfx wrap: archives made by other zippers come out as SFX files whose every
// entry the stub's forward walk reaches and extracts as unzip extracts the
// original, that ZIP readers accept as they stand, and whose entries are the
// original bytes; what the stub cannot extract safely is refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/unit/support/qpsfx_run.h"
#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

// The core that the test support brings along reports through the test UI, which
// the linker must therefore take in.
void (*volatile qpsfxWrapTestUi)() = &ResetTestUi;

#ifdef QP_QPSFX

namespace {

const size_t kArchiveAt = 0x7D00;

void MakeTree(const TempDir& dir) {
  namespace fs = std::filesystem;
  fs::create_directories(dir / "src/a/b");
  fs::create_directories(dir / "src/empty");
  WriteBytes(dir / "src/zero", "");
  WriteBytes(dir / "src/text.txt", TextLikeBytes(100000, 1));
  WriteBytes(dir / "src/a/random.bin", RandomBytes(40000, 2));
  WriteBytes(dir / "src/a/b/name with spaces.txt", TextLikeBytes(33000, 3));
}

// Entries that the stub's forward walk finds, as qpsfx info counts them.
int WalkedEntries(const std::string& sfx) {
  RunResult info = Shell(Qpsfx() + " info " + Quote(sfx));
  size_t at = info.output.rfind('\n', info.output.size() - 2);
  return atoi(info.output.c_str() + (at == std::string::npos ? 0 : at + 1));
}

int CentralEntries(const std::string& zip) {
  RunResult list = Shell("unzip -Z1 " + Quote(zip) + " | wc -l");
  return atoi(list.output.c_str());
}

struct Maker {
  std::string label;
  std::string command;  // run in the folder that holds src, writes in.zip
  std::string password;
  std::string program;
};

TEST(Wrap, ArchivesOfOtherZippersExtractAsUnzipExtractsThem) {
  std::vector<Maker> makers = {
      {"zip", "zip -qr -X in.zip src", "", "zip"},
      {"zip -e", "zip -qr -X -e -P pw1 in.zip src", "pw1", "zip"},
      {"zip streamed", "zip -qr - src | cat > in.zip", "", "zip"},
      {"zip -e streamed", "zip -qr -e -P pw2 - src | cat > in.zip", "pw2", "zip"},
      {"7zz", "7zz a -tzip -bso0 in.zip src", "", "7zz"},
      {"7zz encrypted", "7zz a -tzip -bso0 -ppw3 -mem=ZipCrypto in.zip src", "pw3", "7zz"},
      {"zipfile",
       "python3 -c 'import zipfile, os\n"
       "with zipfile.ZipFile(\"in.zip\", \"w\", zipfile.ZIP_DEFLATED) as z:\n"
       "  z.writestr(\"folder/\", \"\")\n"
       "  for root, dirs, files in sorted(os.walk(\"src\")):\n"
       "    for f in sorted(files): z.write(os.path.join(root, f))'",
       "", "python3"},
      {"jar", "cd src && jar cf ../in.zip .", "", "jar"},
  };
  for (const Maker& maker : makers) {
    if (!HaveProgram(maker.program)) {
      ADD_FAILURE() << maker.program << " is missing";
      continue;
    }
    TempDir dir;
    MakeTree(dir);
    ASSERT_EQ(Shell("cd " + Quote(dir.path) + " && " + maker.command).status, 0) << maker.label;
    std::string zip = dir / "in.zip";
    std::string sfx = dir / "out.exe";
    RunResult wrapped = Shell(Qpsfx() + " wrap -o " + Quote(sfx) + " " + Quote(zip));
    ASSERT_EQ(wrapped.status, 0) << maker.label << "\n" << wrapped.output;
    EXPECT_EQ(ZipReadersObject(sfx, maker.password), "") << maker.label;
    EXPECT_EQ(WalkedEntries(sfx), CentralEntries(zip)) << maker.label;

    RunResult original =
        Shell("unzip -q -d " + Quote(dir / "original") +
              (maker.password.empty() ? "" : " -P " + maker.password) + " " + Quote(zip));
    ASSERT_EQ(original.status, 0) << maker.label << original.output;
    RunResult extracted = ExtractSfx(sfx, dir / "extracted", maker.password);
    ASSERT_EQ(extracted.status, 0) << maker.label << extracted.output;
    EXPECT_EQ(ReadTree(dir / "extracted"), ReadTree(dir / "original")) << maker.label;

    ASSERT_EQ(Shell(Qpsfx() + " wrap -q -o " + Quote(dir / "again.exe") + " " + Quote(zip)).status,
              0);
    EXPECT_EQ(ReadBytes(dir / "again.exe"), ReadBytes(sfx)) << maker.label;
  }
}

TEST(Wrap, CopiesEntriesByteForByteAndOnlyFixesStreamedHeaders) {
  TempDir dir;
  std::vector<ZipEntrySpec> entries(3);
  entries[0].name = "stored.txt";
  entries[0].data = "plain bytes";
  entries[0].extra = std::string("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9);
  entries[1].name = "deflated.txt";
  entries[1].data = TextLikeBytes(5000, 4);
  entries[1].method = 8;
  entries[1].password = "pw";
  entries[2].name = "streamed.txt";
  entries[2].data = TextLikeBytes(7000, 5);
  entries[2].method = 8;
  entries[2].streamed = true;
  ZipLayout zip = BuildZip(entries);
  WriteBytes(dir / "in.zip", zip.bytes);
  RunResult wrapped = Shell(Qpsfx() + " wrap -q --no-block -o " + Quote(dir / "o.exe") + " " +
                            Quote(dir / "in.zip"));
  ASSERT_EQ(wrapped.status, 0) << wrapped.output;
  std::string out = ReadBytes(dir / "o.exe");
  size_t base = 0x7C00;
  // Everything up to the streamed entry's header stands as it was.
  size_t streamedAt = zip.headerOffsets[2];
  EXPECT_EQ(out.substr(base, streamedAt), zip.bytes.substr(0, streamedAt));
  // The streamed header now carries CRC and sizes; data and descriptor follow unchanged.
  std::string header = out.substr(base + streamedAt, 30);
  std::string original = zip.bytes.substr(streamedAt, 30);
  EXPECT_EQ(header.substr(0, 14), original.substr(0, 14));
  uint32_t crc = ZipCrc(entries[2].data);
  EXPECT_EQ(header.substr(14, 4), std::string(reinterpret_cast<const char*>(&crc), 4));
  EXPECT_EQ(header.substr(26), original.substr(26));
  size_t centralAt = zip.bytes.find(std::string("PK\1\2", 4));
  EXPECT_EQ(out.substr(base + streamedAt + 30, centralAt - streamedAt - 30),
            zip.bytes.substr(streamedAt + 30, centralAt - streamedAt - 30));
  EXPECT_EQ(WalkedEntries(dir / "o.exe"), 3);
  EXPECT_EQ(ZipReadersObject(dir / "o.exe", "pw"), "");
}

TEST(Wrap, RefusesWhatTheStubCannotExtractSafely) {
  TempDir dir;
  struct Case {
    std::string label;
    std::vector<ZipEntrySpec> entries;
    std::string message;
  };
  auto entry = [](const std::string& name, uint16_t method = 0) {
    ZipEntrySpec e;
    e.name = name;
    e.data = "data";
    e.method = method;
    e.payload = method == 0 || method == 8 ? std::nullopt : std::optional<std::string>("data");
    return e;
  };
  std::vector<Case> cases = {
      {"method", {entry("ok.txt"), entry("lzma.txt", 14)}, "entry lzma.txt: compression method 14"},
      {"dotdot", {entry("a/../../evil.txt")}, "entry a/../../evil.txt: the name holds a \"..\""},
      {"backslash dotdot", {entry("a\\..\\..\\evil.txt")}, "holds a \"..\" component"},
      {"absolute", {entry("/etc/evil")}, "entry /etc/evil: the name is absolute"},
      {"drive", {entry("C:evil.txt")}, "entry C:evil.txt: the name holds a ':'"},
      {"empty", {entry("")}, "the name is empty"},
      {"no entries", {}, "the archive has no entries"},
  };
  for (const Case& c : cases) {
    WriteBytes(dir / "in.zip", BuildZip(c.entries).bytes);
    RunResult result =
        Shell(Qpsfx() + " wrap -o " + Quote(dir / "o.exe") + " " + Quote(dir / "in.zip"));
    EXPECT_EQ(result.status, 2) << c.label << "\n" << result.output;
    EXPECT_NE(result.output.find(c.message), std::string::npos) << c.label << "\n" << result.output;
    EXPECT_FALSE(FileExists(dir / "o.exe")) << c.label;
  }
  // Zip64 records, in the local header and the central directory.
  ASSERT_EQ(Shell("cd " + Quote(dir.path) +
                  " && python3 -c 'import zipfile\n"
                  "with zipfile.ZipFile(\"z64.zip\", \"w\") as z:\n"
                  "  with z.open(\"big.bin\", \"w\", force_zip64=True) as f: f.write(b\"x\")'")
                .status,
            0);
  RunResult zip64 =
      Shell(Qpsfx() + " wrap -o " + Quote(dir / "o.exe") + " " + Quote(dir / "z64.zip"));
  EXPECT_EQ(zip64.status, 2) << zip64.output;
  EXPECT_NE(zip64.output.find("entry big.bin: it has Zip64 records"), std::string::npos)
      << zip64.output;
  WriteBytes(dir / "junk.zip", RandomBytes(1000, 9));
  RunResult junk =
      Shell(Qpsfx() + " wrap -o " + Quote(dir / "o.exe") + " " + Quote(dir / "junk.zip"));
  EXPECT_EQ(junk.status, 2);
  EXPECT_NE(junk.output.find("not a ZIP archive"), std::string::npos) << junk.output;
  EXPECT_FALSE(FileExists(dir / "o.exe"));
}

}  // namespace

#endif
