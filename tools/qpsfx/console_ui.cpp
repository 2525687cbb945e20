#include "tools/qpsfx/console_ui.h"

#include <stdio.h>
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <string>

#include "platform/messages.h"
#include "platform/password.h"
#include "platform/system.h"

ConsoleUi consoleUi;

void ShowMessage(const char* text, uint32_t icon) {
  consoleUi.shown.push_back({text, icon});
  const char* severity = "info";
  if (icon == kIconError) {
    severity = "error";
    ++consoleUi.errors;
  } else if (icon == kIconWarning) {
    severity = "warning";
    ++consoleUi.warnings;
  } else if (consoleUi.quiet) {
    return;
  }
  if (consoleUi.muted) return;
  fprintf(stderr, "%s: %s\n", severity, text);
}

void PumpOneMessage() {}

static std::string ReadPasswordFromTerminal() {
  if (!isatty(STDIN_FILENO)) return std::string();
  fputs("Enter password: ", stderr);
  fflush(stderr);
  termios saved;
  bool restore = tcgetattr(STDIN_FILENO, &saved) == 0;
  if (restore) {
    termios silent = saved;
    silent.c_lflag &= static_cast<tcflag_t>(~ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
  }
  std::string line;
  std::getline(std::cin, line);
  if (restore) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  fputs("\n", stderr);
  return line;
}

void PromptForPassword() {
  ++consoleUi.passwordPrompts;
  std::string answer =
      consoleUi.hasPresetPassword ? consoleUi.presetPassword : ReadPasswordFromTerminal();
  // The prompt's edit holds at most 79 characters.
  if (answer.size() > 79) answer.resize(79);
  answer.copy(passwordText, answer.size());
  passwordText[answer.size()] = 0;
  passwordLength = static_cast<int32_t>(answer.size());
}

void StartProgram(const char* program, const char* parameters) {
  consoleUi.launchRequested = true;
  consoleUi.launchProgram = program;
  consoleUi.launchParameters = parameters;
}
