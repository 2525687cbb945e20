#include "archive/walk.h"
#include "resources/resource_ids.h"
#include "startup/launch.h"
#include "startup/startup.h"
#include "ui/dialogs.h"
#include "ui/target_folder.h"

static void StartFileList(HWND dialog) {
  CenterWindow(dialog);
  WalkArchive(dialog, IDC_ENTRIES, true);
  ShowWindow(GetDlgItem(dialog, IDC_ENTRIES_SPARE), SW_HIDE);
  SendDlgItemMessageA(dialog, IDC_ENTRIES, LB_SETSEL, TRUE, -1);
}

// Extracts what is still selected. What a walk leaves selected has failed, so a
// second press retries exactly those entries.
static void ExtractSelected(HWND dialog) {
  if (targetFolder[0] == 0) TakeCurrentFolder(browseBuffer, kTextBufferSize);
  WalkArchive(dialog, IDC_ENTRIES, false);
  if (allExtracted) {
    LaunchAfterExtraction(1);
    EndDialog(dialog, 1);
  }
}

static void HandleFileListCommand(HWND dialog, WORD command) {
  // A command that the walk's message pump, its password prompt or one of its
  // message boxes lets through must neither start a second walk nor end the dialog.
  if (walkInProgress) return;
  switch (command) {
    case IDC_EXTRACT:
      ExtractSelected(dialog);
      break;
    case IDC_CANCEL:
      EndDialog(dialog, 2);
      break;
  }
}

INT_PTR CALLBACK FileListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      StartFileList(dialog);
      break;
    case WM_COMMAND:
      HandleFileListCommand(dialog, LOWORD(wParam));
      break;
  }
  // No control is given the focus at the start.
  return 0;
}
