#include "platform/password.h"
#include "ui/dialogs.h"

void PromptForPassword() {
  // Without an owner, as the prompt is asked for from inside a walk; the dialogs
  // refuse their commands meanwhile (walkInProgress).
  ShowModalDialog(ProgramInstance(), "PASSWD", nullptr, PasswordDialogProc);
}
