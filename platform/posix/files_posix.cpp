#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include "platform/files.h"
#include "platform/posix/posix_host.h"

PosixFaults posixFaults;

void ResetPosixFaults() { posixFaults = PosixFaults(); }

std::string ToPosixPath(const char* path) {
  std::string result(path);
  for (char& c : result) {
    if (c == '\\') c = '/';
  }
  return result;
}

// Descriptors of output files, so that an injected close failure hits only those.
static std::set<int>& OutputFiles() {
  static std::set<int> files;
  return files;
}

FileHandle OpenFileForReading(const char* path) {
  int fd = open(ToPosixPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kInvalidFile;
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return kInvalidFile;
  }
  return fd;
}

FileHandle CreateOutputFile(const char* path) {
  int fd = open(ToPosixPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return kInvalidFile;
  OutputFiles().insert(fd);
  return fd;
}

int32_t ReadFromFile(FileHandle file, void* buffer, int32_t count) {
  // Like ReadFile on a disk file: deliver everything asked for unless the file ends.
  int32_t delivered = 0;
  while (delivered < count) {
    ssize_t n = read(static_cast<int>(file), static_cast<char*>(buffer) + delivered,
                     static_cast<size_t>(count - delivered));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    delivered += static_cast<int32_t>(n);
  }
  return delivered;
}

int32_t WriteToFile(FileHandle file, const void* buffer, int32_t count) {
  if (posixFaults.shortWriteLimit >= 0 && count > posixFaults.shortWriteLimit) {
    count = posixFaults.shortWriteLimit;
  }
  int32_t written = 0;
  while (written < count) {
    ssize_t n = write(static_cast<int>(file), static_cast<const char*>(buffer) + written,
                      static_cast<size_t>(count - written));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<int32_t>(n);
  }
  return written;
}

int32_t SetFilePosition(FileHandle file, int32_t offset) {
  if (offset < 0) return -1;
  off_t position = lseek(static_cast<int>(file), offset, SEEK_SET);
  return position < 0 ? -1 : static_cast<int32_t>(position);
}

bool CloseFileHandle(FileHandle file) {
  int fd = static_cast<int>(file);
  bool isOutput = OutputFiles().erase(fd) > 0;
  bool closed = close(fd) == 0;
  if (isOutput && posixFaults.failClose) return false;
  return closed;
}

bool FindFirstMatch(const char* pattern) {
  std::string path = ToPosixPath(pattern);
  const std::string listAll = "/*.*";
  if (path.size() >= listAll.size() &&
      path.compare(path.size() - listAll.size(), listAll.size(), listAll) == 0) {
    // Listing a folder: on Windows every folder but an empty drive root yields at
    // least "." here, so an existing folder is a match.
    path.resize(path.size() - 3);
    DIR* folder = opendir(path.c_str());
    if (!folder) return false;
    closedir(folder);
    return true;
  }
  // Windows finds no file or folder by a name that ends in a separator.
  if (!path.empty() && path.back() == '/') return false;
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

bool CreateOneFolder(const char* path) {
  std::string posixPath = ToPosixPath(path);
  const std::string& refused = posixFaults.refuseFolder;
  if (!refused.empty() && posixPath.size() >= refused.size() &&
      posixPath.compare(posixPath.size() - refused.size(), refused.size(), refused) == 0) {
    return false;
  }
  return mkdir(posixPath.c_str(), 0755) == 0;
}
