#include <shlobj.h>

#include "archive/paths.h"
#include "archive/walk.h"
#include "platform/messages.h"
#include "resources/resource_ids.h"
#include "startup/config_block.h"
#include "startup/launch.h"
#include "startup/startup.h"
#include "ui/dialogs.h"
#include "ui/target_folder.h"

BROWSEINFOA browseInfo;
HMODULE shellLibrary;

static HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

static void ShowFolderText(HWND dialog) { SetDlgItemTextA(dialog, IDC_FOLDER, targetFolder); }

// The folder edit into targetFolder: at most 255 characters fit the 256 bytes read.
static void ReadFolderEdit(HWND dialog) {
  UINT length = GetDlgItemTextA(dialog, IDC_FOLDER, targetFolder, 256);
  targetFolder[length] = 0;
}

static void ProposeFolder() {
  // An overlong default folder is refused like any other; the current folder
  // then stands in, as it does without one.
  if (!sfxConfig.hasDefaultFolder || !TakeFolder(defaultFolder)) {
    TakeCurrentFolder(browseBuffer, kTextBufferSize);
  }
}

// The check mark and skipExisting always agree: checked overwrites existing
// files, unchecked skips them.
static void SetOverwrite(HWND dialog, uint8_t checked) {
  SendDlgItemMessageA(dialog, IDC_OVERWRITE, BM_SETCHECK, checked, 0);
  sfxConfig.overwriteChecked = checked;
  skipExisting = checked ? 0 : 1;
}

static void StartMainDialog(HWND dialog) {
  SetClassLongA(dialog, GCL_HICON,
                reinterpret_cast<LONG>(LoadIconA(ProgramInstance(), "QUILLPACK")));
  SetFocus(Control(dialog, IDC_FOLDER));
  if (!sfxConfig.fileListEnabled) {
    ShowWindow(Control(dialog, IDC_FILELIST), SW_HIDE);
    ShowWindow(Control(dialog, IDC_HINT_FILELIST), SW_HIDE);
  }
  ProposeFolder();
  ShowFolderText(dialog);
  SendDlgItemMessageA(dialog, IDC_FOLDER, EM_SETSEL, 0, 0x7FFF);
  // 501 starts checked (overwrite); 502 names no control, so the box starts
  // unchecked (skip).
  SetOverwrite(dialog, sfxConfig.overwriteControlId == IDC_OVERWRITE);
  if (sfxConfig.hideOverwriteOption) DestroyWindow(Control(dialog, IDC_OVERWRITE));
  SetDlgItemTextA(dialog, IDC_INTRO, introText);
  CenterWindow(dialog);
  // The edit keeps the text as shown, a trailing backslash included.
  ReadFolderEdit(dialog);
  StripBackslash(targetFolder);
  WalkArchive(dialog, IDC_ENTRIES, true);
  if (sfxConfig.fileListEnabled) {
    ShowWindow(Control(dialog, IDC_ENTRIES_SPARE), SW_HIDE);
  } else {
    ShowWindow(Control(dialog, IDC_ENTRIES), SW_HIDE);
    WalkArchive(dialog, IDC_ENTRIES_SPARE, true);
  }
}

static void ExtractAll(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_ENTRIES, LB_SETSEL, TRUE, -1);
  ShowWindow(Control(dialog, IDC_ENTRIES_SPARE), SW_HIDE);
  ShowWindow(Control(dialog, IDC_ENTRIES), SW_SHOW);
  ReadFolderEdit(dialog);
  StripBackslash(targetFolder);
  if (targetFolder[0] == 0) {
    TakeCurrentFolder(browseBuffer, kTextBufferSize);
    ShowFolderText(dialog);
  }
  WalkArchive(dialog, IDC_ENTRIES, false);
  if (allExtracted) {
    LaunchAfterExtraction(1);
    EndDialog(dialog, 1);
  }
}

static void ChooseEntries(HWND dialog) {
  // 1: the file list extracted everything and has started the command.
  if (ShowModalDialog(ProgramInstance(), "FILELIST", dialog, FileListDialogProc) == 1) {
    EndDialog(dialog, 3);
  }
}

static void ToggleOverwrite(HWND dialog) { SetOverwrite(dialog, !sfxConfig.overwriteChecked); }

static void BrowseForFolder(HWND dialog) {
  ReadFolderEdit(dialog);
  memcpy(browseBuffer, targetFolder, 256);
  shellLibrary = LoadLibraryA("SHELL32.DLL");
  browseInfo.hwndOwner = dialog;
  browseInfo.lpszTitle = "Quillpack SFX";
  browseInfo.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST item = SHBrowseForFolderA(&browseInfo);
  if (item) {
    SHGetPathFromIDListA(item, browseBuffer);
    ILFree(item);
    // A path that does not fit even in short form is refused: the edit and
    // targetFolder keep what they had, as after a cancel.
    if (TakeFolder(browseBuffer)) {
      ShowFolderText(dialog);
    } else {
      ShowPathMessage("Error in directory ", browseBuffer, kIconWarning);
    }
  }
  FreeLibrary(shellLibrary);
}

// Returns the dialog procedure's result: 1 after Cancel, otherwise 0.
static INT_PTR HandleMainCommand(HWND dialog, WORD command) {
  // A command that the walk's message pump, its password prompt or one of its
  // message boxes lets through must neither start a second walk nor end the
  // dialog. The check box stays live: it only sets the policy of the next entry.
  if (walkInProgress && command != IDC_OVERWRITE) return 0;
  switch (command) {
    case IDC_EXTRACT:
      ExtractAll(dialog);
      break;
    case IDC_CANCEL:
      EndDialog(dialog, 2);
      return 1;
    case IDC_FILELIST:
      ChooseEntries(dialog);
      break;
    case IDC_OVERWRITE:
      ToggleOverwrite(dialog);
      break;
    case IDC_BROWSE:
      BrowseForFolder(dialog);
      break;
  }
  return 0;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      StartMainDialog(dialog);
      // 0 keeps the focus on the folder edit.
      return 0;
    case WM_COMMAND:
      return HandleMainCommand(dialog, LOWORD(wParam));
  }
  return 0;
}
