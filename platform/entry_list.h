// The entry list: the list of entry names whose selection is the work list of an
// extraction. In the stub it is a sorted multiple-selection list box of a dialog;
// on POSIX an in-memory model with the same results.
#pragma once

#include "platform/types.h"

typedef void* EntryList;

// The list with control identifier listId of the dialog.
EntryList GetEntryList(WindowHandle dialog, int32_t listId);
// Empties the list.
void ListReset(EntryList list);
// Adds name as one more item, kept in sorted order; duplicates are kept.
void ListAdd(EntryList list, const char* name);
// Index of the first item whose whole text equals name without regard to letter
// case, searching from the item after `after` to the end and then from the first
// item up to and including `after`; after = -1 searches all. -1 when none matches.
int32_t ListFindExact(EntryList list, int32_t after, const char* name);
// > 0 when the item is selected, 0 when not, -1 for an index that names no item.
int32_t ListGetSel(EntryList list, int32_t index);
// Selects or deselects the item; index -1 means every item.
void ListSetSel(EntryList list, bool select, int32_t index);
int32_t ListSelCount(EntryList list);
int32_t ListCount(EntryList list);
