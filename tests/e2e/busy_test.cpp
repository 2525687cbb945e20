// No second extraction while one runs: the commands that reach the dialogs while
// a walk waits on its password prompt or on one of its message boxes start
// nothing and end nothing.
#include <gtest/gtest.h>

#include "tests/e2e/support/scenario.h"

namespace {

const char kFailure[] = "message error \"Couldn't get extracted the selected files.\"\n";
const char kMain[] =
    "main folder=\"{work}\\cwd\" intro=\"\" overwrite=checked filelist=shown hint=shown "
    "lists=3/0\n";

// Every way of asking the main dialog for something: the buttons, and the
// commands Enter and Esc give.
const char kPokeMain[] = R"(click main 1
click main 3
click main 775
click main 2
command main 1
command main 2
)";

std::vector<ZipEntrySpec> Archive() {
  ZipEntrySpec broken = Entry("broken.txt", "these bytes do not match the CRC\n");
  broken.crc = 0x12345678;
  return {broken, Encrypted("locked.txt", "locked\n", "secret"), Entry("plain.txt", "plain\n")};
}

TEST(Busy, MainDialogIgnoresCommandsWhileThePasswordPromptIsOpen) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", Archive());
  scenario.steps = std::string("start\nwait main\nclick main 1\nwait password\n") + kPokeMain +
                   R"(sync
set password 101 secret
click password 1
message
sync
show main
click main 2
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) + "password masked=yes text=\"\"\n" + kFailure +
                                    kMain + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd").size(), 3u);
}

TEST(Busy, MainDialogIgnoresCommandsWhileAMessageOfTheWalkIsOpen) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", {Entry("a.txt", "a\n"), Entry("blocked.txt", "b\n")});
  scenario.files = {{"cwd/blocked.txt/blocker", ""}};
  scenario.steps = std::string("start\nwait main\nclick main 1\nmessage keep\n") + kPokeMain +
                   R"(sync
click message 1
message
sync
show main
click main 2
exit
)";
  Outcome outcome = RunScenario(scenario);
  std::string main =
      "main folder=\"{work}\\cwd\" intro=\"\" overwrite=checked filelist=shown hint=shown "
      "lists=2/0\n";
  EXPECT_EQ(outcome.transcript,
            main + "message warning \"Cannot open file {work}\\cwd\\blocked.txt\"\n" + kFailure +
                main + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Read("cwd/a.txt"), "a\n");
}

TEST(Busy, FileListIgnoresCommandsWhileThePasswordPromptIsOpen) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", Archive());
  scenario.steps = std::string(
                       "start\nwait main\nclick main 3\nwait filelist\nclick filelist "
                       "1\nwait password\n") +
                   R"(click filelist 1
click filelist 2
command filelist 1
command filelist 2
)" + kPokeMain + R"(sync
set password 101 secret
click password 1
message
sync
show filelist
click filelist 2
gone filelist
click main 2
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) +
                                    "filelist +broken.txt +locked.txt +plain.txt\n"
                                    "password masked=yes text=\"\"\n" +
                                    kFailure +
                                    "filelist +broken.txt -locked.txt -plain.txt\n"
                                    "exit 0 started=0\n");
}

}  // namespace
