// The in-memory entry list of the POSIX build answers as the stub's list box:
// sorted insertion with duplicates, and the exact search without regard to
// letter case that starts behind an index and wraps round.
#include "platform/entry_list.h"

#include <gtest/gtest.h>
#include <strings.h>

#include <random>
#include <string>
#include <vector>

#include "platform/posix/posix_host.h"
#include "tests/unit/support/test_ui.h"

namespace {

// The list box's search, item by item.
int32_t LinearFind(const std::vector<std::string>& names, int32_t after, const std::string& name) {
  int32_t count = static_cast<int32_t>(names.size());
  for (int32_t step = 1; step <= count; ++step) {
    int32_t index = (after + step) % count;
    if (strcasecmp(names[static_cast<size_t>(index)].c_str(), name.c_str()) == 0) return index;
  }
  return -1;
}

TEST(EntryList, SortedWithDuplicatesAndSelection) {
  ResetTestUi();
  DialogLists dialog;
  EntryList list = GetEntryList(&dialog, 301);
  EXPECT_EQ(GetEntryList(&dialog, 303), nullptr);
  for (const char* name : {"b", "A", "a", "c", "B"}) ListAdd(list, name);
  EXPECT_EQ(dialog.list301.names, (std::vector<std::string>{"A", "a", "b", "B", "c"}));
  EXPECT_EQ(ListCount(list), 5);
  ListSetSel(list, true, -1);
  ListSetSel(list, false, 1);
  EXPECT_EQ(ListSelCount(list), 4);
  EXPECT_EQ(ListGetSel(list, 1), 0);
  EXPECT_GT(ListGetSel(list, 0), 0);
  EXPECT_EQ(ListGetSel(list, 5), -1);
  EXPECT_EQ(ListGetSel(list, -1), -1);
  ListReset(list);
  EXPECT_EQ(ListCount(list), 0);
  EXPECT_EQ(ListFindExact(list, -1, "a"), -1);
}

TEST(EntryList, FindExactAnswersAsTheItemByItemSearch) {
  DialogLists dialog;
  EntryList list = GetEntryList(&dialog, 302);
  std::mt19937 random(5);
  const char* pool[] = {"a", "A", "ab", "b", "B", "b/", "c.txt", "C.TXT", "d", "zz"};
  for (int i = 0; i < 40; ++i) ListAdd(list, pool[random() % 9]);
  for (const char* name : pool) {
    for (int32_t after = -1; after < ListCount(list); ++after) {
      SCOPED_TRACE(std::string(name) + " after " + std::to_string(after));
      EXPECT_EQ(ListFindExact(list, after, name), LinearFind(dialog.list302.names, after, name));
    }
  }
}

}  // namespace
