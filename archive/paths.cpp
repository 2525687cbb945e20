#include "archive/paths.h"

#include <string.h>

#include "platform/files.h"

uint16_t TextLength(const char* text) {
  uint16_t length = 0;
  while (text[length]) ++length;
  return length;
}

void TextFromBuffer(char* out, const void* buffer, uint16_t n) {
  const char* bytes = static_cast<const char*>(buffer);
  uint16_t i = 0;
  for (; i < n && bytes[i]; ++i) out[i] = bytes[i];
  out[i] = 0;
}

char* AppendBackslash(char* text) {
  uint16_t length = TextLength(text);
  if (length == 0 || text[length - 1] != '\\') {
    text[length] = '\\';
    text[length + 1] = 0;
  }
  return text;
}

char* StripBackslash(char* text) {
  uint16_t length = TextLength(text);
  if (length > 0 && text[length - 1] == '\\') text[length - 1] = 0;
  return text;
}

char* SlashesToBackslashes(char* text) {
  for (char* p = text; *p; ++p) {
    if (*p == '/') *p = '\\';
  }
  return text;
}

bool PathExists(char* text) {
  uint16_t length = TextLength(text);
  if (length > 0 && text[length - 1] == '\\') {
    // A folder: list it, on a separate text, so the caller's text stays as it is.
    char pattern[kPathCapacity + 4];
    if (length > kPathCapacity - 1) return false;
    memcpy(pattern, text, length);
    memcpy(pattern + length, "*.*", 4);
    return FindFirstMatch(SlashesToBackslashes(pattern));
  }
  return FindFirstMatch(SlashesToBackslashes(text));
}

void FolderOfPath(char* out, const char* path) {
  uint16_t length = TextLength(path);
  int32_t keep = 0;
  // The stub's own C runtime has no strchr.
  if (length == 3 && (path[0] == ':' || path[1] == ':' || path[2] == ':')) {
    keep = 3;  // C:\ is its own folder
  } else {
    int32_t last = -1;
    for (int32_t i = 0; i < length; ++i) {
      if (path[i] == '/' || path[i] == ':' || path[i] == '\\') last = i;
    }
    if (last < 0) {
      keep = 0;
    } else if (path[last] == ':') {
      keep = last + 1;  // C:name gives C:
    } else if (last == 2 && path[1] == ':') {
      keep = 3;  // C:\name gives C:\ .
    } else {
      keep = last;
    }
  }
  memcpy(out, path, static_cast<size_t>(keep));
  out[keep] = 0;
}

void CreateFolderChain(const char* path) {
  char folder[kPathCapacity];
  uint16_t length = TextLength(path);
  if (length >= kPathCapacity) return;
  memcpy(folder, path, length + 1u);
  if (length > 0 && folder[length - 1] == '\\') folder[--length] = 0;
  if (length < 3) return;
  if (PathExists(folder)) return;
  char parent[kPathCapacity];
  FolderOfPath(parent, folder);
  // A folder part that is no shorter than the folder itself (C:x, or a name that
  // ends in ':') makes no progress: the chain stops there instead of recursing.
  if (TextLength(parent) < length) CreateFolderChain(parent);
  CreateOneFolder(folder);
}
