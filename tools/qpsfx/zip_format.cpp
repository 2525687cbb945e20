#include "tools/qpsfx/zip_format.h"

#include <stdio.h>
#include <time.h>

#include <cctype>

std::string LocalHeaderBytes(const EntryFields& entry) {
  std::string out;
  PutLe32(out, kLocalHeaderSig);
  PutLe16(out, entry.versionNeeded);
  PutLe16(out, entry.flags);
  PutLe16(out, entry.method);
  PutLe16(out, entry.modTime);
  PutLe16(out, entry.modDate);
  PutLe32(out, entry.crc32);
  PutLe32(out, entry.compressedSize);
  PutLe32(out, entry.uncompressedSize);
  PutLe16(out, static_cast<uint32_t>(entry.name.size()));
  PutLe16(out, 0);  // no extra field: nothing in it would be the same on every run
  out += entry.name;
  return out;
}

std::string CentralRecordBytes(const EntryFields& entry, uint32_t localHeaderOffset) {
  std::string out;
  PutLe32(out, kCentralHeaderSig);
  PutLe16(out, entry.versionNeeded);  // made by: MS-DOS attributes, the stub's world
  PutLe16(out, entry.versionNeeded);
  PutLe16(out, entry.flags);
  PutLe16(out, entry.method);
  PutLe16(out, entry.modTime);
  PutLe16(out, entry.modDate);
  PutLe32(out, entry.crc32);
  PutLe32(out, entry.compressedSize);
  PutLe32(out, entry.uncompressedSize);
  PutLe16(out, static_cast<uint32_t>(entry.name.size()));
  PutLe16(out, 0);  // extra field
  PutLe16(out, 0);  // comment
  PutLe16(out, 0);  // disk number
  PutLe16(out, 0);  // internal attributes
  PutLe32(out, entry.externalAttributes);
  PutLe32(out, localHeaderOffset);
  out += entry.name;
  return out;
}

std::string EndRecordBytes(uint32_t entries, uint32_t centralSize, uint32_t centralOffset,
                           const std::string& comment) {
  std::string out;
  PutLe32(out, kEndRecordSig);
  PutLe16(out, 0);  // this disk
  PutLe16(out, 0);  // disk of the central directory
  PutLe16(out, entries);
  PutLe16(out, entries);
  PutLe32(out, centralSize);
  PutLe32(out, centralOffset);
  PutLe16(out, static_cast<uint32_t>(comment.size()));
  out += comment;
  return out;
}

namespace {

DosDateTime FromParts(int year, int month, int day, int hour, int minute, int second) {
  DosDateTime result;
  result.date = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
  result.time = static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
  return result;
}

}  // namespace

DosDateTime DosTimeFromUnix(int64_t seconds, bool utc) {
  time_t t = static_cast<time_t>(seconds);
  struct tm parts {};
  if ((utc ? gmtime_r(&t, &parts) : localtime_r(&t, &parts)) == nullptr) {
    return FromParts(1980, 1, 1, 0, 0, 0);
  }
  int year = parts.tm_year + 1900;
  if (year < 1980) return FromParts(1980, 1, 1, 0, 0, 0);
  if (year > 2107) return FromParts(2107, 12, 31, 23, 59, 58);
  return FromParts(year, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
                   parts.tm_sec > 59 ? 59 : parts.tm_sec);
}

bool ParseDosTime(const std::string& text, DosDateTime& result) {
  if (text.empty()) return false;
  bool digitsOnly = true;
  for (char c : text) digitsOnly = digitsOnly && std::isdigit(static_cast<unsigned char>(c));
  if (digitsOnly) {
    if (text.size() > 12) return false;
    int64_t seconds = std::stoll(text);
    if (seconds < 315532800 || seconds > 4354819199LL) return false;  // 1980..2107, UTC
    result = DosTimeFromUnix(seconds, true);
    return true;
  }
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char separator = ' ';
  int consumed = 0;
  int fields = sscanf(text.c_str(), "%4d-%2d-%2d%n%c%2d:%2d%n:%2d%n", &year, &month, &day,
                      &consumed, &separator, &hour, &minute, &consumed, &second, &consumed);
  if (fields < 3 || static_cast<size_t>(consumed) != text.size()) return false;
  if (fields > 3 && fields < 6) return false;
  if (fields > 3 && separator != ' ' && separator != 'T') return false;
  if (year < 1980 || year > 2107 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
      minute > 59 || second > 59 || hour < 0 || minute < 0 || second < 0) {
    return false;
  }
  result = FromParts(year, month, day, hour, minute, second);
  return true;
}
