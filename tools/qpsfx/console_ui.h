// The console side of the seam for qpsfx: messages on stderr prefixed with their
// severity, the password from an option or the terminal, the launch recorded.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct ShownMessage {
  std::string text;
  uint32_t icon;
};

struct ConsoleUi {
  // Answers to the password prompt: when set, every prompt is answered with it
  // (the stub's prompt loop then decides); otherwise the terminal is asked.
  bool hasPresetPassword = false;
  std::string presetPassword;
  // Messages of information severity are not printed when quiet; none are
  // printed when muted. All are recorded in shown either way.
  bool quiet = false;
  bool muted = false;
  std::vector<ShownMessage> shown;
  int passwordPrompts = 0;
  // The last command StartProgram was asked to start.
  bool launchRequested = false;
  std::string launchProgram;
  std::string launchParameters;
  // Counts of messages shown, by severity.
  int errors = 0;
  int warnings = 0;
};
extern ConsoleUi consoleUi;
