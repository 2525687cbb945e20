#include <windows.h>

#include "platform/entry_list.h"

static LRESULT Send(EntryList list, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(static_cast<HWND>(list), message, wParam, lParam);
}

EntryList GetEntryList(WindowHandle dialog, int32_t listId) {
  return GetDlgItem(static_cast<HWND>(dialog), listId);
}

void ListReset(EntryList list) { Send(list, LB_RESETCONTENT, 0, 0); }

void ListAdd(EntryList list, const char* name) {
  Send(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

int32_t ListFindExact(EntryList list, int32_t after, const char* name) {
  return static_cast<int32_t>(Send(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(after),
                                   reinterpret_cast<LPARAM>(name)));
}

int32_t ListGetSel(EntryList list, int32_t index) {
  return static_cast<int32_t>(Send(list, LB_GETSEL, static_cast<WPARAM>(index), 0));
}

void ListSetSel(EntryList list, bool select, int32_t index) {
  Send(list, LB_SETSEL, select ? 1 : 0, index);
}

int32_t ListSelCount(EntryList list) { return static_cast<int32_t>(Send(list, LB_GETSELCOUNT, 0, 0)); }

int32_t ListCount(EntryList list) { return static_cast<int32_t>(Send(list, LB_GETCOUNT, 0, 0)); }
