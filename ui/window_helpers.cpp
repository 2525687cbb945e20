#include "ui/dialogs.h"
#include "ui/window_math.h"

INT_PTR ShowModalDialog(HINSTANCE instance, const char* templateName, HWND owner,
                        DLGPROC procedure) {
  return DialogBoxParamA(instance, templateName, owner, procedure, 0);
}

void CenterWindow(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  int32_t x = CenteredOrigin(GetSystemMetrics(SM_CXSCREEN), rect.left, rect.right);
  int32_t y = CenteredOrigin(GetSystemMetrics(SM_CYSCREEN), rect.top, rect.bottom);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
