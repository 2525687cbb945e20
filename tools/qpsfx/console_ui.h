// The console side of the seam for qpsfx: messages on stderr prefixed with their
// severity, the password from an option or the terminal, the launch printed.
#pragma once

#include <string>

struct ConsoleUi {
  // Answers to the password prompt: when set, every prompt is answered with it
  // (the stub's prompt loop then decides); otherwise the terminal is asked.
  bool hasPresetPassword = false;
  std::string presetPassword;
  // Messages of information severity are not printed when quiet.
  bool quiet = false;
  // The last command StartProgram was asked to start.
  bool launchRequested = false;
  std::string launchProgram;
  std::string launchParameters;
  // Counts of messages shown, by severity.
  int errors = 0;
  int warnings = 0;
};
extern ConsoleUi consoleUi;
