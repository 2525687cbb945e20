// libFuzzer target: the input is the compressed data of one deflated entry.
// The decoder must end (in bounded time), release everything, keep only whole
// windows on an error, and run the CRC over exactly what it wrote. Whenever zlib
// decodes the input as a complete raw deflate stream, our output must be the
// same bytes.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <string>

#include "archive/cursor.h"
#include "archive/walk.h"
#include "inflate/blocks.h"
#include "inflate/inflate_input.h"
#include "integrity/crc32.h"
#include "platform/memory.h"
#include "platform/messages.h"
#include "platform/password.h"
#include "platform/system.h"
#include "startup/startup.h"

// The seam's user side, silent: the decoder never uses it.
void ShowMessage(const char*, uint32_t) {}
void PumpOneMessage() {}
void PromptForPassword() {}
void StartProgram(const char*, const char*) {}

namespace {

int inputFile = -1;
int outputFile = -1;

void Check(bool ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "inflate_fuzz: %s\n", what);
    abort();
  }
}

std::string FileContent(int fd) {
  struct stat info;
  fstat(fd, &info);
  std::string content(static_cast<size_t>(info.st_size), '\0');
  if (info.st_size) Check(pread(fd, &content[0], content.size(), 0) == info.st_size, "pread");
  return content;
}

// zlib's raw inflate of the whole input; true only for a complete stream.
bool ZlibInflate(const uint8_t* data, size_t size, std::string& out) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  out.clear();
  char chunk[65536];
  int status;
  do {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(chunk, sizeof chunk - z.avail_out);
  } while (status == Z_OK);
  inflateEnd(&z);
  return status == Z_STREAM_END;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  crcTable = static_cast<uint32_t*>(AllocateMemory(1028));
  BuildCrcTable();
  inputFile = memfd_create("entry", 0);
  outputFile = memfd_create("output", 0);
  Check(inputFile >= 0 && outputFile >= 0, "memfd_create");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(ftruncate(inputFile, 0) == 0 && ftruncate(outputFile, 0) == 0, "ftruncate");
  if (size) Check(pwrite(inputFile, data, size, 0) == static_cast<ssize_t>(size), "pwrite");
  lseek(inputFile, 0, SEEK_SET);
  lseek(outputFile, 0, SEEK_SET);
  archiveHandle = inputFile;
  outputHandle = outputFile;
  localHeader = LocalFileHeader();
  bytesLeft = static_cast<int32_t>(size);
  runningCrc = 0xFFFFFFFFu;

  InflateResult result = InflateEntry();

  std::string ours = FileContent(outputFile);
  uint32_t crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(ours.data()), static_cast<uInt>(ours.size())));
  Check((runningCrc ^ 0xFFFFFFFFu) == crc, "runningCrc is not the CRC of the bytes written");
  Check(result == kInflateOk || ours.size() % kWindowSize == 0,
        "a decoding error left a partial window in the file");
  Check(lseek(inputFile, 0, SEEK_CUR) <= static_cast<off_t>(size), "read past the entry");
  Check(!inputBuffer && !window && !fixedTableList, "buffers or tables left behind");

  std::string reference;
  if (ZlibInflate(data, size, reference)) {
    Check(result == kInflateOk, "zlib decodes the stream, we report an error");
    Check(ours == reference, "zlib decodes the stream to other bytes");
  }
  return 0;
}
