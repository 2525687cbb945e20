#include "tools/qpsfx/sfx_writer.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/qpsfx/stub_image.h"
#include "tools/qpsfx/zip_format.h"

namespace {

const size_t kStubImageBytes = 0x7C00;
const uint32_t kMaxEntries = 0xFFFF;  // more needs Zip64, which the stub does not read

}  // namespace

SfxWriter::~SfxWriter() { Abort(); }

bool SfxWriter::Open(const std::string& path, const std::string& block, std::string& error) {
  if (kStubImageSize != kStubImageBytes) {
    error = "the embedded stub is " + std::to_string(kStubImageSize) + " bytes, not 31744";
    return false;
  }
  path_ = path;
  tempPath_ = path + ".qpsfx-" + std::to_string(getpid()) + ".tmp";
  file_ = fopen(tempPath_.c_str(), "wb");
  if (file_ == nullptr) {
    error = "cannot create " + tempPath_ + ": " + strerror(errno);
    return false;
  }
  setvbuf(file_, nullptr, _IOFBF, 1 << 20);
  offset_ = 0;
  return Write(kStubImage, kStubImageSize, error) && Write(block, error);
}

bool SfxWriter::Write(const std::string& bytes, std::string& error) {
  return Write(bytes.data(), bytes.size(), error);
}

bool SfxWriter::Write(const void* data, size_t size, std::string& error) {
  if (offset_ + size > kMaxSfxFileSize) {
    error = "the SFX file would pass 2 GiB, more than the stub can read";
    limitReached_ = true;
    return false;
  }
  if (size > 0 && fwrite(data, 1, size, file_) != size) {
    error = "cannot write " + tempPath_ + ": " + strerror(errno);
    return false;
  }
  offset_ += size;
  return true;
}

bool SfxWriter::Finish(const std::string& comment, std::string& error) {
  if (entries_ > kMaxEntries) {
    error = std::to_string(entries_) + " entries are more than a ZIP archive without Zip64 holds";
    limitReached_ = true;
    return false;
  }
  uint64_t centralOffset = offset_;
  if (!Write(central_, error)) return false;
  std::string end = EndRecordBytes(entries_, static_cast<uint32_t>(central_.size()),
                                   static_cast<uint32_t>(centralOffset), comment);
  if (!Write(end, error)) return false;
  FILE* file = file_;
  file_ = nullptr;
  if (fflush(file) != 0 || fsync(fileno(file)) != 0) {
    error = "cannot write " + tempPath_ + ": " + strerror(errno);
    fclose(file);
    unlink(tempPath_.c_str());
    return false;
  }
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fileno(file), 0777 & ~mask);
  if (fclose(file) != 0 || rename(tempPath_.c_str(), path_.c_str()) != 0) {
    error = "cannot write " + path_ + ": " + strerror(errno);
    unlink(tempPath_.c_str());
    return false;
  }
  return true;
}

void SfxWriter::Abort() {
  if (file_ == nullptr) return;
  fclose(file_);
  file_ = nullptr;
  unlink(tempPath_.c_str());
}
