// What qpsfx create makes, run on the real stub with every configuration option.
#include <gtest/gtest.h>

#include "tests/e2e/support/scenario.h"

namespace {

TEST(Create, EveryOptionWorksOnTheRealStub) {
  TempDir inputs;
  RunCommand("mkdir -p '" + inputs.path + "/tree/docs'");
  WriteBytes(inputs / "tree/setup.exe", MarkerProgram());
  WriteBytes(inputs / "tree/docs/read me.txt", TextLikeBytes(70000, 7));
  WriteBytes(inputs / "tree/kept.txt", "from the archive\n");
  // The last line end is dropped: the text ends with its last line.
  WriteBytes(inputs / "intro.txt", "Made by qpsfx create.\nSecond line.\n");
  std::string command = std::string("'") + QP_QPSFX + "' create -q -o '" + inputs.path +
                        "/made.exe' -C '" + inputs.path + "/tree' --password 'pass word' --seed 1" +
                        " --intro-file '" + inputs.path + "/intro.txt' --folder '" + WorkFolder() +
                        "\\out' --run '##setup.exe|--made-by create ##' --no-file-list" +
                        " --hide-overwrite --skip-existing setup.exe docs kept.txt";
  ASSERT_EQ(RunCommand(command), 0) << command;

  Scenario scenario;
  scenario.sfx = ReadBytes(inputs / "made.exe");
  scenario.files = {{"out/kept.txt", "already there\n"}};
  scenario.steps = "start\nwait main\nclick main 1\nanswer pass word\nmessage\nexit\n";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            "main folder=\"{work}\\out\" intro=\"Made by qpsfx create.\\r\\nSecond line.\" "
            "overwrite=absent filelist=hidden hint=hidden lists=3/3\n"
            "password masked=yes text=\"\"\n"
            "message information \"All files have been extracted successful.\"\n"
            "exit 0 started=1\n");
  EXPECT_EQ(outcome.Read("out/docs/read me.txt"), TextLikeBytes(70000, 7));
  EXPECT_EQ(outcome.Read("out/kept.txt"), "already there\n");
  EXPECT_EQ(outcome.Read("out/marker.txt"), "--made-by\ncreate\n" + WorkFolder() + "\\out\\\n");
}

}  // namespace
