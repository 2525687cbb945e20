#include "platform/password.h"
#include "resources/resource_ids.h"
#include "ui/dialogs.h"

static void StartPasswordPrompt(HWND dialog) {
  CenterWindow(dialog);
  SetFocus(GetDlgItem(dialog, IDC_PASSWORD));
}

static void TakePassword(HWND dialog) {
  // 80 bytes: at most 79 characters and the terminator.
  UINT length = GetDlgItemTextA(dialog, IDC_PASSWORD, passwordText, sizeof passwordText);
  passwordLength = static_cast<int32_t>(length);
  passwordText[length] = 0;
  EndDialog(dialog, 1);
}

// The prompt can only be left by confirming it: it has no close box, and Esc
// (IDCANCEL) is ignored.
INT_PTR CALLBACK PasswordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      StartPasswordPrompt(dialog);
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_OK) TakePassword(dialog);
      break;
  }
  // Also after WM_INITDIALOG, so that the focus given to the edit stays.
  return 0;
}
