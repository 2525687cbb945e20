// Runs the decoder on raw deflate bytes through the real seam (a file holds the
// entry's data, the output goes to a file or to a socket that keeps every write
// apart), and writes deflate streams bit by bit for the hand-made cases.
#pragma once

#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "archive/cursor.h"
#include "archive/walk.h"
#include "inflate/blocks.h"
#include "inflate/inflate_input.h"
#include "integrity/crc32.h"
#include "integrity/crypt.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "startup/startup.h"
#include "tests/unit/support/sfx_builder.h"
#include "tests/unit/support/test_ui.h"

namespace inflate_harness {}  // namespace inflate_harness

// The test binaries bring their own allocator for the core in place of the POSIX
// seam's (which the linker then leaves out), so that the tests can count the
// blocks the decoder holds: every buffer and table must be released on every path.
long heapBlocksInUse;
void* AllocateMemory(uint32_t size) {
  ++heapBlocksInUse;
  return malloc(size ? size : 1);
}
void ReleaseMemory(void* block) {
  if (block) --heapBlocksInUse;
  free(block);
}

namespace inflate_harness {

inline long HeapInUse() { return heapBlocksInUse; }

inline void EnsureCrcTable() {
  if (!crcTable) {
    crcTable = static_cast<uint32_t*>(AllocateMemory(1028));
    BuildCrcTable();
  }
}

struct DecodeOptions {
  std::string leading;        // file bytes before the entry's data
  std::string trailing;       // file bytes behind the entry's data, outside the entry
  int32_t extraSize = 0;      // added to the compressed size the decoder is given
  std::string password;       // not empty: the data is stored encrypted
  bool recordWrites = false;  // output through a socket that keeps the writes apart
};

struct DecodeRun {
  InflateResult result = kInflateOk;
  std::string output;
  uint32_t crc = 0;              // runningCrc, complemented
  std::vector<size_t> writes;    // sizes of the writes, when recorded
  int32_t position = 0;          // of archiveHandle afterwards, from the entry's first byte
  int32_t overrun = 0;           // bytes delivered past the end of the data
  long heapDelta = 0;            // heap blocks the decoder left allocated
  uint32_t keys[3] = {0, 0, 0};  // cryptKeys afterwards
};

inline DecodeRun RunInflate(const std::string& data, const DecodeOptions& options = {}) {
  static TempDir dir;
  ResetTestUi();
  EnsureCrcTable();
  std::string stored = data;
  int32_t header = 0;
  if (!options.password.empty()) {
    stored = TraditionalEncrypt(data, options.password, 0x5A);
    header = kEncryptionHeaderSize;
  }
  WriteBytes(dir / "entry.bin", options.leading + stored + options.trailing);
  archiveHandle = OpenFileForReading((dir / "entry.bin").c_str());
  int32_t start = static_cast<int32_t>(options.leading.size());
  localHeader = LocalFileHeader();
  if (header) {
    uint8_t work[2 * kEncryptionHeaderSize];
    memcpy(work + kEncryptionHeaderSize, stored.data(), kEncryptionHeaderSize);
    localHeader.flags = 1;
    CheckPassword(work, kEncryptionHeaderSize, 1, 0x5A000000u, 0, options.password.c_str());
  }
  SetFilePosition(archiveHandle, start + header);
  bytesLeft = static_cast<int32_t>(data.size()) + options.extraSize;

  int sockets[2] = {-1, -1};
  if (options.recordWrites) {
    socketpair(AF_UNIX, SOCK_SEQPACKET, 0, sockets);
    int size = 1 << 20;
    setsockopt(sockets[0], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    setsockopt(sockets[1], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    outputHandle = sockets[0];
  } else {
    outputHandle = CreateOutputFile((dir / "out.bin").c_str());
  }
  runningCrc = 0xFFFFFFFFu;

  DecodeRun run;
  long before = HeapInUse();
  run.result = InflateEntry();
  run.heapDelta = HeapInUse() - before;
  run.crc = runningCrc ^ 0xFFFFFFFFu;
  run.overrun = inputOverrun;
  run.keys[0] = cryptKeys.key0;
  run.keys[1] = cryptKeys.key1;
  run.keys[2] = cryptKeys.key2;
  run.position = static_cast<int32_t>(lseek(static_cast<int>(archiveHandle), 0, SEEK_CUR)) - start;
  CloseFileHandle(archiveHandle);
  if (options.recordWrites) {
    close(sockets[0]);
    std::vector<char> message(1 << 17);
    for (;;) {
      ssize_t n = recv(sockets[1], message.data(), message.size(), MSG_DONTWAIT);
      if (n <= 0) break;
      run.writes.push_back(static_cast<size_t>(n));
      run.output.append(message.data(), static_cast<size_t>(n));
    }
    close(sockets[1]);
  } else {
    CloseFileHandle(outputHandle);
    run.output = ReadBytes(dir / "out.bin");
  }
  outputHandle = kInvalidFile;
  return run;
}

// Bits least significant first, Huffman codes first bit first (RFC 1951 3.1.1).
struct BitWriter {
  std::string bytes;
  uint32_t pending = 0;
  int count = 0;
  void Bits(uint32_t value, int n) {
    for (int i = 0; i < n; ++i) {
      pending |= ((value >> i) & 1u) << count;
      if (++count == 8) {
        bytes += static_cast<char>(pending);
        pending = 0;
        count = 0;
      }
    }
  }
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bits((code >> i) & 1u, 1);
  }
  void Align() {
    if (count) Bits(0, 8 - count);
  }
  std::string Finish() {
    Align();
    return bytes;
  }
};

// Canonical codes from code lengths (RFC 1951 3.2.2).
inline std::vector<uint32_t> CanonicalCodes(const std::vector<int>& lengths) {
  int counts[17] = {0};
  for (int length : lengths) ++counts[length];
  counts[0] = 0;
  uint32_t next[17] = {0};
  uint32_t code = 0;
  for (int bits = 1; bits <= 16; ++bits) {
    code = (code + counts[bits - 1]) << 1;
    next[bits] = code;
  }
  std::vector<uint32_t> codes(lengths.size(), 0);
  for (size_t sym = 0; sym < lengths.size(); ++sym) {
    if (lengths[sym]) codes[sym] = next[lengths[sym]]++;
  }
  return codes;
}

// Symbol and extra bits of a match length or distance (RFC 1951 3.2.5).
struct Coded {
  int symbol;
  uint32_t extra;
  int extraBits;
};
inline Coded LengthSymbol(int length) {
  static const int base[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const int bits[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                             2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  int i = 28;
  while (base[i] > length) --i;
  return {257 + i, static_cast<uint32_t>(length - base[i]), bits[i]};
}
inline Coded DistanceSymbol(int distance) {
  static const int base[] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                             33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  int i = 29;
  while (base[i] > distance) --i;
  return {i, static_cast<uint32_t>(distance - base[i]), i < 4 ? 0 : i / 2 - 1};
}

// Fixed-code block content (RFC 1951 3.2.6).
inline void FixedSymbol(BitWriter& out, int sym) {
  if (sym < 144)
    out.Code(0x30 + sym, 8);
  else if (sym < 256)
    out.Code(0x190 + sym - 144, 9);
  else if (sym < 280)
    out.Code(sym - 256, 7);
  else
    out.Code(0xC0 + sym - 280, 8);
}
inline void FixedMatch(BitWriter& out, int length, int distance) {
  Coded l = LengthSymbol(length);
  FixedSymbol(out, l.symbol);
  out.Bits(l.extra, l.extraBits);
  Coded d = DistanceSymbol(distance);
  out.Code(d.symbol, 5);
  out.Bits(d.extra, d.extraBits);
}

// A dynamic block: the header with its code lengths, then symbols through Literal,
// Match and End. lengthSymbols, when given, are the code-length symbols (with their
// extra bits) exactly as written; otherwise each length is written as itself.
struct DynamicBlock {
  std::vector<int> literal;   // nl lengths
  std::vector<int> distance;  // nd lengths
  std::vector<int> codeLengthCode = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5};
  std::vector<std::pair<int, uint32_t>> lengthSymbols;
  int nb = 19;
  std::vector<uint32_t> literalCodes, distanceCodes;

  void WriteHeader(BitWriter& out, bool final) {
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    out.Bits(final ? 1 : 0, 1);
    out.Bits(2, 2);
    out.Bits(static_cast<uint32_t>(literal.size() - 257), 5);
    out.Bits(static_cast<uint32_t>(distance.size() - 1), 5);
    out.Bits(static_cast<uint32_t>(nb - 4), 4);
    for (int j = 0; j < nb; ++j) out.Bits(static_cast<uint32_t>(codeLengthCode[order[j]]), 3);
    std::vector<uint32_t> clCodes = CanonicalCodes(codeLengthCode);
    std::vector<std::pair<int, uint32_t>> symbols = lengthSymbols;
    if (symbols.empty()) {
      for (int l : literal) symbols.push_back({l, 0});
      for (int l : distance) symbols.push_back({l, 0});
    }
    for (auto [sym, extra] : symbols) {
      out.Code(clCodes[sym], codeLengthCode[sym]);
      if (sym == 16) out.Bits(extra, 2);
      if (sym == 17) out.Bits(extra, 3);
      if (sym == 18) out.Bits(extra, 7);
    }
    literalCodes = CanonicalCodes(literal);
    distanceCodes = CanonicalCodes(distance);
  }
  void Literal(BitWriter& out, int sym) { out.Code(literalCodes[sym], literal[sym]); }
  void End(BitWriter& out) { Literal(out, 256); }
  void Match(BitWriter& out, int length, int distance) {
    Coded l = LengthSymbol(length);
    Literal(out, l.symbol);
    out.Bits(l.extra, l.extraBits);
    Coded d = DistanceSymbol(distance);
    DistanceCode(out, d.symbol);
    out.Bits(d.extra, d.extraBits);
  }
  void DistanceCode(BitWriter& out, int sym) { out.Code(distanceCodes[sym], this->distance[sym]); }
};

}  // namespace inflate_harness
