#include "tools/qpsfx/config_options.h"

#include <fstream>
#include <sstream>

namespace {

const uint8_t kFileListFlag = 0x02;
const uint8_t kHideOverwriteFlag = 0x04;
const uint8_t kOverwriteFlag = 0x08;  // bits 3-4 = 1: the box starts checked
const size_t kMaxTextLength = 255;
const size_t kBlockHeaderSize = 7;
const size_t kBlockSize = 256;

bool CheckText(const char* what, const std::string& text, std::string& error) {
  if (text.size() > kMaxTextLength) {
    error = std::string(what) + " is " + std::to_string(text.size()) +
            " bytes long; the configuration block holds at most 255";
    return false;
  }
  if (text.find('\0') != std::string::npos) {
    error = std::string(what) + " holds a zero byte, which would cut it short";
    return false;
  }
  return true;
}

}  // namespace

void AddConfigOptions(CLI::App* command, ConfigOptions& options) {
  const char* group = "Configuration block";
  auto* intro = command->add_option("--intro", options.intro,
                                    "intro text shown in the dialog (at most 255 bytes)");
  auto* introFile = command->add_option("--intro-file", options.introFile,
                                        "read the intro text from a file (line breaks become "
                                        "CR LF)");
  auto* folder = command->add_option("--folder", options.folder,
                                     "default extraction folder (\"##\" is the temporary folder)");
  auto* tempFolder = command->add_flag("--temp-folder", options.tempFolder,
                                       "extract to the user's temporary folder by default");
  auto* run = command->add_option(
      "--run", options.run,
      "command started after a complete extraction: program, then \"|\" and parameters; "
      "\"##\" stands for the extraction folder");
  auto* noFileList =
      command->add_flag("--no-file-list", options.noFileList, "hide the FileList button");
  auto* hideOverwrite = command->add_flag("--hide-overwrite", options.hideOverwrite,
                                          "remove the \"Overwrite existing files\" check box");
  auto* overwrite = command->add_flag("--overwrite", options.overwrite,
                                      "existing files are overwritten (the default)");
  auto* skip = command->add_flag("--skip-existing", options.skipExisting,
                                 "existing files are skipped: the check box starts unchecked");
  auto* noBlock = command->add_flag("--no-block", options.noBlock,
                                    "write no configuration block: the archive follows the stub");
  for (CLI::Option* option :
       {intro, introFile, folder, tempFolder, run, noFileList, hideOverwrite, overwrite, skip}) {
    option->group(group);
    option->excludes(noBlock);
  }
  noBlock->group(group);
  intro->excludes(introFile);
  folder->excludes(tempFolder);
  overwrite->excludes(skip);
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
  return out;
}

bool BuildBlockBytes(uint8_t flags, const std::string& intro, const std::string& folder,
                     const std::string& command, std::string& block, std::string& error) {
  if (!CheckText("the intro text", intro, error) ||
      !CheckText("the default folder", folder, error) ||
      !CheckText("the run command", command, error)) {
    return false;
  }
  size_t used = kBlockHeaderSize + intro.size() + folder.size() + command.size();
  if (used > kBlockSize) {
    error = "intro text, default folder and run command take " +
            std::to_string(used - kBlockHeaderSize) +
            " bytes together; the configuration block holds at most 249";
    return false;
  }
  block = "@QP";
  block += static_cast<char>(flags);
  block += static_cast<char>(intro.size());
  block += static_cast<char>(folder.size());
  block += static_cast<char>(command.size());
  block += intro + folder + command;
  block.append(kBlockSize - block.size(), '.');
  return true;
}

bool MakeConfigBlock(const ConfigOptions& options, std::string& block, std::string& error) {
  block.clear();
  if (options.noBlock) return true;
  std::string intro = WithCrLf(options.intro);
  if (!options.introFile.empty()) {
    std::ifstream in(options.introFile, std::ios::binary);
    if (!in) {
      error = "cannot read the intro file " + options.introFile;
      return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    intro = WithCrLf(text.str());
  }
  uint8_t flags = 0;
  if (!options.noFileList) flags |= kFileListFlag;
  if (options.hideOverwrite) flags |= kHideOverwriteFlag;
  if (!options.skipExisting) flags |= kOverwriteFlag;
  std::string folder = options.tempFolder ? "##" : options.folder;
  return BuildBlockBytes(flags, intro, folder, options.run, block, error);
}
