// The three modal dialogs of the stub and the helpers that run and place them.
#pragma once

#include <windows.h>

// The module that holds the dialog templates and the icon: the program itself.
inline HINSTANCE ProgramInstance() { return GetModuleHandleA(nullptr); }

// Runs the template modally (the owner, if any, is disabled meanwhile) and returns
// the value passed to EndDialog, or -1 when the dialog cannot be created.
INT_PTR ShowModalDialog(HINSTANCE instance, const char* templateName, HWND owner,
                        DLGPROC procedure);
// Moves the window to the middle of the full primary screen, keeping its size and z order.
void CenterWindow(HWND window);

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FileListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PasswordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
