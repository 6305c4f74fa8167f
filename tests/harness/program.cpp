#include "tests/harness/program.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>

namespace {

// A start-up message box bears the main window's caption; only the main
// window has the mode list.
constexpr int kModeList = 1002;

// The first top-level window of the process that `wanted` takes.
template <class Wanted>
HWND FindWindowOf(DWORD pid, Wanted wanted) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w) && wanted(w)) return w;
  }
  return nullptr;
}

// A dialog of the process other than `except`: with a caption, the one with
// that caption; with a control, one that has it.
HWND FindDialogOf(DWORD pid, const char* caption, HWND except, int control = 0) {
  return FindWindowOf(pid, [&](HWND w) {
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    return std::strcmp(cls, "#32770") == 0 && w != except && (!control || GetDlgItem(w, control)) &&
           (!caption || Program::WindowCaption(w) == caption);
  });
}

bool StartProcess(const char* application, std::string commandLine, PROCESS_INFORMATION& info) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(application, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info) != FALSE;
}

}  // namespace

std::string ProgramPath() { return VX_PROGRAM_PATH; }

std::string TempFolder() {
  char folder[MAX_PATH] = "";
  GetTempPathA(sizeof folder, folder);
  return folder;
}

void DeleteAllSettings() { RegDeleteTreeA(HKEY_CURRENT_USER, "Vantorix"); }

void StoreSetting(const char* subkey, const char* valueName, const char* text) {
  RegSetKeyValueA(HKEY_CURRENT_USER, (std::string("Vantorix\\") + subkey).c_str(), valueName,
                  REG_SZ, text, DWORD(std::strlen(text)));
}

std::string StoredSetting(const char* subkey, const char* valueName) {
  char data[1024];
  DWORD size = sizeof data;
  return RegGetValueA(HKEY_CURRENT_USER, (std::string("Vantorix\\") + subkey).c_str(), valueName,
                      RRF_RT_REG_SZ, nullptr, data, &size) == ERROR_SUCCESS ? data : "<none>";
}

Program::Program(const std::string& path, bool waitForWindow) {
  if (StartProcess(path.c_str(), "\"" + path + "\"", info_) && waitForWindow) WaitForMainWindow();
}

Program::~Program() {
  if (info_.hProcess) {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      Close(5000);
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

bool Program::WaitForMainWindow(DWORD timeoutMs) {
  if (!info_.hProcess) return false;
  WaitFor([&] {
    window_ = FindDialogOf(info_.dwProcessId, "Vantorix", nullptr, kModeList);
    return window_ != nullptr || WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
  }, timeoutMs);
  return window_ != nullptr;
}

void Program::SelectMode(int index) {
  HWND combo = Control(kModeList);
  SendMessageA(combo, CB_SETCURSEL, WPARAM(index), 0);
  PostMessageA(window_, WM_COMMAND, MAKEWPARAM(kModeList, CBN_SELCHANGE), LPARAM(combo));
}

void Program::PressKey(UINT key) {
  PostMessageA(window_, WM_KEYDOWN, key, 1);
  PostMessageA(window_, WM_KEYUP, key, 0xC0000001);
}

RECT Program::WindowRect() const {
  RECT r = {};
  GetWindowRect(window_, &r);
  return r;
}

std::vector<std::string> Program::Slots() const {
  std::vector<std::string> slots;
  for (int id : {1011, 1012, 1013, 1014, 1015, 1020}) slots.push_back(Text(id));
  return slots;
}

bool Program::WaitForStatus(const std::string& text, DWORD timeoutMs) const {
  return WaitFor([&] { return Text(1016) == text; }, timeoutMs);
}

bool Program::WaitForSlots(const std::vector<std::string>& slots, DWORD timeoutMs) const {
  return WaitFor([&] { return Slots() == slots; }, timeoutMs);
}

HWND Program::WaitForDialog(const char* caption, DWORD timeoutMs) const {
  HWND dialog = nullptr;
  WaitFor([&] {
    dialog = FindDialogOf(info_.dwProcessId, caption, window_);
    return dialog != nullptr;
  }, timeoutMs);
  return dialog;
}

std::string Program::MessageBoxText(HWND box) {
  // The box's message is its static text (the icon is a static too).
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (std::strcmp(cls, "Static") == 0) {
      const std::string part = WindowCaption(child);
      if (!part.empty()) text = part;
    }
  }
  return text;
}

std::string Program::WindowCaption(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(size_t(length) + 1, '\0');
  const LRESULT got = SendMessageA(window, WM_GETTEXT, WPARAM(text.size()), LPARAM(&text[0]));
  text.resize(size_t(got));
  return text;
}

void Program::Answer(HWND box, int button) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

bool Program::Close(DWORD timeoutMs) {
  if (window_) PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  return WaitForExit(timeoutMs);
}

bool Program::WaitForExit(DWORD timeoutMs) {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool PutClipboardText(const std::string& text) {
  for (int attempt = 0; attempt < 250 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (block) {
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
  }
  const bool ok = block && SetClipboardData(CF_TEXT, block) != nullptr;
  CloseClipboard();
  return ok;
}

bool ChooseInFileDialog(const Program& program, const std::string& path) {
  HWND dialog = program.WaitForDialog("请选择文件");
  if (!dialog) return false;
  const int kFileNameBox = 0x47c;  // the file name combo box (cmb13)
  SetDlgItemTextA(dialog, kFileNameBox, path.c_str());
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return true;
}

bool DropFiles(const Program& program, const std::vector<std::string>& paths) {
  // DROPFILES, then each ANSI path with its 0, then a final 0.
  std::string block(sizeof(DROPFILES), '\0');
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  std::memcpy(&block[0], &header, sizeof header);
  for (const std::string& path : paths) block += path + '\0';
  block += '\0';
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, program.ProcessId());
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  const bool written = remote && WriteProcessMemory(process, remote, block.data(), block.size(),
                                                    nullptr);
  CloseHandle(process);
  return written && PostMessageA(program.Window(), WM_DROPFILES, WPARAM(remote), 0);
}

std::string MakeTempFile(const std::string& name, const std::string& content) {
  const std::string path = TempFolder() + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

Notepad::Notepad(const std::string& file) {
  if (!StartProcess(nullptr, file.empty() ? "notepad.exe" : "notepad.exe \"" + file + "\"", info_))
    return;
  WaitFor([&] {
    window_ = FindWindowOf(info_.dwProcessId, [](HWND w) {
      return Program::WindowCaption(w).find(" - 记事本") != std::string::npos;
    });
    return window_ != nullptr;
  }, 60000);  // Wine's Notepad reads a few MB slowly before it shows
}

Notepad::~Notepad() {
  if (!info_.hProcess) return;
  TerminateProcess(info_.hProcess, 0);  // no "save changes?" question
  WaitForSingleObject(info_.hProcess, 5000);
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
}

void Notepad::SetText(const std::string& text) {
  SendMessageA(FindWindowExA(window_, nullptr, "Edit", nullptr), WM_SETTEXT, 0,
               LPARAM(text.c_str()));
}

void Notepad::TypeAtEnd(char c) {
  HWND edit = FindWindowExA(window_, nullptr, "Edit", nullptr);
  const LRESULT end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);  // in characters
  SendMessageA(edit, EM_SETSEL, WPARAM(end), LPARAM(end));
  PostMessageA(edit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
}

void Notepad::BringToFront() { SetForegroundWindow(window_); }

std::string Notepad::Caption() const { return Program::WindowCaption(window_); }
