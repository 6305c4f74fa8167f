#include "tests/harness/program.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

namespace {

// A start-up message box bears the main window's caption; only the main
// window has the mode list.
constexpr int kModeList = 1002;

// A visible dialog of the process other than `except`: with a caption, the
// one with that caption; with a control, one that has it.
HWND FindWindowOf(DWORD pid, const char* caption, HWND except, int control = 0) {
  HWND found = nullptr;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char cls[64] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (owner != pid || std::strcmp(cls, "#32770") != 0 || w == except ||
        !IsWindowVisible(w) || (control && !GetDlgItem(w, control)))
      continue;
    const std::string title = Program::WindowCaption(w);
    if (!caption || title == caption) {
      found = w;
      break;
    }
  }
  return found;
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
  HKEY key;
  const std::string path = std::string("Vantorix\\") + subkey;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 DWORD(std::strlen(text)));
  RegCloseKey(key);
}

std::string StoredSetting(const char* subkey, const char* valueName) {
  HKEY key;
  const std::string path = std::string("Vantorix\\") + subkey;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "<none>";
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  const LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::string(data) : "<none>";
}

Program::Program(const std::string& path, bool waitForWindow) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string commandLine = "\"" + path + "\"";
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &info_))
    return;
  if (waitForWindow) WaitForMainWindow();
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
    window_ = FindWindowOf(info_.dwProcessId, "Vantorix", nullptr, kModeList);
    return window_ != nullptr || WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
  }, timeoutMs);
  return window_ != nullptr;
}

HWND Program::Control(int id) const { return GetDlgItem(window_, id); }

std::string Program::Text(int id) const { return WindowCaption(Control(id)); }

void Program::SetText(int id, const char* text) {
  SendMessageA(Control(id), WM_SETTEXT, 0, LPARAM(text));
}

bool Program::Checked(int id) const {
  return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Program::Visible(int id) const {
  return (GetWindowLongA(Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Program::Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

void Program::Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0); }

void Program::SelectMode(int index) {
  HWND combo = Control(kModeList);
  SendMessageA(combo, CB_SETCURSEL, WPARAM(index), 0);
  PostMessageA(window_, WM_COMMAND, MAKEWPARAM(kModeList, CBN_SELCHANGE), LPARAM(combo));
}

int Program::SelectedMode() const {
  return int(SendMessageA(Control(kModeList), CB_GETCURSEL, 0, 0));
}

void Program::PressKey(UINT key) {
  PostMessageA(window_, WM_KEYDOWN, key, 1);
  PostMessageA(window_, WM_KEYUP, key, 0xC0000001);
}

void Program::SysCommand(UINT command) {
  PostMessageA(window_, WM_SYSCOMMAND, command, 0);
}

RECT Program::WindowRect() const {
  RECT r = {};
  GetWindowRect(window_, &r);
  return r;
}

bool Program::Topmost() const {
  return (GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
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
    dialog = FindWindowOf(info_.dwProcessId, caption, window_);
    return dialog != nullptr;
  }, timeoutMs);
  return dialog;
}

HWND Program::WaitForMessageBox(DWORD timeoutMs) const {
  return WaitForDialog(nullptr, timeoutMs);
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

DWORD Program::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

bool PutClipboardText(const std::string& text) {
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!block) {
    CloseClipboard();
    return false;
  }
  std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
  GlobalUnlock(block);
  const bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
  CloseClipboard();
  return ok;
}

bool PutClipboardImage() {
  for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
  EmptyClipboard();
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
  ReleaseDC(nullptr, screen);
  const bool ok = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
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
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

Notepad::Notepad(const std::string& file) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::string commandLine = "notepad.exe";
  if (!file.empty()) commandLine += " \"" + file + "\"";
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info_))
    return;
  WaitFor([&] {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == info_.dwProcessId && IsWindowVisible(w) &&
          Program::WindowCaption(w).find(" - 记事本") != std::string::npos) {
        window_ = w;
        return true;
      }
    }
    return false;
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
