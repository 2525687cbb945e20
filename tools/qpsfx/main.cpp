// qpsfx: makes, lists, tests and extracts Quillpack SFX files on Linux, reading
// them with the very same core as the stub.
#include <vector>

#include "tools/qpsfx/commands.h"

static std::vector<AddCommand>& Commands() {
  static std::vector<AddCommand> commands;
  return commands;
}

CommandRegistration::CommandRegistration(AddCommand add) { Commands().push_back(add); }

static int exitCode = kExitOk;

void SetExitCode(int code) { exitCode = code; }

int main(int argc, char** argv) {
  CLI::App app{
      "qpsfx - makes and reads Quillpack SFX files: self-extracting ZIP archives for 32-bit "
      "Windows.\nThe reading commands use the stub's own archive, inflate and integrity code."};
  app.require_subcommand(1);
  app.set_version_flag("--version", "qpsfx 1.0");
  for (AddCommand add : Commands()) add(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? kExitOk : kExitBadInput;
  }
  return exitCode;
}
