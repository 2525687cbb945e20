#include <windows.h>

#include "platform/messages.h"

void ShowMessage(const char* text, uint32_t icon) {
  MessageBoxA(nullptr, text, kMessageCaption, MB_OK | icon);
}

void PumpOneMessage() {
  MSG message;
  if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
