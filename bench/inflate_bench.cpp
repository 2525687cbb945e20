// inflate-bench [--level N] [--repeat N] [--only ours|zlib|libdeflate] FILE...
//
// Compresses each file with zlib as raw deflate and decodes it three ways, each
// decoder paying for its own CRC-32: our Inflate (reading the compressed bytes
// from a file through the seam, writing through the real FlushWindow to
// /dev/null), zlib's inflate followed by zlib's crc32, and libdeflate followed by
// libdeflate_crc32. Prints the speeds side by side and checks that all three
// outputs and CRCs are identical; exits non-zero on any mismatch.
#include <fcntl.h>
#include <libdeflate.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/cursor.h"
#include "archive/walk.h"
#include "inflate/inflate.h"
#include "integrity/crc32.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "startup/startup.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadWhole(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ZlibRawDeflate(const std::string& data, int level) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// One decode of the entry in compressedPath by our Inflate into output; the CRC.
uint32_t RunOurs(const char* compressedPath, int32_t compressedSize, FileHandle output) {
  archiveHandle = OpenFileForReading(compressedPath);
  localHeader = LocalFileHeader();
  bytesLeft = compressedSize;
  outputHandle = output;
  runningCrc = 0xFFFFFFFFu;
  Inflate();
  CloseFileHandle(archiveHandle);
  return runningCrc ^ 0xFFFFFFFFu;
}

uint32_t RunZlib(const std::string& compressed, std::string& out) {
  z_stream z{};
  inflateInit2(&z, -15);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  z.avail_in = static_cast<uInt>(compressed.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  int status = inflate(&z, Z_FINISH);
  size_t produced = z.total_out;
  inflateEnd(&z);
  if (status != Z_STREAM_END) return 0;
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(produced)));
}

uint32_t RunLibdeflate(libdeflate_decompressor* d, const std::string& compressed,
                       std::string& out) {
  size_t produced = 0;
  if (libdeflate_deflate_decompress(d, compressed.data(), compressed.size(), &out[0], out.size(),
                                    &produced) != LIBDEFLATE_SUCCESS) {
    return 0;
  }
  return libdeflate_crc32(0, out.data(), produced);
}

template <typename F>
double Seconds(int repeat, F run) {
  Clock::time_point start = Clock::now();
  for (int i = 0; i < repeat; ++i) run();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double MegabytesPerSecond(double bytes, double seconds) {
  return seconds > 0 ? bytes / seconds / 1e6 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  int level = 6;
  int repeatOverride = 0;
  std::string only;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--level" && i + 1 < argc) {
      level = atoi(argv[++i]);
    } else if (arg == "--repeat" && i + 1 < argc) {
      repeatOverride = atoi(argv[++i]);
    } else if (arg == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      fprintf(
          stderr,
          "usage: inflate-bench [--level N] [--repeat N] [--only ours|zlib|libdeflate] FILE...\n");
      return 2;
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.empty()) {
    fprintf(
        stderr,
        "usage: inflate-bench [--level N] [--repeat N] [--only ours|zlib|libdeflate] FILE...\n");
    return 2;
  }

  crcTable = static_cast<uint32_t*>(AllocateMemory(1028));
  BuildCrcTable();
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  char directory[] = "/tmp/inflate-bench-XXXXXX";
  if (!mkdtemp(directory)) return 2;
  std::string compressedPath = std::string(directory) + "/entry";
  std::string checkPath = std::string(directory) + "/output";
  FileHandle sink = open("/dev/null", O_WRONLY);

  printf("%-40s %10s %9s %9s %9s %8s %8s  %s\n", "file", "bytes", "ours", "zlib", "libdefl",
         "/zlib", "/libdefl", "check");
  double total[3] = {0, 0, 0};
  double totalBytes = 0;
  bool allIdentical = true;
  for (const char* file : files) {
    std::string data = ReadWhole(file);
    std::string compressed = ZlibRawDeflate(data, level);
    {
      std::ofstream out(compressedPath, std::ios::binary | std::ios::trunc);
      out.write(compressed.data(), static_cast<std::streamsize>(compressed.size()));
    }
    int32_t compressedSize = static_cast<int32_t>(compressed.size());

    // Outputs and CRCs once, for the check.
    FileHandle check = CreateOutputFile(checkPath.c_str());
    uint32_t oursCrc = RunOurs(compressedPath.c_str(), compressedSize, check);
    CloseFileHandle(check);
    std::string oursOut = ReadWhole(checkPath.c_str());
    std::string zlibOut(data.size() + 1, '\0');
    uint32_t zlibCrc = RunZlib(compressed, zlibOut);
    zlibOut.resize(data.size());
    std::string libdeflateOut(data.size() + 1, '\0');
    uint32_t libdeflateCrc = RunLibdeflate(decompressor, compressed, libdeflateOut);
    libdeflateOut.resize(data.size());
    uint32_t expectCrc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    bool identical = oursOut == data && zlibOut == data && libdeflateOut == data &&
                     oursCrc == expectCrc && zlibCrc == expectCrc && libdeflateCrc == expectCrc;
    allIdentical = allIdentical && identical;

    // About 200 MB of output per decoder and file, at least once.
    int repeat = repeatOverride > 0
                     ? repeatOverride
                     : static_cast<int>(200e6 / (static_cast<double>(data.size()) + 1)) + 1;
    if (repeat > 2000) repeat = 2000;
    double seconds[3] = {0, 0, 0};
    if (only.empty() || only == "ours") {
      seconds[0] = Seconds(repeat, [&] { RunOurs(compressedPath.c_str(), compressedSize, sink); });
    }
    if (only.empty() || only == "zlib") {
      seconds[1] = Seconds(repeat, [&] { RunZlib(compressed, zlibOut); });
    }
    if (only.empty() || only == "libdeflate") {
      seconds[2] = Seconds(repeat, [&] { RunLibdeflate(decompressor, compressed, libdeflateOut); });
    }
    double bytes = static_cast<double>(data.size()) * repeat;
    double speed[3];
    for (int d = 0; d < 3; ++d) {
      speed[d] = MegabytesPerSecond(bytes, seconds[d]);
      total[d] += seconds[d] / repeat;
    }
    totalBytes += static_cast<double>(data.size());
    const char* name = strrchr(file, '/') ? strrchr(file, '/') + 1 : file;
    printf("%-40s %10zu %9.1f %9.1f %9.1f %8.3f %8.3f  %s\n", name, data.size(), speed[0], speed[1],
           speed[2], speed[1] > 0 ? speed[0] / speed[1] : 0, speed[2] > 0 ? speed[0] / speed[2] : 0,
           identical ? "identical" : "MISMATCH");
  }
  double speed[3];
  for (int d = 0; d < 3; ++d) speed[d] = MegabytesPerSecond(totalBytes, total[d]);
  printf("%-40s %10.0f %9.1f %9.1f %9.1f %8.3f %8.3f  %s\n", "total", totalBytes, speed[0],
         speed[1], speed[2], speed[1] > 0 ? speed[0] / speed[1] : 0,
         speed[2] > 0 ? speed[0] / speed[2] : 0, allIdentical ? "identical" : "MISMATCH");

  close(static_cast<int>(sink));
  unlink(compressedPath.c_str());
  unlink(checkPath.c_str());
  rmdir(directory);
  libdeflate_free_decompressor(decompressor);
  return allIdentical ? 0 : 1;
}
