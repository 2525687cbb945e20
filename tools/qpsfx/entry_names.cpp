#include "tools/qpsfx/entry_names.h"

std::string UnsafeNameReason(const std::string& name) {
  if (name.empty()) return "the name is empty";
  if (name.find('\0') != std::string::npos) return "the name holds a zero byte";
  if (name[0] == '/' || name[0] == '\\') return "the name is absolute";
  if (name.find(':') != std::string::npos) return "the name holds a ':'";
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0) return "the name holds a \"..\" component";
    start = end + 1;
  }
  return std::string();
}

std::string UnwritableNameReason(const std::string& name) {
  std::string reason = UnsafeNameReason(name);
  if (!reason.empty()) return reason;
  for (unsigned char c : name) {
    if (c < 0x20 || c == '\\' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
        c == '|') {
      return "the name holds a character that Windows does not allow in file names";
    }
  }
  if (name.size() > kMaxEntryNameLength) {
    return "the name is " + std::to_string(name.size()) +
           " bytes long; below a typical folder Windows allows at most " +
           std::to_string(kMaxEntryNameLength);
  }
  return std::string();
}

std::string FoldCase(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}
