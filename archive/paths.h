// Small routines on zero-terminated 8-bit texts and Windows paths.
#pragma once

#include "platform/types.h"

// Room for any path the walk builds: a folder of up to 256 characters, a '\',
// a name of up to 258 bytes and the terminator, with some to spare.
const int32_t kPathCapacity = 528;

uint16_t TextLength(const char* text);
// Copies the first n bytes of buffer into out, cut before the first zero byte,
// and terminates it; out must hold n + 1 bytes.
void TextFromBuffer(char* out, const void* buffer, uint16_t n);
// In place; the caller leaves room for one more character.
char* AppendBackslash(char* text);
char* StripBackslash(char* text);
char* SlashesToBackslashes(char* text);
// True when the file or folder exists. A text that does not end in '\' has its
// '/' turned into '\' first (the caller's text changes).
bool PathExists(char* text);
// The folder part of path into out (out holds TextLength(path) + 1 bytes).
void FolderOfPath(char* out, const char* path);
// Makes the folder and every missing folder above it exist, as far as the system allows.
void CreateFolderChain(const char* path);
