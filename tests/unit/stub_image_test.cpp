// The built stub: its size, the absence of the local-header signature, and the
// PE facts Windows relies on (PE32 for i386, GUI, imports from three system DLLs).
#include <gtest/gtest.h>
#include <strings.h>

#include <set>
#include <string>
#include <vector>

#include "tests/unit/support/sfx_builder.h"

namespace {

#ifdef QP_STUB_EXE

// Bounded little-endian reads; a malformed image fails the test instead of reading past it.
struct Image {
  std::string bytes;
  bool ok = true;
  uint32_t U16(size_t at) { return Get(at, 2); }
  uint32_t U32(size_t at) { return Get(at, 4); }
  uint32_t Get(size_t at, int width) {
    if (at > bytes.size() || bytes.size() - at < static_cast<size_t>(width)) {
      ok = false;
      return 0;
    }
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
  }
  std::string Text(size_t at) {
    if (at >= bytes.size()) {
      ok = false;
      return std::string();
    }
    size_t end = bytes.find('\0', at);
    if (end == std::string::npos) {
      ok = false;
      return std::string();
    }
    return bytes.substr(at, end - at);
  }
};

struct Section {
  uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

class StubImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image.bytes = ReadBytes(QP_STUB_EXE);
    ASSERT_FALSE(image.bytes.empty()) << QP_STUB_EXE;
  }
  Image image;
};

TEST_F(StubImageTest, ExactlyTheStubSizeAndNoLocalHeaderSignature) {
  EXPECT_EQ(image.bytes.size(), 31744u);
  EXPECT_EQ(image.bytes.find(std::string("PK\x03\x04", 4)), std::string::npos);
}

TEST_F(StubImageTest, Pe32GuiProgramImportingOnlySystemDlls) {
  ASSERT_EQ(image.bytes.substr(0, 2), "MZ");
  uint32_t pe = image.U32(0x3C);
  ASSERT_EQ(image.bytes.substr(pe, 4), std::string("PE\0\0", 4));
  size_t coff = pe + 4;
  EXPECT_EQ(image.U16(coff), 0x014Cu) << "machine i386";
  uint32_t sectionCount = image.U16(coff + 2);
  uint32_t optionalSize = image.U16(coff + 16);
  size_t optional = coff + 20;
  EXPECT_EQ(image.U16(optional), 0x010Bu) << "PE32 optional header";
  EXPECT_EQ(image.U16(optional + 68), 2u) << "subsystem Windows GUI";
  uint32_t directoryCount = image.U32(optional + 92);
  ASSERT_GE(directoryCount, 2u);
  uint32_t importRva = image.U32(optional + 96 + 8);
  ASSERT_NE(importRva, 0u) << "an import table";

  std::vector<Section> sections;
  size_t table = optional + optionalSize;
  for (uint32_t i = 0; i < sectionCount; ++i) {
    size_t at = table + 40 * i;
    Section s{image.U32(at + 12), image.U32(at + 8), image.U32(at + 20), image.U32(at + 16)};
    // The padding must not cut into a section.
    EXPECT_LE(static_cast<uint64_t>(s.rawOffset) + s.rawSize, image.bytes.size())
        << "section " << i;
    sections.push_back(s);
  }
  ASSERT_TRUE(image.ok);
  auto FileOffset = [&](uint32_t rva) -> size_t {
    for (const Section& s : sections) {
      uint32_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
      if (rva >= s.virtualAddress && rva - s.virtualAddress < span) {
        return s.rawOffset + (rva - s.virtualAddress);
      }
    }
    return image.bytes.size();  // outside every section: the bounded reads refuse it
  };

  std::set<std::string> dlls;
  for (size_t descriptor = FileOffset(importRva);; descriptor += 20) {
    uint32_t nameRva = image.U32(descriptor + 12);
    ASSERT_TRUE(image.ok) << "import table runs past the image";
    if (nameRva == 0) break;  // the descriptor of zeros ends the table
    std::string name = image.Text(FileOffset(nameRva));
    ASSERT_TRUE(image.ok) << "DLL name outside the image";
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    dlls.insert(name);
    ASSERT_LT(dlls.size(), 16u);
  }
  const std::set<std::string> allowed = {"KERNEL32.DLL", "USER32.DLL", "SHELL32.DLL"};
  for (const std::string& dll : dlls) EXPECT_TRUE(allowed.count(dll)) << "imports from " << dll;
  EXPECT_TRUE(dlls.count("KERNEL32.DLL"));
}

#else

TEST(StubImageTest, NeedsTheStub) { GTEST_SKIP() << "built without the stub (QP_WITH_STUB=OFF)"; }

#endif

}  // namespace
