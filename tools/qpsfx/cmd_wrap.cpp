// qpsfx wrap: turns a ZIP archive made by any zipper into an SFX file. The stub
// walks the archive forward through its local headers only, so every local
// header must carry the entry's true sizes, and entries must follow each other
// with nothing between them but data descriptors that carry their signature.
// Wrap checks that, fixes streamed entries, refuses what the stub cannot
// extract safely, and copies everything else byte for byte.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tools/qpsfx/commands.h"
#include "tools/qpsfx/config_options.h"
#include "tools/qpsfx/entry_names.h"
#include "tools/qpsfx/sfx_writer.h"
#include "tools/qpsfx/zip_format.h"
#include "tools/qpsfx/zip_reader.h"

namespace {

struct WrapOptions {
  std::string output;
  std::string input;
  bool quiet = false;
  ConfigOptions config;
};

// One entry as it will be copied: where its pieces stand in the input.
struct LocalEntry {
  const CentralEntry* central = nullptr;
  size_t headerAt = 0;
  size_t dataAt = 0;          // after name and extra field
  size_t dataEnd = 0;         // after the compressed data
  size_t descriptorSize = 0;  // 16 with signature, 12 without, 0 for none
  bool rewriteSizes = false;
  uint64_t newOffset = 0;
};

struct WrapRefusal {
  std::string message;
};

[[noreturn]] void RefuseEntry(const CentralEntry& entry, const std::string& reason) {
  throw WrapRefusal{"entry " + entry.name + ": " + reason};
}

const unsigned char* At(const std::string& bytes, size_t offset) {
  return reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
}

void CheckCentralEntry(const CentralEntry& entry) {
  std::string reason = UnsafeNameReason(entry.name);
  if (!reason.empty()) RefuseEntry(entry, reason);
  if (entry.method != 0 && entry.method != 8) {
    RefuseEntry(entry, "compression method " + std::to_string(entry.method) +
                           "; the stub extracts stored (0) and deflated (8) entries only");
  }
  if (entry.flags & kFlagStrongEncryption) {
    RefuseEntry(entry, "strong encryption, which the stub cannot decrypt");
  }
  if ((entry.flags & kFlagEncrypted) && entry.compressedSize < 12) {
    RefuseEntry(entry, "encrypted, but shorter than its encryption header");
  }
}

// Finds the entry's local header and data, and what follows the data.
LocalEntry LocateEntry(const std::string& bytes, const ZipDirectory& directory,
                       const CentralEntry& entry) {
  LocalEntry local;
  local.central = &entry;
  int64_t headerAt = static_cast<int64_t>(entry.localOffset) + directory.offsetShift;
  if (headerAt < 0 || static_cast<uint64_t>(headerAt) + kLocalHeaderSize > directory.centralStart ||
      GetLe32(At(bytes, static_cast<size_t>(headerAt))) != kLocalHeaderSig) {
    RefuseEntry(entry, "no local header where the central directory puts it");
  }
  local.headerAt = static_cast<size_t>(headerAt);
  const unsigned char* header = At(bytes, local.headerAt);
  uint16_t flags = GetLe16(header + 6);
  uint16_t method = GetLe16(header + 8);
  size_t nameLength = GetLe16(header + 26);
  size_t extraLength = GetLe16(header + 28);
  local.dataAt = local.headerAt + kLocalHeaderSize + nameLength + extraLength;
  local.dataEnd = local.dataAt + entry.compressedSize;
  if (local.dataEnd > directory.centralStart) {
    RefuseEntry(entry, "its data runs into the central directory");
  }
  if (bytes.compare(local.headerAt + kLocalHeaderSize, nameLength, entry.name) != 0 ||
      nameLength != entry.name.size()) {
    RefuseEntry(entry, "the local header names another entry");
  }
  if (HasZip64Extra(header + kLocalHeaderSize + nameLength, extraLength)) {
    RefuseEntry(entry, "it has Zip64 records, which the stub does not read");
  }
  if (method != entry.method || (flags & (kFlagEncrypted | kFlagDataDescriptor)) !=
                                    (entry.flags & (kFlagEncrypted | kFlagDataDescriptor))) {
    RefuseEntry(entry, "the local header's method or flags differ from the central directory");
  }
  bool sizesMatch = GetLe32(header + 14) == entry.crc32 &&
                    GetLe32(header + 18) == entry.compressedSize &&
                    GetLe32(header + 22) == entry.uncompressedSize;
  if (!sizesMatch) {
    // Streamed entries leave the header's sizes at zero and give them in a data
    // descriptor; the stub needs them in the header to find the next entry.
    if (!(flags & kFlagDataDescriptor)) {
      RefuseEntry(entry, "the local header's CRC-32 or sizes differ from the central directory");
    }
    local.rewriteSizes = true;
  }
  const unsigned char* behind = At(bytes, local.dataEnd);
  size_t room = directory.centralStart - local.dataEnd;
  if (room >= 16 && GetLe32(behind) == kDataDescriptorSig && GetLe32(behind + 4) == entry.crc32) {
    local.descriptorSize = 16;
  } else if ((flags & kFlagDataDescriptor) && room >= 12 && GetLe32(behind) == entry.crc32 &&
             GetLe32(behind + 4) == entry.compressedSize &&
             GetLe32(behind + 8) == entry.uncompressedSize) {
    local.descriptorSize = 12;
  }
  return local;
}

std::string ReadInput(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw WrapRefusal{"cannot read " + path + ": " + strerror(errno)};
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in.good() && !in.eof()) throw WrapRefusal{"cannot read " + path};
  return bytes.str();
}

int RunWrap(const WrapOptions& options) {
  std::string block;
  std::string error;
  if (!MakeConfigBlock(options.config, block, error)) throw WrapRefusal{error};
  std::string bytes = ReadInput(options.input);
  if (bytes.size() > kMaxSfxFileSize) {
    throw WrapRefusal{options.input + " is 2 GiB or more, more than the stub can read"};
  }
  ZipDirectory directory;
  if (!ReadZipDirectory(bytes, directory, error)) throw WrapRefusal{options.input + ": " + error};

  if (directory.entries.empty()) {
    // The stub would only say "Cannot read archive header" to the user.
    throw WrapRefusal{options.input + ": the archive has no entries"};
  }
  std::vector<LocalEntry> locals;
  for (const CentralEntry& entry : directory.entries) {
    CheckCentralEntry(entry);
    locals.push_back(LocateEntry(bytes, directory, entry));
    if (entry.name.size() > kMaxEntryNameLength && !options.quiet) {
      fprintf(stderr,
              "qpsfx wrap: warning: entry %s: its name is %zu bytes long; below a deep folder "
              "Windows may refuse it\n",
              entry.name.c_str(), entry.name.size());
    }
  }
  // The stub meets the entries in the order of their local headers.
  std::vector<LocalEntry*> order;
  for (LocalEntry& local : locals) order.push_back(&local);
  std::stable_sort(order.begin(), order.end(), [](const LocalEntry* a, const LocalEntry* b) {
    return a->headerAt < b->headerAt;
  });
  for (size_t i = 1; i < order.size(); ++i) {
    if (order[i]->headerAt < order[i - 1]->dataEnd + order[i - 1]->descriptorSize) {
      RefuseEntry(*order[i]->central,
                  "its local header lies inside the data of entry " + order[i - 1]->central->name);
    }
  }

  SfxWriter writer;
  if (!writer.Open(options.output, block, error)) {
    fprintf(stderr, "qpsfx wrap: %s\n", error.c_str());
    return kExitFailed;
  }
  int streamed = 0;
  for (LocalEntry* local : order) {
    const CentralEntry& entry = *local->central;
    local->newOffset = writer.Offset();
    std::string header = bytes.substr(local->headerAt, local->dataAt - local->headerAt);
    if (local->rewriteSizes) {
      SetLe32(header, 14, entry.crc32);
      SetLe32(header, 18, entry.compressedSize);
      SetLe32(header, 22, entry.uncompressedSize);
      ++streamed;
    }
    std::string descriptor;
    if (local->descriptorSize == 12) PutLe32(descriptor, kDataDescriptorSig);
    descriptor += bytes.substr(local->dataEnd, local->descriptorSize);
    if (!writer.Write(header, error) ||
        !writer.Write(bytes.data() + local->dataAt, entry.compressedSize, error) ||
        !writer.Write(descriptor, error)) {
      fprintf(stderr, "qpsfx wrap: %s\n", error.c_str());
      return writer.LimitReached() ? kExitBadInput : kExitFailed;
    }
  }
  for (const LocalEntry& local : locals) {
    std::string record = local.central->record;
    SetLe32(record, 42, static_cast<uint32_t>(local.newOffset));
    writer.AddCentralRecord(record);
  }
  if (!writer.Finish(directory.comment, error)) {
    fprintf(stderr, "qpsfx wrap: %s\n", error.c_str());
    return writer.LimitReached() ? kExitBadInput : kExitFailed;
  }
  if (!options.quiet) {
    printf("%s: %zu entries from %s", options.output.c_str(), locals.size(), options.input.c_str());
    if (streamed > 0)
      printf(", %d streamed entries given their sizes in the local header", streamed);
    printf(", %llu bytes\n", static_cast<unsigned long long>(writer.Offset()));
  }
  return kExitOk;
}

void AddWrap(CLI::App& app) {
  auto options = std::make_shared<WrapOptions>();
  CLI::App* wrap = app.add_subcommand(
      "wrap",
      "Turn a ZIP archive into an SFX file: the stub, the configuration block and the "
      "archive, its entries copied byte for byte (streamed entries get their sizes in the "
      "local header, so that the stub finds every entry).");
  wrap->add_option("-o,--output", options->output, "the SFX file to write")->required();
  wrap->add_option("ZIP", options->input, "the ZIP archive")->required();
  wrap->add_flag("-q,--quiet", options->quiet, "no summary and no warnings");
  AddConfigOptions(wrap, options->config);
  wrap->callback([options] {
    try {
      SetExitCode(RunWrap(*options));
    } catch (const WrapRefusal& refusal) {
      fprintf(stderr, "qpsfx wrap: %s\n", refusal.message.c_str());
      SetExitCode(kExitBadInput);
    }
  });
}

CommandRegistration registration(AddWrap);

}  // namespace
