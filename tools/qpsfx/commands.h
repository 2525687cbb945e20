// Each subcommand of qpsfx lives in a file of its own and registers itself here.
#pragma once

#include <CLI/CLI.hpp>

// Adds a subcommand to the application; its callback stores the exit code with
// SetExitCode.
using AddCommand = void (*)(CLI::App& app);

struct CommandRegistration {
  explicit CommandRegistration(AddCommand add);
};

void SetExitCode(int code);

// Exit codes of every command.
const int kExitOk = 0;
const int kExitFailed = 1;    // some entries failed
const int kExitBadInput = 2;  // the file cannot be read, or the arguments are wrong
