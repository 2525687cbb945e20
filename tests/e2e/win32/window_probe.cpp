#include "window_probe.h"

#include <cstdio>

namespace {

const UINT kAnswerTimeoutMs = 5000;

// Control identifiers of the stub's dialogs and of the system's message box.
const int kFolderEdit = 101;
const int kEntryList = 301;
const int kSecondList = 302;
const int kOverwriteBox = 501;
const int kFileListButton = 3;
const int kFileListHint = 702;
const int kIntroEdit = 901;
const int kStaticId = 0xFFFF;

const char kMainCaption[] = "Quillpack 2.0 SFX";
const char kPasswordCaption[] = "Quillpack SFX";

std::string ClassOf(HWND window) {
  char name[64] = {0};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct ProcessWindows {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
  auto* windows = reinterpret_cast<ProcessWindows*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == windows->processId && IsWindowVisible(window) && ClassOf(window) == "#32770") {
    windows->found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK FindTreeView(HWND window, LPARAM context) {
  if (ClassOf(window) == "SysTreeView32") {
    *reinterpret_cast<bool*>(context) = true;
    return FALSE;
  }
  return TRUE;
}

const char* Shown(HWND control) { return control && IsWindowVisible(control) ? "shown" : "hidden"; }

int ItemCount(HWND list) { return list ? static_cast<int>(Ask(list, LB_GETCOUNT, 0, 0)) : -1; }

// "+name" for a selected item, "-name" for one that is not, in list order.
std::string ListItems(HWND list) {
  std::string items;
  int count = ItemCount(list);
  for (int i = 0; i < count; ++i) {
    if (!items.empty()) items += ' ';
    items += (Ask(list, LB_GETSEL, i, 0) > 0 ? "+" : "-") + ItemText(list, i);
  }
  return items;
}

std::string DescribeMain(HWND dialog) {
  HWND box = GetDlgItem(dialog, kOverwriteBox);
  const char* overwrite = "absent";
  if (box) overwrite = Ask(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "unchecked";
  char line[2048];
  std::snprintf(
      line, sizeof line, "main folder=%s intro=%s overwrite=%s filelist=%s hint=%s lists=%d/%d",
      Quote(TextOf(GetDlgItem(dialog, kFolderEdit))).c_str(),
      Quote(TextOf(GetDlgItem(dialog, kIntroEdit))).c_str(), overwrite,
      Shown(GetDlgItem(dialog, kFileListButton)), Shown(GetDlgItem(dialog, kFileListHint)),
      ItemCount(GetDlgItem(dialog, kEntryList)), ItemCount(GetDlgItem(dialog, kSecondList)));
  return line;
}

std::string DescribeFileList(HWND dialog) {
  HWND list = GetDlgItem(dialog, kEntryList);
  HWND second = GetDlgItem(dialog, kSecondList);
  std::string line = "filelist";
  // Only the first list is ever meant to be seen, and the second stays empty.
  if (!IsWindowVisible(list)) line += " list301=hidden";
  if (second && (IsWindowVisible(second) || ItemCount(second) != 0)) {
    line += " list302=" + std::string(Shown(second)) + "/" + std::to_string(ItemCount(second));
  }
  std::string items = ListItems(list);
  return line + (items.empty() ? " (empty)" : " " + items);
}

std::string DescribePassword(HWND dialog) {
  HWND edit = GetDlgItem(dialog, kFolderEdit);
  LONG style = GetWindowLongA(edit, GWL_STYLE);
  bool masked = (style & ES_PASSWORD) && Ask(edit, EM_GETPASSWORDCHAR, 0, 0) != 0;
  return std::string("password masked=") + (masked ? "yes" : "no") + " text=" + Quote(TextOf(edit));
}

}  // namespace

std::string ItemText(HWND list, int index) {
  // Across processes Wine hands list items over as UTF-16 whatever the caller's
  // character set: ask for them so, and convert.
  LRESULT length = Ask(list, LB_GETTEXTLEN, index, 0);
  if (length < 0) return "<no answer>";
  std::wstring wide(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&wide[0]), SMTO_NORMAL,
                           kAnswerTimeoutMs, &copied)) {
    return "<no answer>";
  }
  wide.resize(copied);
  std::string text(wide.size() * 2 + 1, '\0');
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                  static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(bytes > 0 ? bytes : 0);
  return text;
}

const char* KindName(DialogKind kind) {
  switch (kind) {
    case DialogKind::kMain:
      return "main";
    case DialogKind::kFileList:
      return "filelist";
    case DialogKind::kPassword:
      return "password";
    case DialogKind::kMessage:
      return "message";
    case DialogKind::kBrowse:
      return "browse";
    case DialogKind::kOther:
      return "other";
  }
  return "other";
}

bool ParseKind(const std::string& name, DialogKind* kind) {
  const DialogKind kinds[] = {DialogKind::kMain, DialogKind::kFileList, DialogKind::kPassword,
                              DialogKind::kMessage, DialogKind::kBrowse};
  for (DialogKind k : kinds) {
    if (name == KindName(k)) {
      *kind = k;
      return true;
    }
  }
  return false;
}

std::vector<HWND> VisibleDialogs(DWORD processId) {
  ProcessWindows windows{processId, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&windows));
  return windows.found;
}

DialogKind KindOf(HWND dialog) {
  if (GetDlgItem(dialog, kIntroEdit)) return DialogKind::kMain;
  if (GetDlgItem(dialog, kEntryList)) return DialogKind::kFileList;
  if (GetDlgItem(dialog, kFolderEdit)) return DialogKind::kPassword;
  bool tree = false;
  EnumChildWindows(dialog, FindTreeView, reinterpret_cast<LPARAM>(&tree));
  if (tree) return DialogKind::kBrowse;
  if (GetDlgItem(dialog, kStaticId)) return DialogKind::kMessage;
  return DialogKind::kOther;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* answered) {
  DWORD_PTR result = 0;
  LRESULT ok =
      SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs, &result);
  if (answered) *answered = ok != 0;
  return ok ? static_cast<LRESULT>(result) : -1;
}

std::string TextOf(HWND window) {
  if (!window) return "<no control>";
  bool answered = false;
  LRESULT length = Ask(window, WM_GETTEXTLENGTH, 0, 0, &answered);
  if (!answered) return "<no answer>";
  std::string text(length + 1, '\0');
  LRESULT copied = Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(copied > 0 ? copied : 0);
  return text;
}

bool SetTextOf(HWND window, const std::string& text) {
  bool answered = false;
  Ask(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &answered);
  return answered;
}

std::string Describe(HWND dialog, DialogKind kind) {
  std::string caption = TextOf(dialog);
  std::string line;
  const char* expectedCaption = kMainCaption;
  switch (kind) {
    case DialogKind::kMain:
      line = DescribeMain(dialog);
      break;
    case DialogKind::kFileList:
      line = DescribeFileList(dialog);
      break;
    case DialogKind::kPassword:
      line = DescribePassword(dialog);
      expectedCaption = kPasswordCaption;
      break;
    default:
      line = KindName(kind);
      expectedCaption = nullptr;
      break;
  }
  // The caption is part of what is checked, but shown only when it is off.
  if (!expectedCaption || caption != expectedCaption) line += " caption=" + Quote(caption);
  return line;
}

std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (unsigned char c : text) {
    if (c == '"') {
      quoted += "\\\"";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      quoted += escaped;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}
