// The password prompt of the real stub.
#include <gtest/gtest.h>

#include "tests/e2e/support/scenario.h"

namespace {

const char kSuccess[] = "message information \"All files have been extracted successful.\"\n";
const char kMain[] =
    "main folder=\"{work}\\cwd\" intro=\"\" overwrite=checked filelist=shown hint=shown "
    "lists=3/0\n";
const char kPrompt[] = "password masked=yes text=\"\"\n";

std::vector<ZipEntrySpec> Archive(const std::string& password) {
  ZipEntrySpec stored = Encrypted("e2.txt", "second secret\n", password);
  stored.method = 0;
  return {Entry("plain.txt", "plain\n"), Encrypted("e1.txt", "first secret\n", password), stored};
}

TEST(Password, RightOnceServesEveryEncryptedEntry) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", Archive("secret"));
  scenario.steps = "start\nwait main\nclick main 1\nanswer secret\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) + kPrompt + kSuccess + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd"),
            (std::vector<std::string>{"e1.txt=first secret\n", "e2.txt=second secret\n",
                                      "plain.txt=plain\n"}));
}

TEST(Password, ThreeWrongAnswersStopTheWalkSilently) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", Archive("secret"));
  scenario.steps = R"(start
wait main
click main 1
answer wrong
answer Secret
answer secret!
sync
show main
click main 2
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            std::string(kMain) + kPrompt + kPrompt + kPrompt + kMain + "exit 0 started=0\n");
  // What came before the encrypted entry stays extracted.
  EXPECT_EQ(outcome.Tree("cwd"), (std::vector<std::string>{"plain.txt=plain\n"}));
}

TEST(Password, EmptyAnswerIsOneRefusedTry) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", Archive("secret"));
  scenario.steps = "start\nwait main\nclick main 1\nanswer\nanswer secret\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            std::string(kMain) + kPrompt + kPrompt + kSuccess + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd").size(), 3u);
}

TEST(Password, EscapeAndCancelLeaveThePromptOpenWithItsText) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", Archive("secret"));
  // The typed "t" lands behind the Esc and the cancel: once it shows, both
  // have been handled.
  scenario.steps = R"(start
wait main
click main 1
wait password
type password 101 secre
key password 101 escape
command password 2
type password 101 t
sync
show password
click password 1
message
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) + kPrompt +
                                    "password masked=yes text=\"secret\"\n" + kSuccess +
                                    "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd").size(), 3u);
}

TEST(Password, OnlyTheFirst79CharactersCount) {
  std::string password(79, 'p');
  for (size_t i = 0; i < password.size(); ++i) password[i] = static_cast<char>('a' + i % 26);
  Scenario scenario;
  scenario.sfx = MakeSfx("", Archive(password));
  scenario.steps = "start\nwait main\nclick main 1\nanswer " + password +
                   "THESE CHARACTERS ARE NOT READ\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) + kPrompt + kSuccess + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd").size(), 3u);
}

TEST(Password, TypingStopsAtTheVisibleWidthOfTheMaskedField) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", Archive("secret"));
  scenario.steps = "start\nwait main\nclick main 1\nwait password\ntype password 101 " +
                   std::string(100, 'x') + "\nsync\nshow password\n";
  Outcome outcome = RunScenario(scenario);
  // The driver ends the stub when the script is done.
  std::string shown = outcome.transcript.substr(outcome.transcript.rfind("password masked="));
  size_t typed = shown.find('"');
  ASSERT_NE(typed, std::string::npos);
  size_t length = shown.find('"', typed + 1) - typed - 1;
  EXPECT_EQ(shown.substr(0, typed), "password masked=yes text=");
  EXPECT_GT(length, 5u);
  EXPECT_LT(length, 79u);
}

}  // namespace
