// Traditional decryption and the password check, on archives of real zippers and
// on headers built here.
#include "integrity/crypt.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/cursor.h"
#include "integrity/crc32.h"
#include "platform/files.h"
#include "startup/startup.h"
#include "tests/unit/support/header_walk.h"
#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

namespace {

const int32_t n = kEncryptionHeaderSize;

// Decrypts bytes with the keys as they stand, the way the readers of entry data do.
std::string Decrypt(const std::string& encrypted) {
  std::string plain;
  for (unsigned char e : encrypted) {
    uint8_t p = e ^ DecryptByte();
    UpdateKeys(p);
    plain += static_cast<char>(p);
  }
  return plain;
}

// A raw deflate stream inflated by zlib, up to its end; bytes behind it are ignored.
std::string Inflate(const std::string& compressed) {
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  z.avail_in = static_cast<uInt>(compressed.size());
  std::string out;
  char buffer[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
  }
  inflateEnd(&z);
  return status == Z_STREAM_END ? out : "(not a complete deflate stream)";
}

bool SameKeys(const CryptKeys& a, const CryptKeys& b) {
  return a.key0 == b.key0 && a.key1 == b.key1 && a.key2 == b.key2;
}

class CryptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTestUi();
    // Start-up on any file gives the CRC table the keys are built with.
    WriteBytes(dir / "empty.exe", BuildSfx("", ""));
    Open(dir / "empty.exe");
  }
  // One start-up at a time: the previous one shuts down first.
  void Open(const std::string& path) {
    sfx.reset();
    sfx.reset(new OpenSfx(path));
    ASSERT_TRUE(sfx->opened);
  }

  TempDir dir;
  std::unique_ptr<OpenSfx> sfx;
};

// One archive made by a real zipper, its password and what its entries hold.
struct RealArchive {
  std::string what;
  std::string command;  // run in the folder of the input files
  std::string password;
};

TEST_F(CryptTest, ArchivesOfRealZippers) {
  if (!HaveProgram("zip") || !HaveProgram("7zz")) GTEST_SKIP() << "zip or 7zz missing";
  std::map<std::string, std::string> inputs = {
      {"random.bin", RandomBytes(40000, 11)},
      {"text.txt", TextLikeBytes(70000, 12)},
      {"tiny.txt", "x"},
      {"empty.txt", ""},
  };
  std::string in = dir.path + "/in";
  ASSERT_EQ(RunCommand("mkdir '" + in + "'"), 0);
  for (const auto& [name, data] : inputs) WriteBytes(in + "/" + name, data);
  const std::string files = "random.bin text.txt tiny.txt empty.txt";
  const std::string high = "p\xE4ss";  // 0xE4 as the 8-bit value the zipper was given
  const RealArchive archives[] = {
      {"zip -e", "zip -q -X -e -P secret out.zip " + files, "secret"},
      {"zip -e -0", "zip -q -X -0 -e -P secret out.zip " + files, "secret"},
      {"zip -e, password above 0x7F", "zip -q -X -e -P \"$(printf 'p\\344ss')\" out.zip " + files,
       high},
      {"zip -e to a pipe", "zip -q -X -e -P secret - text.txt | cat > out.zip", "secret"},
      {"7zz ZipCrypto", "7zz a -bd -tzip -psecret -mem=ZipCrypto out.zip " + files + " >/dev/null",
       "secret"},
      {"7zz ZipCrypto stored",
       "7zz a -bd -tzip -psecret -mem=ZipCrypto -mx=0 out.zip " + files + " >/dev/null", "secret"},
  };
  int timeChecked = 0, crcChecked = 0, deflated = 0, stored = 0;
  for (const RealArchive& a : archives) {
    SCOPED_TRACE(a.what);
    RunCommand("rm -f '" + in + "/out.zip'");
    ASSERT_EQ(RunCommand("cd '" + in + "' && " + a.command), 0);
    std::string zip = ReadBytes(in + "/out.zip");
    std::string file = BuildSfx("", zip);
    WriteBytes(dir / "real.exe", file);
    Open(dir / "real.exe");
    std::vector<WalkedEntry> entries = WalkLocalHeaders(10);
    ASSERT_FALSE(entries.empty());
    for (const WalkedEntry& e : entries) {
      SCOPED_TRACE(e.name);
      ASSERT_TRUE(inputs.count(e.name));
      const std::string& expected = inputs[e.name];
      if (!(e.header.flags & 1)) {
        EXPECT_EQ(expected, "") << "only empty files are left unencrypted";
        continue;
      }
      // A streamed entry (zero sizes) runs to the end of what the file holds.
      bool streamed = e.header.compressedSize == 0;
      size_t dataSize = streamed ? file.size() - e.dataPosition() : e.header.compressedSize;
      std::string data = file.substr(static_cast<size_t>(e.dataPosition()), dataSize);
      ASSERT_GE(data.size(), 12u);

      uint8_t work[2 * n];
      memcpy(work + n, data.data(), n);
      uint32_t modTime = e.header.modTime | static_cast<uint32_t>(e.header.modDate) << 16;
      ASSERT_TRUE(
          CheckPassword(work, n, e.header.flags, e.header.crc32, modTime, a.password.c_str()));
      (e.header.flags & 8 ? timeChecked : crcChecked)++;
      std::string plain = Decrypt(data.substr(n));
      if (e.header.method == 8) {
        ++deflated;
        EXPECT_EQ(Inflate(plain), expected);
      } else {
        ++stored;
        EXPECT_EQ(e.header.method + 0, 0);
        EXPECT_EQ(plain.substr(0, expected.size()), expected);
      }

      // A wrong password is refused, or (one time in 256) passes the one-byte
      // check and then yields other data.
      if (CheckPassword(work, n, e.header.flags, e.header.crc32, modTime, "secreT") &&
          !plain.empty()) {
        EXPECT_NE(Decrypt(data.substr(n)), plain);
      }
    }
  }
  // Info-ZIP marks its encrypted entries with bit 3 (check byte from the time),
  // 7-Zip does not (check byte from the CRC); both checks must have run.
  EXPECT_GT(timeChecked, 0);
  EXPECT_GT(crcChecked, 0);
  EXPECT_GT(deflated, 0);
  EXPECT_GT(stored, 0);
}

// Bit 3 decides which byte the check compares: the time's high byte, or the
// CRC's high byte; the other one is not consulted.
TEST_F(CryptTest, CheckByteFromCrcOrTime) {
  const uint32_t crc = 0xC3112233u;
  const uint32_t modTime = 0x5B8C6A4Bu;  // date 0x5B8C in the high half: never used
  struct Case {
    uint16_t flags;
    uint8_t checkByte;
    bool fits;
  };
  const Case cases[] = {
      {0x0001, 0xC3, true}, {0x0001, 0x6A, false}, {0x0001, 0x5B, false},
      {0x0009, 0x6A, true}, {0x0009, 0xC3, false}, {0x0009, 0x5B, false},
      {0x0008, 0x6A, true}, {0xFFF7, 0xC3, true},  {0xFFFF, 0x6A, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "flags 0x" << std::hex << c.flags << " check 0x" << int{c.checkByte});
    std::string encrypted = TraditionalEncrypt("payload", "pw", c.checkByte);
    uint8_t work[2 * n];
    memcpy(work + n, encrypted.data(), n);
    EXPECT_EQ(CheckPassword(work, n, c.flags, crc, modTime, "pw"), c.fits);
    EXPECT_EQ(work[n - 1], c.checkByte) << "the decrypted header lands in the lower half";
    EXPECT_EQ(memcmp(work + n, encrypted.data(), n), 0) << "the upper half stays";
    // Fitting or not, the keys stand behind the header.
    EXPECT_EQ(Decrypt(encrypted.substr(n)), "payload");
  }
}

TEST_F(CryptTest, EmptyPasswordNeverFitsAndTouchesNothing) {
  std::string encrypted = TraditionalEncrypt("data", "", 0x00);
  uint8_t work[2 * n];
  memset(work, 0xAA, n);
  memcpy(work + n, encrypted.data(), n);
  const CryptKeys sentinel = {1, 2, 3};
  cryptKeys = sentinel;
  // The header's check byte is 0 and the CRC 0: only the emptiness refuses.
  EXPECT_FALSE(CheckPassword(work, n, 0x0001, 0, 0, ""));
  EXPECT_TRUE(SameKeys(cryptKeys, sentinel));
  for (int i = 0; i < n; ++i) EXPECT_EQ(work[i], 0xAA);
}

// The driver reads the header once and tries the prompted passwords on it.
TEST_F(CryptTest, SecondPasswordOnTheSameWorkArea) {
  std::string data = TextLikeBytes(300, 8);
  uint32_t crc = ZipCrc(data);
  std::string encrypted = TraditionalEncrypt(data, "right one", static_cast<uint8_t>(crc >> 24), 5);

  uint8_t fresh[2 * n];
  memcpy(fresh + n, encrypted.data(), n);
  ASSERT_TRUE(CheckPassword(fresh, n, 1, crc, 0, "right one"));
  const CryptKeys freshKeys = cryptKeys;

  uint8_t work[2 * n];
  memcpy(work + n, encrypted.data(), n);
  const char* attempts[] = {"wrong", "right on", "right one\xFF", "right one"};
  for (const char* attempt : attempts) {
    bool fits = CheckPassword(work, n, 1, crc, 0, attempt);
    EXPECT_EQ(fits, std::string(attempt) == "right one") << attempt;
    EXPECT_EQ(memcmp(work + n, encrypted.data(), n), 0);
  }
  EXPECT_EQ(memcmp(work, fresh, n), 0);
  EXPECT_TRUE(SameKeys(cryptKeys, freshKeys));
  EXPECT_EQ(Decrypt(encrypted.substr(n)), data);
}

TEST_F(CryptTest, KeysStartFromTheFixedValues) {
  InitKeys("");
  EXPECT_EQ(cryptKeys.key0, 0x12345678u);
  EXPECT_EQ(cryptKeys.key1, 0x23456789u);
  EXPECT_EQ(cryptKeys.key2, 0x34567890u);
  CryptKeys before = cryptKeys;
  uint8_t first = DecryptByte();
  EXPECT_EQ(DecryptByte(), first) << "taking a keystream byte does not advance the keys";
  EXPECT_TRUE(SameKeys(cryptKeys, before));
}

}  // namespace
