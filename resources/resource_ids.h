// Identifiers of the dialog templates' controls, shared by quillpack.rc and the
// dialog procedures. Plain macros, so that the resource compiler reads them too.
#pragma once

// The default push button (Extract, or OK in the password prompt) and Cancel;
// the dialog manager also sends these for Enter, Esc and the close box.
#define IDC_EXTRACT 1
#define IDC_OK 1
#define IDC_CANCEL 2
// Main dialog.
#define IDC_FILELIST 3
#define IDC_FOLDER 101
#define IDC_OVERWRITE 501
// The overwrite control identifier a configuration may give that no control bears:
// the check box then starts unchecked.
#define IDC_OVERWRITE_NONE 502
#define IDC_BROWSE 775
#define IDC_INTRO 901
#define IDC_HINT_EXTRACT 701
#define IDC_HINT_FILELIST 702
// Main dialog and file list: the entry list whose selection is the work list of an
// extraction, and a second one filled only when the file list is turned off.
#define IDC_ENTRIES 301
#define IDC_ENTRIES_SPARE 302
// Password prompt.
#define IDC_PASSWORD 101
// Static texts the program never addresses.
#define IDC_UNUSED (-1)
