// The resources compiled into the real stub: the three dialog templates, control
// by control, and the icon, read back from the executable's resource section.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

namespace {

uint16_t U16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b.at(at)) | static_cast<uint8_t>(b.at(at + 1))
                                                                    << 8);
}
uint32_t U32(const std::string& b, size_t at) {
  return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16;
}

// The resources of a PE image, found by type and name (text or ordinal).
class ResourceReader {
 public:
  explicit ResourceReader(std::string image) : image_(std::move(image)) {
    uint32_t pe = U32(image_, 0x3C);
    EXPECT_EQ(image_.substr(pe, 4), std::string("PE\0\0", 4));
    uint16_t sectionCount = U16(image_, pe + 6);
    uint16_t optionalSize = U16(image_, pe + 20);
    size_t optional = pe + 24;
    EXPECT_EQ(U16(image_, optional), 0x10B) << "PE32";
    rsrcRva_ = U32(image_, optional + 96 + 2 * 8);
    size_t section = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i, section += 40) {
      sections_.push_back(
          {U32(image_, section + 12), U32(image_, section + 8), U32(image_, section + 20)});
    }
    rsrcOffset_ = FileOffset(rsrcRva_);
  }

  // The data of the first language of resource (type, name); empty when missing.
  std::string Find(uint16_t type, const std::u16string& name, uint16_t nameId = 0) {
    size_t names = Subdirectory(rsrcOffset_, nullptr, type);
    if (!names) return {};
    size_t languages = Subdirectory(names, name.empty() ? nullptr : &name, nameId);
    if (!languages) return {};
    size_t entry = rsrcOffset_ + (U32(image_, languages + 16 + 4) & 0x7FFFFFFF);
    return image_.substr(FileOffset(U32(image_, entry)), U32(image_, entry + 4));
  }

 private:
  struct Section {
    uint32_t rva, size, offset;
  };

  size_t FileOffset(uint32_t rva) const {
    for (const Section& s : sections_) {
      if (rva >= s.rva && rva < s.rva + s.size) return rva - s.rva + s.offset;
    }
    ADD_FAILURE() << "no section holds rva " << rva;
    return 0;
  }

  // The subdirectory of the entry named name (or numbered id) in directory at.
  size_t Subdirectory(size_t at, const std::u16string* name, uint16_t id) {
    uint16_t named = U16(image_, at + 12), numbered = U16(image_, at + 14);
    for (uint32_t i = 0; i < uint32_t{named} + numbered; ++i) {
      size_t entry = at + 16 + 8 * i;
      uint32_t key = U32(image_, entry), target = U32(image_, entry + 4);
      bool match;
      if (key & 0x80000000) {
        size_t text = rsrcOffset_ + (key & 0x7FFFFFFF);
        std::u16string entryName;
        for (uint16_t c = 0; c < U16(image_, text); ++c) entryName += U16(image_, text + 2 + 2 * c);
        match = name && *name == entryName;
      } else {
        match = !name && key == id;
      }
      if (match) return rsrcOffset_ + (target & 0x7FFFFFFF);
    }
    return 0;
  }

  std::string image_;
  std::vector<Section> sections_;
  uint32_t rsrcRva_ = 0;
  size_t rsrcOffset_ = 0;
};

struct Control {
  int id;
  std::string className;
  std::u16string text;
  int x, y, width, height;
  uint32_t style;
};

struct Dialog {
  uint32_t style = 0, exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::u16string menu, windowClass, caption, font;
  int pointSize = 0;
  std::vector<Control> controls;
};

// A sz_Or_Ord field: an ordinal is written as "#n".
std::u16string ReadNameOrOrdinal(const std::string& b, size_t& at) {
  std::u16string text;
  if (U16(b, at) == 0xFFFF) {
    std::string ordinal = "#" + std::to_string(U16(b, at + 2));
    at += 4;
    return std::u16string(ordinal.begin(), ordinal.end());
  }
  for (; U16(b, at); at += 2) text += U16(b, at);
  at += 2;
  return text;
}

std::string ClassName(const std::u16string& raw) {
  static const char* const kPredefined[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX"};
  std::string ascii(raw.begin(), raw.end());
  for (int i = 0; i < 4; ++i) {
    if (ascii == "#" + std::to_string(0x80 + i)) return kPredefined[i];
  }
  for (char& c : ascii) c = static_cast<char>(toupper(c));
  return ascii;
}

int16_t S16(const std::string& b, size_t at) { return static_cast<int16_t>(U16(b, at)); }

// A classic (not extended) dialog template.
Dialog ParseDialog(const std::string& b) {
  Dialog d;
  EXPECT_NE(U32(b, 0), 0xFFFF0001u) << "an extended template";
  d.style = U32(b, 0);
  d.exStyle = U32(b, 4);
  uint16_t count = U16(b, 8);
  d.x = S16(b, 10), d.y = S16(b, 12), d.width = S16(b, 14), d.height = S16(b, 16);
  size_t at = 18;
  d.menu = ReadNameOrOrdinal(b, at);
  d.windowClass = ReadNameOrOrdinal(b, at);
  d.caption = ReadNameOrOrdinal(b, at);
  if (d.style & 0x40) {  // DS_SETFONT
    d.pointSize = U16(b, at);
    at += 2;
    d.font = ReadNameOrOrdinal(b, at);
  }
  for (uint16_t i = 0; i < count; ++i) {
    at = (at + 3) & ~size_t{3};
    Control c;
    c.style = U32(b, at);
    EXPECT_EQ(U32(b, at + 4), 0u) << "extended style of control " << i;
    c.x = S16(b, at + 8), c.y = S16(b, at + 10), c.width = S16(b, at + 12);
    c.height = S16(b, at + 14);
    c.id = U16(b, at + 16);
    at += 18;
    c.className = ClassName(ReadNameOrOrdinal(b, at));
    c.text = ReadNameOrOrdinal(b, at);
    at += 2 + U16(b, at);  // creation data
    d.controls.push_back(c);
  }
  return d;
}

class StubResources : public ::testing::Test {
 protected:
  void SetUp() override {
    // Links the test UI, which the core's message routines need.
    ResetTestUi();
#ifdef QP_STUB_EXE
    reader_.reset(new ResourceReader(ReadBytes(QP_STUB_EXE)));
#else
    GTEST_SKIP() << "built without the stub";
#endif
  }
  Dialog LoadDialog(const char* name) {
    std::string data = reader_->Find(5, std::u16string(name, name + strlen(name)));
    EXPECT_FALSE(data.empty()) << name;
    return data.empty() ? Dialog() : ParseDialog(data);
  }
  void ExpectControls(const Dialog& dialog, const std::vector<Control>& expected) {
    ASSERT_EQ(dialog.controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      const Control& a = dialog.controls[i];
      const Control& e = expected[i];
      SCOPED_TRACE("control #" + std::to_string(i + 1) + ", id " + std::to_string(e.id));
      EXPECT_EQ(a.id, e.id);
      EXPECT_EQ(a.className, e.className);
      EXPECT_TRUE(a.text == e.text) << std::string(a.text.begin(), a.text.end());
      EXPECT_EQ(a.x, e.x);
      EXPECT_EQ(a.y, e.y);
      EXPECT_EQ(a.width, e.width);
      EXPECT_EQ(a.height, e.height);
      EXPECT_EQ(a.style, e.style) << std::hex << a.style;
    }
  }
  void ExpectFrame(const Dialog& d, const std::u16string& caption, int x, int y, int width,
                   int height, uint32_t style) {
    EXPECT_EQ(d.style, style) << std::hex << d.style;
    EXPECT_EQ(d.exStyle, 0u);
    EXPECT_EQ(d.x, x);
    EXPECT_EQ(d.y, y);
    EXPECT_EQ(d.width, width);
    EXPECT_EQ(d.height, height);
    EXPECT_TRUE(d.menu.empty());
    EXPECT_TRUE(d.windowClass.empty());
    EXPECT_TRUE(d.caption == caption);
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_TRUE(d.font == u"MS Sans Serif");
  }
  std::unique_ptr<ResourceReader> reader_;
};

const uint16_t kUnused = 0xFFFF;

TEST_F(StubResources, MainDialogTemplate) {
  Dialog d = LoadDialog("MAINDIALOG");
  ExpectFrame(d, u"Quillpack 2.0 SFX", 5, 22, 318, 110, 0x90C808C4);
  ExpectControls(
      d,
      {
          {101, "EDIT", u"", 10, 75, 245, 15, 0x50810000},
          {kUnused, "STATIC", u"Extract to:", 10, 66, 39, 8, 0x50000000},
          {2, "BUTTON", u"&Cancel", 260, 25, 50, 15, 0x50010000},
          {1, "BUTTON", u"&Extract", 260, 5, 50, 15, 0x50010001},
          {501, "BUTTON", u"Overwrite existing files", 10, 52, 83, 15, 0x50000002},
          {775, "BUTTON", u"Browse", 260, 75, 50, 15, 0x50010000},
          {3, "BUTTON", u"FileList", 260, 45, 50, 15, 0x50010000},
          {301, "LISTBOX", u"", 185, 35, 20, 0, 0x4020000B},
          {302, "LISTBOX", u"", 130, 35, 20, 0, 0x4020000B},
          {701, "STATIC",
           u"To extract all files to the folder specified belowe, use the \"Extract\" button.", 10,
           5, 245, 10, 0x50020000},
          {702, "STATIC", u"To (de)select idividual files to extract, use the \"FileList\" button.",
           10, 14, 245, 8, 0x50020000},
          {kUnused, "STATIC", d.controls.size() > 11 ? d.controls[11].text : u"", 10, 95, 300, 11,
           0x50820001},
          {901, "EDIT", u"", 10, 25, 245, 30, 0x50000804},
      });
  // The banner names the product, with the registered sign as one character.
  ASSERT_EQ(d.controls.size(), 13u);
  EXPECT_EQ(d.controls[11].text.find(u"Quillpack \u00AE SFX"), 0u);
}

TEST_F(StubResources, FileListTemplate) {
  Dialog d = LoadDialog("FILELIST");
  ExpectFrame(d, u"Quillpack 2.0 SFX", 24, 25, 199, 218, 0x90C800C0);
  ExpectControls(
      d, {
             {301, "LISTBOX", u"", 10, 15, 180, 175, 0x50A000CB},
             {302, "LISTBOX", u"", 10, 15, 180, 175, 0x50A000CB},
             {1, "BUTTON", u"Extract", 40, 195, 50, 15, 0x50010001},
             {2, "BUTTON", u"Cancel", 100, 195, 50, 15, 0x50010000},
             {kUnused, "STATIC", u"(De)select files to extract:", 11, 5, 110, 8, 0x50020000},
         });
}

TEST_F(StubResources, PasswordTemplate) {
  Dialog d = LoadDialog("PASSWD");
  ExpectFrame(d, u"Quillpack SFX", 40, 82, 128, 67, 0x90C008C4);
  ExpectControls(d, {
                        {101, "EDIT", u"", 14, 21, 96, 12, 0x50830020},
                        {1, "BUTTON", u"OK", 36, 42, 50, 15, 0x50030001},
                        {kUnused, "STATIC", u"Enter password:", 13, 7, 60, 8, 0x50000000},
                    });
}

TEST_F(StubResources, IconGroupHoldsOne32By32SixteenColourImage) {
  std::string group = reader_->Find(14, u"QUILLPACK");
  ASSERT_EQ(group.size(), 6u + 14u);
  EXPECT_EQ(U16(group, 0), 0);
  EXPECT_EQ(U16(group, 2), 1);  // icons
  EXPECT_EQ(U16(group, 4), 1);  // one image
  EXPECT_EQ(static_cast<uint8_t>(group[6]), 32);
  EXPECT_EQ(static_cast<uint8_t>(group[7]), 32);
  EXPECT_EQ(static_cast<uint8_t>(group[8]), 16);
  EXPECT_EQ(U16(group, 10), 1);  // planes
  EXPECT_EQ(U16(group, 12), 4);  // bits per pixel
  EXPECT_EQ(U16(group, 18), 1);  // image identifier

  std::string image = reader_->Find(3, u"", 1);
  ASSERT_EQ(image.size(), U32(group, 14));
  // BITMAPINFOHEADER: the height counts the colour and the mask bitmaps.
  EXPECT_EQ(U32(image, 0), 40u);
  EXPECT_EQ(U32(image, 4), 32u);
  EXPECT_EQ(U32(image, 8), 64u);
  EXPECT_EQ(U16(image, 14), 4);
  EXPECT_EQ(image.size(), 40u + 16 * 4 + 32 * 16 + 32 * 4);
}

}  // namespace
