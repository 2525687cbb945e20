// Which entry names the stub can extract safely below its target folder.
#pragma once

#include <string>

// Room left for the entry name in a Windows path of at most 259 characters when
// the target folder is a typical one (a user's temporary folder or a folder
// below Program Files, up to 64 characters) and a '\' separates the two.
const size_t kMaxEntryNameLength = 259 - 64 - 1;

// Empty when the stub writes the entry inside its target folder; otherwise why
// it would not: an empty name, an absolute name, a drive or stream (':'), a ".."
// component (with '/' or '\' as separators), or a zero byte.
std::string UnsafeNameReason(const std::string& name);

// For names that qpsfx create makes from files: also characters that Windows
// does not allow in file names ('\' included, since the stub takes it for a
// separator), and names too long for the Windows path limit.
std::string UnwritableNameReason(const std::string& name);

// ASCII letters folded to lower case, as Windows compares file names.
std::string FoldCase(const std::string& name);
