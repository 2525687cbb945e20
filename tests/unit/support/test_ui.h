// The test side of the seam: records every message box, answers password prompts
// from a script and records launches; faults in the file services come from
// posixFaults (platform/posix/posix_host.h).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

struct RecordedMessage {
  std::string text;
  uint32_t icon;
  bool operator==(const RecordedMessage& other) const {
    return text == other.text && icon == other.icon;
  }
};

struct RecordedLaunch {
  std::string program;
  std::string parameters;
};

struct TestUi {
  std::vector<RecordedMessage> messages;
  std::deque<std::string> passwordAnswers;  // an empty queue answers with an empty text
  int passwordPrompts = 0;
  std::vector<RecordedLaunch> launches;
  int pumpedMessages = 0;
  std::function<void()> onPump;  // runs inside each pump, as a dispatched message would
};
extern TestUi testUi;

// Resets the test UI and the injected faults.
void ResetTestUi();

std::ostream& operator<<(std::ostream& out, const RecordedMessage& message);
