#include <strings.h>

#include <algorithm>

#include "platform/entry_list.h"
#include "platform/posix/posix_host.h"

static EntryListModel& Model(EntryList list) { return *static_cast<EntryListModel*>(list); }

EntryList GetEntryList(WindowHandle dialog, int32_t listId) {
  DialogLists* lists = static_cast<DialogLists*>(dialog);
  if (!lists) return nullptr;
  if (listId == 301) return &lists->list301;
  if (listId == 302) return &lists->list302;
  return nullptr;
}

void ListReset(EntryList list) {
  Model(list).names.clear();
  Model(list).selected.clear();
}

void ListAdd(EntryList list, const char* name) {
  EntryListModel& model = Model(list);
  // Sorted without regard to letter case; a new item goes behind its equals.
  auto position = std::upper_bound(model.names.begin(), model.names.end(), std::string(name),
                                   [](const std::string& a, const std::string& b) {
                                     return strcasecmp(a.c_str(), b.c_str()) < 0;
                                   });
  size_t index = static_cast<size_t>(position - model.names.begin());
  model.names.insert(position, name);
  model.selected.insert(model.selected.begin() + static_cast<long>(index), false);
}

int32_t ListFindExact(EntryList list, int32_t after, const char* name) {
  EntryListModel& model = Model(list);
  int32_t count = static_cast<int32_t>(model.names.size());
  if (count == 0) return -1;
  if (after < -1 || after >= count) after = -1;
  // The items are sorted by the very comparison that decides a match, so the
  // matches are one run of neighbours: the first of them behind `after`, or
  // else the first of the run, is what a search from `after` with wrap-around
  // finds. A binary search keeps a walk over thousands of entries linear.
  auto less = [](const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) < 0; };
  auto first = std::lower_bound(model.names.begin(), model.names.end(), name, less);
  if (first == model.names.end() || strcasecmp(first->c_str(), name) != 0) return -1;
  int32_t lo = static_cast<int32_t>(first - model.names.begin());
  int32_t hi = lo;
  while (hi < count && strcasecmp(model.names[static_cast<size_t>(hi)].c_str(), name) == 0) ++hi;
  if (after + 1 >= lo && after + 1 < hi) return after + 1;
  return lo;
}

int32_t ListGetSel(EntryList list, int32_t index) {
  EntryListModel& model = Model(list);
  if (index < 0 || index >= static_cast<int32_t>(model.names.size())) return -1;
  return model.selected[static_cast<size_t>(index)] ? 1 : 0;
}

void ListSetSel(EntryList list, bool select, int32_t index) {
  EntryListModel& model = Model(list);
  if (index == -1) {
    std::fill(model.selected.begin(), model.selected.end(), select);
  } else if (index >= 0 && index < static_cast<int32_t>(model.names.size())) {
    model.selected[static_cast<size_t>(index)] = select;
  }
}

int32_t ListSelCount(EntryList list) {
  const EntryListModel& model = Model(list);
  return static_cast<int32_t>(std::count(model.selected.begin(), model.selected.end(), true));
}

int32_t ListCount(EntryList list) { return static_cast<int32_t>(Model(list).names.size()); }
