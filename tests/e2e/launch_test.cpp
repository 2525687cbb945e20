// The launch after extraction, on the real stub: the run command starts an
// extracted program (the marker program, which writes its arguments down).
#include <gtest/gtest.h>

#include "tests/e2e/support/scenario.h"

namespace {

const char kSuccess[] = "message information \"All files have been extracted successful.\"\n";

std::string Block(const std::string& command) {
  return BuildConfigBlock(0x0A, "", WorkFolder() + "\\out", command);
}

const char kMain[] =
    "main folder=\"{work}\\out\" intro=\"\" overwrite=checked filelist=shown hint=shown ";

TEST(Launch, StartsTheCommandWithTheFolderInPlaceOfEveryHashPair) {
  Scenario scenario;
  scenario.sfx = MakeSfx(Block("##setup.exe|--folder ##|second ##x"),
                         {Entry("setup.exe", MarkerProgram()), Entry("readme.txt", "read me\n")});
  scenario.steps = "start\nwait main\nclick main 1\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            std::string(kMain) + "lists=2/0\n" + kSuccess + "exit 0 started=1\n");
  // Everything after the first "|" is the parameters, further "|" included.
  EXPECT_EQ(outcome.Read("out/marker.txt"),
            "--folder\n" + WorkFolder() + "\\out\\|second\n" + WorkFolder() + "\\out\\x\n");
}

TEST(Launch, StartsTheCommandAfterACompleteExtractionInTheFileList) {
  Scenario scenario;
  scenario.sfx = MakeSfx(Block("##setup.exe|from the list"),
                         {Entry("setup.exe", MarkerProgram()), Entry("readme.txt", "read me\n")});
  scenario.steps = R"(start
wait main
click main 3
wait filelist
toggle filelist 301 readme.txt
click filelist 1
message
gone filelist
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) +
                                    "lists=2/0\n"
                                    "filelist +readme.txt +setup.exe\n" +
                                    kSuccess + "exit 0 started=1\n");
  EXPECT_EQ(outcome.Read("out/marker.txt"), "from\nthe\nlist\n");
  EXPECT_FALSE(outcome.Has("out/readme.txt"));
}

TEST(Launch, NothingStartsAfterAnIncompleteExtraction) {
  ZipEntrySpec broken = Entry("broken.txt", "these bytes do not match the CRC\n");
  broken.crc = 0x12345678;
  Scenario scenario;
  scenario.sfx =
      MakeSfx(Block("##setup.exe|--never"), {Entry("setup.exe", MarkerProgram()), broken});
  scenario.steps = "start\nwait main\nclick main 1\nmessage\nsync\nshow main\nclick main 2\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            std::string(kMain) + "lists=2/0\n" +
                "message error \"Couldn't get extracted the selected files.\"\n" + kMain +
                "lists=2/0\n"
                "exit 0 started=0\n");
  EXPECT_TRUE(outcome.Has("out/setup.exe"));
  EXPECT_FALSE(outcome.Has("out/marker.txt"));
}

}  // namespace
