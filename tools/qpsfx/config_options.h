// The configuration options that create and wrap share, and the 256-byte
// configuration block they are written into.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

struct ConfigOptions {
  std::string intro;
  std::string introFile;
  std::string folder;
  bool tempFolder = false;
  std::string run;
  bool noFileList = false;
  bool hideOverwrite = false;
  bool overwrite = false;
  bool skipExisting = false;
  bool noBlock = false;
};

void AddConfigOptions(CLI::App* command, ConfigOptions& options);

// The block's bytes, or an empty block with --no-block. False, with error set,
// when the texts cannot be held by the block or the intro file cannot be read.
bool MakeConfigBlock(const ConfigOptions& options, std::string& block, std::string& error);

// The block for the three texts and the flags, checked: each text at most 255
// bytes, no zero byte, and 7 + the three lengths at most 256.
bool BuildBlockBytes(uint8_t flags, const std::string& intro, const std::string& folder,
                     const std::string& command, std::string& block, std::string& error);

// Line breaks as the multi-line edit of the main dialog shows them: every LF, CR
// or CR LF becomes CR LF; line breaks at the very end are dropped.
std::string WithCrLf(const std::string& text);
