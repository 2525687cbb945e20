// The stub's entry point. The stub links no C runtime: the process starts here.
#include <windows.h>

#include "startup/startup.h"
#include "ui/dialogs.h"

extern "C" void StubEntry() {
  // Everything else happens inside the main dialog; its result tells nothing
  // that shutting down needs.
  if (StartUp()) ShowModalDialog(ProgramInstance(), "MAINDIALOG", nullptr, MainDialogProc);
  ShutDown();
  ExitProcess(0);
}
