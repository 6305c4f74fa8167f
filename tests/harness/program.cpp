#include "tests/harness/program.h"
#include "tests/harness/scintilla_stand_in.h"

#include <aclapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

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

std::wstring ClassOf(HWND window) {
  wchar_t cls[64] = L"";
  GetClassNameW(window, cls, 64);
  return cls;
}

// A dialog of the process other than `except`: with a caption, the one with
// that caption; with a control, one that has it.
HWND FindDialogOf(DWORD pid, const char* caption, HWND except, int control = 0) {
  return FindWindowOf(pid, [&](HWND w) {
    return ClassOf(w) == L"#32770" && w != except && (!control || GetDlgItem(w, control)) &&
           (!caption || Program::WindowCaption(w) == caption);
  });
}

bool StartProcess(const std::string& application, const std::string& commandLine,
                  PROCESS_INFORMATION& info) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::wstring command = Wide(commandLine);
  const std::wstring program = Wide(application);
  return CreateProcessW(application.empty() ? nullptr : program.c_str(), &command[0], nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &startup, &info) != FALSE;
}

std::wstring SettingKey(const std::string& subkey) { return L"Vantorix\\" + Wide(subkey); }

}  // namespace

std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0],
                                         int(wide.size()))));
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  std::string utf8(wide.size() * 3, '\0');
  utf8.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0],
                                         int(utf8.size()), nullptr, nullptr)));
  return utf8;
}

std::string ProgramPath() { return VX_PROGRAM_PATH; }

std::string TempFolder() {
  wchar_t folder[MAX_PATH + 1] = L"";
  GetTempPathW(MAX_PATH + 1, folder);
  return Utf8(folder);
}

std::string WritingHistoryPath() {
  wchar_t folder[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return Utf8(folder) + "\\Vantorix\\history.csv";
}

void DeleteAllSettings() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Vantorix");
  // Today's writing: each test's documents start afresh, as on a first run.
  DeleteFileW(Wide(WritingHistoryPath()).c_str());
}

void StoreSetting(const std::string& subkey, const std::string& valueName,
                  const std::string& text) {
  const std::wstring data = Wide(text);  // as the program writes: no terminator
  RegSetKeyValueW(HKEY_CURRENT_USER, SettingKey(subkey).c_str(), Wide(valueName).c_str(), REG_SZ,
                  data.c_str(), DWORD(data.size() * sizeof(wchar_t)));
}

std::string StoredSetting(const std::string& subkey, const std::string& valueName) {
  wchar_t data[1024];
  DWORD size = sizeof data;
  return RegGetValueW(HKEY_CURRENT_USER, SettingKey(subkey).c_str(), Wide(valueName).c_str(),
                      RRF_RT_REG_SZ, nullptr, data, &size) == ERROR_SUCCESS
             ? Utf8(data)
             : "<none>";
}

bool LockSetting(const std::string& subkey) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingKey(subkey).c_str(), 0, KEY_ALL_ACCESS, &key) !=
      ERROR_SUCCESS)
    return false;
  EXPLICIT_ACCESS_W readOnly = {};
  wchar_t everyone[] = L"EVERYONE";
  BuildExplicitAccessWithNameW(&readOnly, everyone, KEY_READ | DELETE, SET_ACCESS,
                               NO_INHERITANCE);
  PACL acl = nullptr;
  bool locked = SetEntriesInAclW(1, &readOnly, nullptr, &acl) == ERROR_SUCCESS &&
                SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, acl, nullptr) == ERROR_SUCCESS;
  LocalFree(acl);
  RegCloseKey(key);
  return locked;
}

Program::Program(const std::string& path, bool waitForWindow) {
  if (StartProcess(path, "\"" + path + "\"", info_) && waitForWindow) WaitForMainWindow();
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

void Program::SetText(int id, const std::string& text) {
  SendMessageW(Control(id), WM_SETTEXT, 0, LPARAM(Wide(text).c_str()));
}

void Program::SelectMode(int index) {
  HWND combo = Control(kModeList);
  SendMessageW(combo, CB_SETCURSEL, WPARAM(index), 0);
  PostMessageW(window_, WM_COMMAND, MAKEWPARAM(kModeList, CBN_SELCHANGE), LPARAM(combo));
}

std::vector<std::string> Program::Modes() const {
  std::vector<std::string> modes;
  HWND combo = Control(kModeList);
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring entry(size_t(SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
    entry.resize(size_t(SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), LPARAM(&entry[0]))));
    modes.push_back(Utf8(entry));
  }
  return modes;
}

void Program::PressKey(UINT key) {
  PostMessageW(window_, WM_KEYDOWN, key, 1);
  PostMessageW(window_, WM_KEYUP, key, 0xC0000001);
}

RECT Program::WindowRect() const {
  RECT r = {};
  GetWindowRect(window_, &r);
  return r;
}

bool Program::Answers(DWORD timeoutMs) const {
  DWORD_PTR result;
  return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
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

bool Program::WaitForWordFigures(const std::string& words, const std::string& charsNoSpace,
                                 DWORD timeoutMs) const {
  return WaitFor([&] { return Text(1022) == words && Text(1023) == charsNoSpace; }, timeoutMs);
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
    if (ClassOf(child) == L"Static") {
      const std::string part = WindowCaption(child);
      if (!part.empty()) text = part;
    }
  }
  return text;
}

std::string Program::WindowCaption(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(size_t(length) + 1, L'\0');
  const LRESULT got = SendMessageW(window, WM_GETTEXT, WPARAM(text.size()), LPARAM(&text[0]));
  text.resize(size_t(got));
  return Utf8(text);
}

void Program::Answer(HWND box, int button) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

bool Program::Close(DWORD timeoutMs) {
  if (window_) PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  return WaitForExit(timeoutMs);
}

bool Program::WaitForExit(DWORD timeoutMs) {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool PutClipboardText(const std::string& text) {
  const std::wstring wide = Wide(text);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  // The program reads the clipboard as each text arrives: while it holds
  // it, opening it or setting its data fails, and is tried again.
  for (int attempt = 0; attempt < 250; ++attempt, Sleep(20)) {
    if (!OpenClipboard(nullptr)) continue;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block) {
      std::memcpy(GlobalLock(block), wide.c_str(), bytes);
      GlobalUnlock(block);
    }
    const bool set = block && SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    if (block && !set) GlobalFree(block);
    CloseClipboard();
    if (set) return true;
  }
  return false;
}

std::string ClipboardText() {
  if (!OpenClipboard(nullptr)) return "";
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.assign(units, wcsnlen(units, GlobalSize(data) / sizeof(wchar_t)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return Utf8(text);
}

bool ChooseInFileDialog(const Program& program, const std::string& path) {
  HWND dialog = program.WaitForDialog("请选择文件");
  if (!dialog) return false;
  const int kFileNameBox = 0x47c;  // the file name combo box (cmb13)
  SetDlgItemTextW(dialog, kFileNameBox, Wide(path).c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return true;
}

bool DropFiles(const Program& program, const std::vector<std::string>& paths) {
  // DROPFILES, then each UTF-16 path with its 0, then a final 0.
  std::wstring list;
  for (const std::string& path : paths) list += Wide(path) + L'\0';
  list += L'\0';
  std::string block(sizeof(DROPFILES), '\0');
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(&block[0], &header, sizeof header);
  block.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t));
  void* remote = CopyIntoProgram(program, block.data(), block.size());
  return remote && PostMessageW(program.Window(), WM_DROPFILES, WPARAM(remote), 0);
}

void* CopyIntoProgram(const Program& program, const void* data, size_t size) {
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, program.ProcessId());
  if (!process) return nullptr;
  void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const bool written = remote && WriteProcessMemory(process, remote, data, size, nullptr);
  CloseHandle(process);
  return written ? remote : nullptr;
}

bool SendDpiChange(const Program& program, int dpi, const RECT& suggested) {
  void* remote = CopyIntoProgram(program, &suggested, sizeof suggested);
  DWORD_PTR result = 0;
  return remote && SendMessageTimeoutW(program.Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                       LPARAM(remote), SMTO_ABORTIFHUNG, 5000, &result);
}

bool WriteFileAt(const std::string& path, const std::string& content) {
  std::wstring wide = Wide(path);
  if (wide.size() >= MAX_PATH && wide.compare(0, 4, L"\\\\?\\") != 0) wide = L"\\\\?\\" + wide;
  const size_t root = wide.compare(0, 4, L"\\\\?\\") == 0 ? 7 : 3;  // past "\\?\C:\" or "C:\"
  for (size_t slash = wide.find(L'\\', root); slash != std::wstring::npos;
       slash = wide.find(L'\\', slash + 1))
    CreateDirectoryW(wide.substr(0, slash).c_str(), nullptr);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr) &&
                  written == content.size();
  CloseHandle(file);
  return ok;
}

std::string ReadFileAt(const std::string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string content;
  if (file == INVALID_HANDLE_VALUE) return content;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) content.append(chunk, got);
  CloseHandle(file);
  return content;
}

bool WaitUntilOpenedElsewhere(const std::string& path, DWORD timeoutMs) {
  return WaitFor([&] {
    HANDLE alone = CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (alone == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(alone);
    return false;
  }, timeoutMs);
}

bool CutFileShort(const std::string& path, LONG size) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool cut = SetFilePointer(file, size, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                   SetEndOfFile(file);
  CloseHandle(file);
  return cut;
}

bool AppendToFile(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool whole = WriteFile(file, content.data(), DWORD(content.size()), &wrote, nullptr) &&
                     wrote == content.size();
  CloseHandle(file);
  return whole;
}

std::string MakeTempFile(const std::string& name, const std::string& content) {
  const std::string path = TempFolder() + name;
  WriteFileAt(path, content);
  return path;
}

Notepad::Notepad(const std::string& file) {
  if (!StartProcess("", file.empty() ? "notepad.exe" : "notepad.exe \"" + file + "\"", info_))
    return;
  WaitFor([&] {
    window_ = FindWindowOf(info_.dwProcessId, [](HWND w) { return ClassOf(w) == L"Notepad"; });
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
  SendMessageW(FindWindowExW(window_, nullptr, L"Edit", nullptr), WM_SETTEXT, 0,
               LPARAM(Wide(text).c_str()));
}

void Notepad::TypeAtEnd(char c) {
  HWND edit = FindWindowExW(window_, nullptr, L"Edit", nullptr);
  const LRESULT end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(edit, EM_SETSEL, WPARAM(end), LPARAM(end));
  PostMessageW(edit, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
}

void Notepad::BringToFront() { SetForegroundWindow(window_); }

std::string Notepad::Caption() const { return Program::WindowCaption(window_); }

namespace {

// Asks a stand-in's frame, on its own thread, to give the focus to the
// window in LPARAM, now and whenever the frame is activated, as editors do.
constexpr UINT kFocusPane = WM_APP + 7;

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kFocusPane) {
    SetPropW(w, L"FocusPane", HANDLE(lp));
    SetFocus(HWND(lp));
    return 0;
  }
  if (m == WM_SETFOCUS && GetPropW(w, L"FocusPane")) {
    SetFocus(HWND(GetPropW(w, L"FocusPane")));
    return 0;
  }
  return DefWindowProcW(w, m, wp, lp);
}

// The classes of Windows 11's Notepad: a frame and a text box of our own,
// and its RichEdit, a copy of msftedit's under its own name.
void RegisterStandInClasses() {
  static const bool registered = [] {
    WNDCLASSEXW plain = {};
    plain.cbSize = sizeof plain;
    plain.lpfnWndProc = PlainWindowProc;
    plain.hInstance = GetModuleHandleW(nullptr);
    plain.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
    for (const wchar_t* name : {L"Notepad", L"NotepadTextBox", L"EditorFrame", L"WriterFrame"}) {
      plain.lpszClassName = name;
      RegisterClassExW(&plain);
    }
    WNDCLASSEXW edit = {};
    edit.cbSize = sizeof edit;
    if (GetClassInfoExW(nullptr, L"Edit", &edit)) {
      edit.lpszClassName = L"WriterEdit";
      edit.hInstance = GetModuleHandleW(nullptr);
      RegisterClassExW(&edit);
    }
    RegisterScintillaStandIn();
    WNDCLASSEXW rich = {};
    rich.cbSize = sizeof rich;
    if (GetClassInfoExW(LoadLibraryW(L"msftedit.dll"), L"RICHEDIT50W", &rich)) {
      rich.lpszClassName = L"RichEditD2DPT";
      rich.hInstance = GetModuleHandleW(nullptr);
      RegisterClassExW(&rich);
    }
    return true;
  }();
  (void)registered;
}

}  // namespace

StandInEditor::StandInEditor(Shape shape, Answers answers) : shape_(shape), answers_(answers) {
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
  if (thread_) WaitForSingleObject(ready_, 10000);
}

StandInEditor::~StandInEditor() {
  if (thread_) {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  CloseHandle(ready_);
}

DWORD WINAPI StandInEditor::Run(void* param) {
  auto* self = static_cast<StandInEditor*>(param);
  self->Build();
  self->focused_ = self->shown_;
  if (self->shown_) {  // its answers, and the copies counted
    SetPropW(self->shown_, L"StandInEditor", self);
    self->textProc_ =
        WNDPROC(SetWindowLongPtrW(self->shown_, GWLP_WNDPROC, LONG_PTR(&StandInEditor::Answer)));
  }
  SetEvent(self->ready_);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (self->frame_) DestroyWindow(self->frame_);
  return 0;
}

// Another program's frame with its text control (or two) and the focus in
// the first.
void StandInEditor::BuildWriter() {
  frame_ = CreateWindowExW(0, L"WriterFrame", L"稿子 - 写作", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60,
                           60, 500, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!frame_) return;
  auto control = [&](const wchar_t* cls, DWORD style, int x) {
    // No wrapping: Wine wraps a long line slowly.
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL |
                           style, x, 0, 240,
                           250, frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
  };
  switch (shape_) {
    case Shape::kTwoPanes:
      shown_ = control(L"Edit", 0, 0);
      panes_[1] = control(L"Edit", 0, 250);
      break;
    case Shape::kRichEdit:
      LoadLibraryW(L"msftedit.dll");
      shown_ = control(L"RICHEDIT50W", 0, 0);
      break;
    case Shape::kSuperclassedEdit: shown_ = control(L"WriterEdit", 0, 0); break;
    case Shape::kPasswordBox: shown_ = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE |
                                                       ES_PASSWORD, 0, 0, 240, 25, frame_, nullptr,
                                                       GetModuleHandleW(nullptr), nullptr);
      break;
    default: shown_ = control(L"Scintilla", 0, 0); break;
  }
  panes_[0] = shown_;
  SendMessageW(frame_, kFocusPane, 0, LPARAM(shown_));
}

void StandInEditor::Build() {
  RegisterStandInClasses();
  if (shape_ >= Shape::kTwoPanes) {
    BuildWriter();
    return;
  }
  const bool classic = shape_ == Shape::kClassicEnglish || shape_ == Shape::kLongCaption ||
                       shape_ == Shape::kCrowded;
  std::wstring caption = L"测试.txt - 记事本";
  if (shape_ == Shape::kClassicEnglish) caption = L"poem.txt - Notepad";
  if (shape_ == Shape::kCrowded) caption = L"crowded.txt - Notepad";
  if (shape_ == Shape::kLongCaption) caption = std::wstring(125, L'长') + L".txt - 记事本";
  frame_ = CreateWindowExW(0, shape_ == Shape::kLongCaption ? L"EditorFrame" : L"Notepad",
                           caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 500, 300,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!frame_) return;
  auto textBox = [&](bool visible) {
    HWND box = CreateWindowExW(0, L"NotepadTextBox", L"", WS_CHILD | (visible ? WS_VISIBLE : 0),
                               0, 0, 480, 250, frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
    return CreateWindowExW(0, L"RichEditD2DPT", L"",
                           WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, 0, 480, 250, box,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  };
  if (classic) {
    for (int i = 0; shape_ == Shape::kCrowded && i < kCrowdedChildren; ++i)
      CreateWindowExW(0, L"NotepadTextBox", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, frame_,
                      nullptr, GetModuleHandleW(nullptr), nullptr);
    shown_ = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 480,
                             250, frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
    return;
  }
  // The hidden tab first, so that only its visibility tells them apart.
  if (shape_ == Shape::kWindows11TwoTabs) hidden_ = textBox(false);
  shown_ = textBox(true);
}

LRESULT CALLBACK StandInEditor::Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<StandInEditor*>(GetPropW(window, L"StandInEditor"));
  if (message == WM_GETTEXTLENGTH) InterlockedIncrement(&self->lengthsAsked_);
  if (message == WM_GETTEXTLENGTH || message == EM_GETLINECOUNT || message == EM_GETSEL ||
      message == EM_GETMODIFY)
    Sleep(self->answers_.probeMs);
  if (message == WM_GETTEXTLENGTH && self->answers_.claimedLength)
    return LRESULT(self->answers_.claimedLength);
  if (message == WM_GETTEXT) {
    InterlockedIncrement(&self->copies_);
    Sleep(self->answers_.copyMs);
  }
  return CallWindowProcW(self->textProc_, window, message, wParam, lParam);
}

void StandInEditor::SetText(const std::string& text, bool hiddenTab) {
  SendMessageW(hiddenTab ? hidden_ : focused_, WM_SETTEXT, 0, LPARAM(Wide(text).c_str()));
}

void StandInEditor::Select(unsigned long long start, unsigned long long end) {
  const bool scintilla = shape_ == Shape::kScintilla;
  SendMessageW(focused_, scintilla ? UINT(kSciSetSel) : UINT(EM_SETSEL), WPARAM(start), LPARAM(end));
}

void StandInEditor::FocusPane(int pane) {
  focused_ = panes_[pane];
  SendMessageW(frame_, kFocusPane, 0, LPARAM(focused_));
}

void StandInEditor::SetCodePage(unsigned codePage) {
  SendMessageW(shown_, kSciSetCodePage, codePage, 0);
}

void StandInEditor::AddSelection(unsigned long long start, unsigned long long end,
                                 bool rectangle) {
  SendMessageW(focused_, kSciAddSelection, WPARAM(end), LPARAM(start));
  SendMessageW(focused_, kStandInRectangle, rectangle, 0);
}
