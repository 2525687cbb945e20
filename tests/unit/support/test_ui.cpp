#include "tests/unit/support/test_ui.h"

#include <ostream>

#include "platform/messages.h"
#include "platform/password.h"
#include "platform/posix/posix_host.h"
#include "platform/system.h"

TestUi testUi;

void ResetTestUi() {
  testUi = TestUi();
  ResetPosixFaults();
}

std::ostream& operator<<(std::ostream& out, const RecordedMessage& message) {
  return out << "{\"" << message.text << "\", 0x" << std::hex << message.icon << std::dec << "}";
}

void ShowMessage(const char* text, uint32_t icon) { testUi.messages.push_back({text, icon}); }

void PumpOneMessage() {
  ++testUi.pumpedMessages;
  if (testUi.onPump) testUi.onPump();
}

void PromptForPassword() {
  ++testUi.passwordPrompts;
  std::string answer;
  if (!testUi.passwordAnswers.empty()) {
    answer = testUi.passwordAnswers.front();
    testUi.passwordAnswers.pop_front();
  }
  if (answer.size() > 79) answer.resize(79);
  answer.copy(passwordText, answer.size());
  passwordText[answer.size()] = 0;
  passwordLength = static_cast<int32_t>(answer.size());
}

void StartProgram(const char* program, const char* parameters) {
  testUi.launches.push_back({program, parameters});
}
