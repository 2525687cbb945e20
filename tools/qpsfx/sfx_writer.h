// Writes an SFX file: the embedded stub, the configuration block, then the
// archive's records, with every offset counted from the start of the file so
// that ZIP readers see the SFX file as a plain ZIP archive. The file is written
// under a temporary name and takes its final name only when complete.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>

class SfxWriter {
 public:
  SfxWriter() = default;
  ~SfxWriter();
  SfxWriter(const SfxWriter&) = delete;
  SfxWriter& operator=(const SfxWriter&) = delete;

  bool Open(const std::string& path, const std::string& block, std::string& error);
  // The file offset of the next byte written.
  uint64_t Offset() const { return offset_; }
  // False when the bytes would take the file past 2 GiB or cannot be written.
  bool Write(const std::string& bytes, std::string& error);
  bool Write(const void* data, size_t size, std::string& error);
  void AddCentralRecord(const std::string& record) {
    central_ += record;
    ++entries_;
  }
  // Writes the central directory and the end record, and gives the file its name.
  bool Finish(const std::string& comment, std::string& error);
  // Removes what was written; also done by the destructor when Finish did not run.
  void Abort();
  // True when a write or Finish failed because the file would need more than the
  // stub reads (2 GiB, or 65535 entries): the input is refused, nothing broke.
  bool LimitReached() const { return limitReached_; }

 private:
  FILE* file_ = nullptr;
  std::string path_;
  std::string tempPath_;
  uint64_t offset_ = 0;
  std::string central_;
  uint32_t entries_ = 0;
  bool limitReached_ = false;
};
