// qpdrive: runs inside Wine beside the stub. It starts an SFX file, works its
// dialogs as a user would, by a script of steps, and writes down what it sees.
//
//   qpdrive.exe SCRIPT TRANSCRIPT
//
// Script: one step a line, "#" starts a comment line. KIND is one of main, filelist,
// password, message, browse; ID a control identifier; TEXT the rest of the line.
//   program PATH        the SFX file to start
//   cwd PATH            its current folder
//   env NAME=VALUE      an environment variable of its process
//   args TEXT           its command line arguments
//   lock                hold the file open without read sharing while it starts
//   timeout MS          how long a wait may take from here on (default 10000)
//   start               start the program
//   wait KIND           wait for a new dialog of that kind; records what it shows
//   show KIND           records again what the dialog shows
//   message [keep]      wait for a new message box; records icon and text; OK unless keep
//   answer TEXT         wait for the password prompt, record it, enter TEXT, click OK
//   set KIND ID TEXT    WM_SETTEXT to a control
//   type KIND ID TEXT   WM_CHAR for each character, as if typed
//   key KIND ID NAME    a key press (escape, return, tab) posted to a control
//   click KIND ID       BM_CLICK posted to a control (posted: the stub nests modal loops)
//   command KIND ID     WM_COMMAND with ID posted to the dialog
//   toggle KIND ID NAME toggles the selection of the list item NAME
//   snap KIND PATH      writes a picture of the dialog as the screen shows it (PNG)
//   write PATH TEXT     writes a file (TEXT, no line end) while the stub runs
//   remove PATH         removes a file or an empty folder while the stub runs
//   sync                waits until the stub has handled everything posted so far and
//                       records any dialog that appeared meanwhile
//   gone KIND           wait until the dialog has closed
//   exit [cancel]       wait for the process to end; records its exit code and how many
//                       processes it started; with cancel, a main dialog that shows is
//                       closed with Cancel
// A dialog that appears while the script waits for another is recorded as
// "unexpected" (a message box is then dismissed) and the wait goes on.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "icon_probe.h"
#include "window_probe.h"

namespace {

struct Failure {
  std::string what;
};

class Driver {
 public:
  explicit Driver(const std::string& transcriptPath) : transcriptPath_(transcriptPath) {
    std::ofstream(transcriptPath_, std::ios::trunc);
  }
  ~Driver() {
    if (job_) {
      TerminateJobObject(job_, 1);
      CloseHandle(job_);
    }
    if (process_) CloseHandle(process_);
    if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);
  }

  void Run(const std::string& line) {
    std::istringstream words(line);
    std::string step;
    words >> step;
    std::string rest = RestOf(words);
    if (step == "program") {
      program_ = rest;
    } else if (step == "cwd") {
      cwd_ = rest;
    } else if (step == "env") {
      size_t equals = rest.find('=');
      if (equals == std::string::npos) throw Failure{"env needs NAME=VALUE"};
      environment_[rest.substr(0, equals)] = rest.substr(equals + 1);
    } else if (step == "args") {
      args_ = rest;
    } else if (step == "lock") {
      lockFile_ = true;
    } else if (step == "timeout") {
      timeoutMs_ = std::strtoul(rest.c_str(), nullptr, 10);
    } else if (step == "start") {
      Start();
    } else if (step == "wait") {
      DialogKind kind = KindArg(rest);
      HWND dialog = WaitFor(kind);
      Record(Describe(dialog, kind));
    } else if (step == "show") {
      DialogKind kind = KindArg(rest);
      Record(Describe(Current(kind), kind));
    } else if (step == "message") {
      HWND box = WaitFor(DialogKind::kMessage);
      Record(DescribeMessage(box));
      if (rest != "keep") Dismiss(box);
    } else if (step == "answer") {
      HWND prompt = WaitFor(DialogKind::kPassword);
      Record(Describe(prompt, DialogKind::kPassword));
      SetTextOf(GetDlgItem(prompt, 101), rest);
      PostMessageA(GetDlgItem(prompt, IDOK), BM_CLICK, 0, 0);
    } else if (step == "set" || step == "type" || step == "key" || step == "click" ||
               step == "toggle") {
      ControlStep(step, rest);
    } else if (step == "command") {
      std::istringstream args(rest);
      std::string kind;
      int id = 0;
      args >> kind >> id;
      PostMessageA(Current(KindArg(kind)), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    } else if (step == "snap") {
      std::istringstream args(rest);
      std::string kind;
      args >> kind;
      std::string path = RestOf(args);
      Sync();
      if (!SnapWindow(Current(KindArg(kind)), path)) throw Failure{"cannot write " + path};
    } else if (step == "write") {
      size_t blank = rest.find(' ');
      std::ofstream(rest.substr(0, blank), std::ios::binary | std::ios::trunc)
          << (blank == std::string::npos ? std::string() : rest.substr(blank + 1));
    } else if (step == "remove") {
      if (!DeleteFileA(rest.c_str()) && !RemoveDirectoryA(rest.c_str())) {
        throw Failure{"cannot remove " + rest};
      }
    } else if (step == "sync") {
      Sync();
    } else if (step == "gone") {
      WaitGone(KindArg(rest));
    } else if (step == "exit") {
      WaitExit(rest == "cancel");
    } else {
      throw Failure{"unknown step: " + step};
    }
  }

  void Record(const std::string& line) {
    std::ofstream out(transcriptPath_, std::ios::app | std::ios::binary);
    out << line << "\n";
  }

 private:
  static std::string RestOf(std::istringstream& words) {
    std::string rest;
    std::getline(words, rest);
    size_t first = rest.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : rest.substr(first);
  }

  static DialogKind KindArg(const std::string& name) {
    DialogKind kind;
    if (!ParseKind(name, &kind)) throw Failure{"unknown dialog kind: " + name};
    return kind;
  }

  std::vector<char> EnvironmentBlock() {
    std::map<std::string, std::string> merged;
    char* strings = GetEnvironmentStringsA();
    for (char* p = strings; *p; p += std::strlen(p) + 1) {
      std::string entry = p;
      size_t equals = entry.find('=', 1);
      if (equals != std::string::npos) merged[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    FreeEnvironmentStringsA(strings);
    for (auto& [name, value] : environment_) {
      // Windows names are not case sensitive: drop other spellings of the name.
      for (auto it = merged.begin(); it != merged.end();) {
        it = lstrcmpiA(it->first.c_str(), name.c_str()) == 0 ? merged.erase(it) : std::next(it);
      }
      merged[name] = value;
    }
    std::vector<char> block;
    for (auto& [name, value] : merged) {
      std::string entry = name + "=" + value;
      block.insert(block.end(), entry.begin(), entry.end());
      block.push_back('\0');
    }
    block.push_back('\0');
    return block;
  }

  void Start() {
    std::string commandLine = "\"" + program_ + "\"";
    if (!args_.empty()) commandLine += " " + args_;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    std::vector<char> environment = EnvironmentBlock();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    job_ = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    if (!CreateProcessA(program_.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        environment.data(), cwd_.empty() ? nullptr : cwd_.c_str(), &startup,
                        &info)) {
      throw Failure{"cannot start " + program_ + ": error " + std::to_string(GetLastError())};
    }
    AssignProcessToJobObject(job_, info.hProcess);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    if (lockFile_) {
      // Taken between the process's creation and its first instruction, when the
      // image is mapped but the program has not opened its own file yet.
      lock_ = CreateFileA(program_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
      if (lock_ == INVALID_HANDLE_VALUE) {
        throw Failure{"cannot hold " + program_ + ": error " + std::to_string(GetLastError())};
      }
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
  }

  bool Expired(DWORD since) const { return GetTickCount() - since > timeoutMs_; }

  // Takes note of dialogs not seen before; returns the first of the wanted kind
  // (nullptr if none), recording and dismissing the others.
  HWND Look(DialogKind wanted, bool any) {
    for (HWND dialog : VisibleDialogs(processId_)) {
      if (seen_.count(dialog)) continue;
      seen_.insert(dialog);
      DialogKind kind = KindOf(dialog);
      current_[kind] = dialog;
      if (!any && kind == wanted) return dialog;
      if (kind == DialogKind::kMessage) {
        Record("unexpected " + DescribeMessage(dialog));
        Dismiss(dialog);
      } else {
        Record("unexpected " + Describe(dialog, kind));
      }
    }
    return nullptr;
  }

  HWND WaitFor(DialogKind kind) {
    if (!process_) throw Failure{"not started"};
    DWORD since = GetTickCount();
    for (;;) {
      if (HWND found = Look(kind, false)) return found;
      if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) {
        // One last look: the window may have come and gone between two polls.
        throw Failure{std::string("process ended while waiting for ") + KindName(kind)};
      }
      if (Expired(since)) throw Failure{std::string("no ") + KindName(kind) + " dialog appeared"};
      Sleep(20);
    }
  }

  HWND Current(DialogKind kind) {
    auto it = current_.find(kind);
    if (it == current_.end() || !IsWindow(it->second)) {
      throw Failure{std::string("no ") + KindName(kind) + " dialog is open"};
    }
    return it->second;
  }

  HWND Control(DialogKind kind, int id) {
    HWND control = GetDlgItem(Current(kind), id);
    if (!control)
      throw Failure{std::string(KindName(kind)) + " has no control " + std::to_string(id)};
    return control;
  }

  std::string DescribeMessage(HWND box) {
    std::string line =
        "message " + IdentifyMessageIcon(box, 3000) + " " + Quote(TextOf(GetDlgItem(box, 0xFFFF)));
    std::string caption = TextOf(box);
    if (caption != "Quillpack 2.0 SFX") line += " caption=" + Quote(caption);
    // A box of type MB_OK has an OK button and no other.
    if (!GetDlgItem(box, IDOK) || GetDlgItem(box, IDCANCEL) || GetDlgItem(box, IDYES) ||
        GetDlgItem(box, IDNO) || GetDlgItem(box, IDRETRY)) {
      line += " buttons=other";
    }
    return line;
  }

  void Dismiss(HWND box) { PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }

  void PostKey(HWND control, const std::string& name) {
    UINT key = 0;
    if (name == "escape")
      key = VK_ESCAPE;
    else if (name == "return")
      key = VK_RETURN;
    else if (name == "tab")
      key = VK_TAB;
    else
      key = std::strtoul(name.c_str(), nullptr, 0);
    UINT scan = MapVirtualKeyA(key, 0);
    PostMessageA(control, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(control, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
  }

  void ControlStep(const std::string& step, const std::string& rest) {
    std::istringstream args(rest);
    std::string kindName;
    int id = 0;
    args >> kindName >> id;
    std::string text = RestOf(args);
    HWND control = Control(KindArg(kindName), id);
    if (step == "set") {
      if (!SetTextOf(control, text)) throw Failure{"set: no answer"};
    } else if (step == "type") {
      for (unsigned char c : text) PostMessageA(control, WM_CHAR, c, 1);
    } else if (step == "key") {
      PostKey(control, text);
    } else if (step == "click") {
      PostMessageA(control, BM_CLICK, 0, 0);
    } else if (step == "toggle") {
      int count = static_cast<int>(Ask(control, LB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        if (ItemText(control, i) == text) {
          bool selected = Ask(control, LB_GETSEL, i, 0) > 0;
          Ask(control, LB_SETSEL, selected ? FALSE : TRUE, i);
          return;
        }
      }
      throw Failure{"toggle: no item " + text};
    }
  }

  // Posted messages of one thread are handled in the order posted: once a change
  // posted now has taken effect, everything posted before has been handled.
  void Sync() {
    HWND probe = nullptr;
    for (DialogKind kind : {DialogKind::kMain, DialogKind::kPassword}) {
      auto it = current_.find(kind);
      if (it != current_.end() && IsWindow(it->second)) probe = GetDlgItem(it->second, 101);
      if (probe) break;
    }
    if (!probe) throw Failure{"sync: no edit control to post to"};
    LRESULT limit = 0x7000 + (++syncCount_ % 0x100);
    PostMessageA(probe, EM_SETLIMITTEXT, limit, 0);
    DWORD since = GetTickCount();
    while (Ask(probe, EM_GETLIMITTEXT, 0, 0) != limit) {
      if (Expired(since) || !IsWindow(probe)) throw Failure{"sync: the stub does not answer"};
      Sleep(10);
    }
    Look(DialogKind::kOther, true);
  }

  void WaitGone(DialogKind kind) {
    HWND dialog = Current(kind);
    DWORD since = GetTickCount();
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
      Look(kind, true);
      if (Expired(since)) throw Failure{std::string(KindName(kind)) + " did not close"};
      Sleep(20);
    }
  }

  void WaitExit(bool cancelMain) {
    DWORD since = GetTickCount();
    while (WaitForSingleObject(process_, 20) == WAIT_TIMEOUT) {
      if (HWND main = Look(DialogKind::kMain, !cancelMain)) {
        Record(Describe(main, DialogKind::kMain));
        PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
      }
      if (Expired(since)) throw Failure{"the process did not end"};
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    // Processes it started are in its job; wait for them to end too, so that
    // their effects are there when the scenario looks.
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    for (;;) {
      QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                sizeof accounting, nullptr);
      if (accounting.ActiveProcesses == 0 || Expired(since)) break;
      Sleep(20);
    }
    Record("exit " + std::to_string(code) + " started=" +
           std::to_string(accounting.TotalProcesses ? accounting.TotalProcesses - 1 : 0));
  }

  std::string transcriptPath_;
  std::string program_;
  std::string cwd_;
  std::string args_;
  std::map<std::string, std::string> environment_;
  bool lockFile_ = false;
  DWORD timeoutMs_ = 10000;
  HANDLE job_ = nullptr;
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HANDLE lock_ = INVALID_HANDLE_VALUE;
  std::set<HWND> seen_;
  std::map<DialogKind, HWND> current_;
  unsigned syncCount_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qpdrive SCRIPT TRANSCRIPT\n");
    return 2;
  }
  std::ifstream script(argv[1], std::ios::binary);
  if (!script) {
    std::fprintf(stderr, "qpdrive: cannot read %s\n", argv[1]);
    return 2;
  }
  // The first window of a Wine session starts the desktop process; have it started
  // here, outside the job of the program under test, where it would be counted.
  GetDesktopWindow();
  Driver driver(argv[2]);
  std::string line;
  int number = 0;
  try {
    while (std::getline(script, line)) {
      ++number;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find_first_not_of(' ') == std::string::npos || line[0] == '#') continue;
      driver.Run(line);
    }
  } catch (const Failure& failure) {
    driver.Record("FAILED at line " + std::to_string(number) + " (" + line + "): " + failure.what);
    return 1;
  }
  return 0;
}
