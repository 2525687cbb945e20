#include <windows.h>
#include <shellapi.h>

#include "platform/system.h"

void StartProgram(const char* program, const char* parameters) {
  ShellExecuteA(nullptr, "open", program, parameters, "", SW_SHOW);
}
