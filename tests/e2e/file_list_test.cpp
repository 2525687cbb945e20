// The file list dialog of the real stub: choosing entries, Cancel, retrying what
// failed.
#include <gtest/gtest.h>

#include "tests/e2e/support/scenario.h"

namespace {

const char kSuccess[] = "message information \"All files have been extracted successful.\"\n";
const char kFailure[] = "message error \"Couldn't get extracted the selected files.\"\n";
const char kMain[] =
    "main folder=\"{work}\\cwd\" intro=\"\" overwrite=checked filelist=shown hint=shown "
    "lists=3/0\n";

// In archive order, which is not the list's.
const std::vector<ZipEntrySpec> kThreeFiles = {
    Entry("zeta.txt", "zeta\n"), Entry("alpha.txt", "alpha\n", 0), Entry("m/beta.txt", "beta\n")};

TEST(FileList, ListsEverythingSortedAndSelectedAndExtractsOnlyWhatStaysSelected) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", kThreeFiles);
  scenario.steps = R"(start
wait main
click main 3
wait filelist
toggle filelist 301 zeta.txt
show filelist
click filelist 1
message
gone filelist
gone main
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) +
                                    "filelist +alpha.txt +m/beta.txt +zeta.txt\n"
                                    "filelist +alpha.txt +m/beta.txt -zeta.txt\n" +
                                    kSuccess + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd"),
            (std::vector<std::string>{"alpha.txt=alpha\n", "m/", "m/beta.txt=beta\n"}));
}

TEST(FileList, CancelReturnsToTheMainDialogAndTheNextListStartsAllSelected) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", kThreeFiles);
  scenario.steps = R"(start
wait main
click main 3
wait filelist
toggle filelist 301 alpha.txt
click filelist 2
gone filelist
click main 3
wait filelist
command filelist 2
gone filelist
show main
click main 2
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) +
                                    "filelist +alpha.txt +m/beta.txt +zeta.txt\n"
                                    "filelist +alpha.txt +m/beta.txt +zeta.txt\n" +
                                    kMain + "exit 0 started=0\n");
  EXPECT_TRUE(outcome.Tree("cwd").empty());
}

TEST(FileList, NothingSelectedExtractsNothingAndSaysNothing) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", kThreeFiles);
  scenario.steps = R"(start
wait main
click main 3
wait filelist
toggle filelist 301 alpha.txt
toggle filelist 301 m/beta.txt
toggle filelist 301 zeta.txt
click filelist 1
sync
show filelist
click filelist 2
gone filelist
click main 2
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) +
                                    "filelist +alpha.txt +m/beta.txt +zeta.txt\n"
                                    "filelist -alpha.txt -m/beta.txt -zeta.txt\n"
                                    "exit 0 started=0\n");
  EXPECT_TRUE(outcome.Tree("cwd").empty());
}

TEST(FileList, PartialFailureKeepsExactlyTheFailedEntriesSelectedAndRetriesOnlyThem) {
  // m/beta.txt cannot be written while a folder of that name stands in its way.
  Scenario scenario;
  scenario.sfx = MakeSfx("", kThreeFiles);
  scenario.files = {{"cwd/m/beta.txt/blocker", ""}};
  scenario.steps = R"(start
wait main
click main 3
wait filelist
click filelist 1
message
message
show filelist
remove {work}\cwd\m\beta.txt\blocker
remove {work}\cwd\m\beta.txt
write {work}\cwd\alpha.txt changed meanwhile
click filelist 1
message
gone filelist
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript,
            std::string(kMain) + "filelist +alpha.txt +m/beta.txt +zeta.txt\n" +
                "message warning \"Cannot open file {work}\\cwd\\m\\beta.txt\"\n" + kFailure +
                "filelist -alpha.txt +m/beta.txt -zeta.txt\n" + kSuccess + "exit 0 started=0\n");
  // The retry wrote only the entry that had failed.
  EXPECT_EQ(outcome.Tree("cwd"),
            (std::vector<std::string>{"alpha.txt=changed meanwhile", "m/", "m/beta.txt=beta\n",
                                      "zeta.txt=zeta\n"}));
}

TEST(FileList, UsesTheFolderLastTakenNotOneTypedSince) {
  Scenario scenario;
  scenario.sfx = MakeSfx("", kThreeFiles);
  scenario.steps = R"(start
wait main
set main 101 {work}\typed
click main 3
wait filelist
click filelist 1
message
exit
)";
  Outcome outcome = RunScenario(scenario);
  EXPECT_EQ(outcome.transcript, std::string(kMain) + "filelist +alpha.txt +m/beta.txt +zeta.txt\n" +
                                    kSuccess + "exit 0 started=0\n");
  EXPECT_EQ(outcome.Tree("cwd").size(), 4u);
  EXPECT_FALSE(outcome.Has("typed"));
}

}  // namespace
