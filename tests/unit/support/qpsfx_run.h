// Runs the built qpsfx and the ZIP tools of the system for the tests of the
// qpsfx commands, and compares extracted folder trees.
#pragma once

#include <stdio.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/unit/support/sfx_builder.h"

struct RunResult {
  int status;
  std::string output;  // stdout and stderr together
};

inline RunResult Shell(const std::string& command) {
  RunResult result{-1, std::string()};
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

#ifdef QP_QPSFX
inline std::string Qpsfx() { return Quote(QP_QPSFX); }
#endif

// Every file (its bytes) and every folder ("<folder>") below root, by relative path.
inline std::map<std::string, std::string> ReadTree(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    std::string name = std::filesystem::relative(item.path(), root).string();
    tree[name] = item.is_directory() ? std::string("<folder>") : ReadBytes(item.path().string());
  }
  return tree;
}

// unzip -t, 7-Zip's test and python's zipfile all read the file as a ZIP archive
// without a warning. Returns what they said when one of them objects.
inline std::string ZipReadersObject(const std::string& file, const std::string& password = "") {
  std::string said;
  RunResult unzip =
      Shell("unzip -t " + (password.empty() ? "" : "-P " + Quote(password) + " ") + Quote(file));
  if (unzip.status != 0 || unzip.output.find("warning") != std::string::npos) {
    said += "unzip: " + unzip.output;
  }
  if (HaveProgram("7zz")) {
    RunResult sevenZip =
        Shell("7zz t -bd " + (password.empty() ? "" : "-p" + Quote(password) + " ") + Quote(file));
    if (sevenZip.status != 0 || sevenZip.output.find("WARNING") != std::string::npos ||
        sevenZip.output.find("Everything is Ok") == std::string::npos) {
      said += "7zz: " + sevenZip.output;
    }
  }
  RunResult python = Shell(
      "python3 -W error -c 'import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "if sys.argv[2]: z.setpassword(sys.argv[2].encode())\n"
      "bad = z.testzip()\n"
      "sys.exit(\"bad entry %s\" % bad if bad else 0)' " +
      Quote(file) + " " + Quote(password));
  if (python.status != 0) said += "zipfile: " + python.output;
  return said;
}

#ifdef QP_QPSFX
// Extracts an SFX file into folder, with the core through qpsfx extract.
inline RunResult ExtractSfx(const std::string& sfx, const std::string& folder,
                            const std::string& password = "") {
  return Shell(Qpsfx() + " extract -d " + Quote(folder) +
               (password.empty() ? "" : " --password " + Quote(password)) + " " + Quote(sfx));
}
#endif
