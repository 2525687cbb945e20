// Stand-in for a setup program: writes marker.txt beside its own file, holding
// its arguments one a line, so a scenario can tell that it was started and how.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, length);
  path = path.substr(0, path.find_last_of('\\') + 1) + "marker.txt";
  // Written under another name first, so a reader never sees half a file.
  std::string partial = path + ".part";
  FILE* out = std::fopen(partial.c_str(), "wb");
  if (!out) return 1;
  for (int i = 1; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
  std::fclose(out);
  return MoveFileA(partial.c_str(), path.c_str()) ? 0 : 1;
}
