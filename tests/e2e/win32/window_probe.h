// Looking at the windows of another process: which dialogs it shows, what they
// hold. Every message goes through SendMessageTimeout, so a busy or hung stub
// costs a timeout, never a hung driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class DialogKind { kMain, kFileList, kPassword, kMessage, kBrowse, kOther };

const char* KindName(DialogKind kind);
// Parses "main", "filelist", "password", "message", "browse"; false for others.
bool ParseKind(const std::string& name, DialogKind* kind);

// The visible top-level dialogs (#32770) of the process, in z order.
std::vector<HWND> VisibleDialogs(DWORD processId);
// Tells a dialog's kind by its caption and the controls it holds.
DialogKind KindOf(HWND dialog);

// WM_GETTEXT of a window; "<no answer>" when it does not reply in time.
std::string TextOf(HWND window);
bool SetTextOf(HWND window, const std::string& text);
LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* answered = nullptr);

// The text of a list item.
std::string ItemText(HWND list, int index);

// One line of what the dialog shows, as the transcript records it.
std::string Describe(HWND dialog, DialogKind kind);

// The text in double quotes, with quotes and control characters escaped (backslashes
// stay as they are, so paths read as paths).
std::string Quote(const std::string& text);
