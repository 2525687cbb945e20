// The stub's entry point. The stub links no C runtime: the process starts here.
#include <windows.h>

#include "startup/startup.h"

extern "C" void StubEntry() {
  StartUp();
  ShutDown();
  ExitProcess(0);
}
