// Start-up of the real stub: its own file held by another process.
#include <gtest/gtest.h>

#include "tests/e2e/support/scenario.h"

namespace {

TEST(Startup, OwnFileHeldWithoutReadSharingGivesOneMessageNoDialogAndExitZero) {
  Scenario scenario;
  scenario.sfx = MakeSfx(BuildConfigBlock(0x0A, "Hello", "", ""), {Entry("a.txt", "alpha")});
  scenario.steps = R"(lock
start
message
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            "message error \"Cannot open file {work}\\test.exe\"\n"
            "exit 0 started=0\n");
  EXPECT_TRUE(outcome.Tree("cwd").empty());
}

}  // namespace
