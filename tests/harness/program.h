#pragma once
// Drives the real Vantorix.exe from outside, as a user would: starts it,
// finds its window, reads and works its controls through window messages,
// answers its message boxes and closes it. Every text crosses to the
// program in UTF-16, as the system's wide calls carry it; the tests hold
// texts, paths and names in UTF-8.

#include <windows.h>

#include <string>
#include <vector>

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// Where the program under test and its files are.
std::string ProgramPath();      // the built Vantorix.exe, a Windows path
std::string TempFolder();       // the user's temporary folder, with '\'

// The user's settings, as the program keeps them, and its writing history.
std::string WritingHistoryPath();  // %APPDATA%\Vantorix\history.csv
void DeleteAllSettings();          // the history too: a first run's state
void StoreSetting(const std::string& subkey, const std::string& valueName,
                  const std::string& text);
// The stored text, or "<none>" when absent.
std::string StoredSetting(const std::string& subkey, const std::string& valueName);
// Leaves the setting's key readable but not writable, as a policy or a
// clean-up tool may (DeleteAllSettings still removes it).
bool LockSetting(const std::string& subkey);

// Polls `done` every 20 ms until it holds or `timeoutMs` passes.
template <class Condition>
bool WaitFor(Condition done, DWORD timeoutMs = 5000) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
}

class Program {
 public:
  // Starts `path` (default: ProgramPath()) and waits for its main window;
  // message boxes shown during start-up are left for the test to answer.
  explicit Program(const std::string& path = ProgramPath(), bool waitForWindow = true);
  ~Program();  // closes the program if it still runs
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return window_ != nullptr; }
  HWND Window() const { return window_; }
  DWORD ProcessId() const { return info_.dwProcessId; }
  bool WaitForMainWindow(DWORD timeoutMs = 15000);

  HWND Control(int id) const { return GetDlgItem(window_, id); }
  std::string Text(int id) const { return WindowCaption(Control(id)); }
  // Replaces a control's text, as typing it whole would.
  void SetText(int id, const std::string& text);
  bool Checked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  // Picks a mode-list entry the way a user does: the list notifies.
  void SelectMode(int index);
  int SelectedMode() const { return int(SendMessageW(Control(1002), CB_GETCURSEL, 0, 0)); }
  // The mode list's entries, as it shows them.
  std::vector<std::string> Modes() const;
  void PressKey(UINT virtualKey);
  void SysCommand(UINT command) { PostMessageW(window_, WM_SYSCOMMAND, command, 0); }
  RECT WindowRect() const;
  bool Topmost() const { return (GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
  // True when the window answers a message within `timeoutMs`.
  bool Answers(DWORD timeoutMs = 5000) const;

  // The six result slots, 1011 to 1015 and 1020, in that order.
  std::vector<std::string> Slots() const;
  // Waits until the status line shows `text`.
  bool WaitForStatus(const std::string& text, DWORD timeoutMs = 5000) const;
  // Waits until the six result slots show `slots` (a file is counted on a
  // thread of its own: its name shows first, its counts a moment later).
  bool WaitForSlots(const std::vector<std::string>& slots, DWORD timeoutMs = 5000) const;
  // Waits until Word's figures show `words` (字数, 1022) and `charsNoSpace`
  // (字符数(不计空格), 1023).
  bool WaitForWordFigures(const std::string& words, const std::string& charsNoSpace,
                          DWORD timeoutMs = 5000) const;

  // Another dialog of this program (a message box, the file dialog):
  // with a caption, the one with that caption.
  HWND WaitForDialog(const char* caption, DWORD timeoutMs = 10000) const;
  // A message box of this program, its text and answering it.
  HWND WaitForMessageBox(DWORD timeoutMs = 10000) const { return WaitForDialog(nullptr, timeoutMs); }
  static std::string MessageBoxText(HWND box);
  static std::string WindowCaption(HWND window);
  static void Answer(HWND box, int button);

  // Closes the main window (the close box) and waits for the process to end.
  bool Close(DWORD timeoutMs = 10000);
  bool WaitForExit(DWORD timeoutMs = 10000);

 private:
  PROCESS_INFORMATION info_ = {};
  HWND window_ = nullptr;
};

// Puts a text on the clipboard as CF_UNICODETEXT, from this process.
bool PutClipboardText(const std::string& text);
// The clipboard's CF_UNICODETEXT ("" when it holds none or is busy).
std::string ClipboardText();

// Answers the program's open-file dialog with `path`.
bool ChooseInFileDialog(const Program& program, const std::string& path);
// Drops files on the program's window as the shell does: the drop's memory
// must belong to the receiving process, so it is written there.
bool DropFiles(const Program& program, const std::vector<std::string>& paths);
// A copy of `size` bytes in the program's memory, for a message whose
// parameter points (null on failure; freed when the program ends).
void* CopyIntoProgram(const Program& program, const void* data, size_t size);
// Tells the program its window moved to a monitor of `dpi`, as Windows
// does (WM_DPICHANGED, with the suggested rectangle in its memory).
bool SendDpiChange(const Program& program, int dpi, const RECT& suggested);

// Writes a file in the temporary folder; returns its full path.
std::string MakeTempFile(const std::string& name, const std::string& content);
// Writes a file at `path` (any length), creating the folders on the way.
bool WriteFileAt(const std::string& path, const std::string& content);
// Waits until another process holds the file at `path` open (a file shared
// with no one cannot be opened while it does).
bool WaitUntilOpenedElsewhere(const std::string& path, DWORD timeoutMs = 10000);
// Cuts the file at `path` to `size` bytes, as another program might while
// it is read.
bool CutFileShort(const std::string& path, LONG size);
// Adds `content` at the end of the file at `path`, as a program writing a
// log does while it is read.
bool AppendToFile(const std::string& path, const std::string& content);
// The whole content of the file at `path`; empty when it cannot be read.
std::string ReadFileAt(const std::string& path);

// Wine's Notepad, started by the test and ended with it: empty, or with
// `file` open (a text of a few MB must come this way: Wine's Notepad is
// left empty by such a WM_SETTEXT).
class Notepad {
 public:
  explicit Notepad(const std::string& file = "");
  ~Notepad();
  bool Started() const { return window_ != nullptr; }
  void SetText(const std::string& text);
  // Types `c` at the end of the text, as the keyboard would.
  void TypeAtEnd(char c);
  void BringToFront();
  std::string Caption() const;

 private:
  PROCESS_INFORMATION info_ = {};
  HWND window_ = nullptr;
};

// How a stand-in editor's text control answers: with a length of its own
// (0: the true one), taking `copyMs` over each copy of its text and
// `probeMs` over each of the cheap questions (length, lines, selection,
// modified), as a program busy between its messages does.
struct StandInAnswers {
  unsigned long long claimedLength = 0;
  DWORD copyMs = 0;
  DWORD probeMs = 0;
};

// A window shaped as an editor is, made by this process on a thread of its
// own that answers its messages, so that the program under test asks it as
// it asks a real one.
class StandInEditor {
 public:
  enum class Shape {
    kWindows11,        // "Notepad" > "NotepadTextBox" > "RichEditD2DPT", captioned in Chinese
    kWindows11TwoTabs, // the same with a second, hidden tab
    kClassicEnglish,   // "Notepad" > "Edit", captioned "poem.txt - Notepad"
    kLongCaption,      // a frame of another class > "Edit", known by a caption
                       // of 125 Chinese characters and " - 记事本"
    kCrowded,          // "Notepad" > kCrowdedChildren empty windows, then "Edit",
                       // captioned "crowded.txt - Notepad"
    // Other programs, each a "WriterFrame" captioned "稿子 - 写作", whose
    // text control has the focus:
    kTwoPanes,         // two "Edit" panes (FocusPane picks one)
    kRichEdit,         // "RICHEDIT50W"
    kSuperclassedEdit, // "WriterEdit", a superclass of "Edit"
    kPasswordBox,      // "Edit" with ES_PASSWORD
    kScintilla,        // "Scintilla" (scintilla_stand_in.h), a UTF-8 document
  };
  static constexpr int kCrowdedChildren = 5000;
  using Answers = StandInAnswers;
  explicit StandInEditor(Shape shape, Answers answers = {});
  ~StandInEditor();
  StandInEditor(const StandInEditor&) = delete;
  StandInEditor& operator=(const StandInEditor&) = delete;

  bool Started() const { return frame_ != nullptr; }
  // The text of the tab that shows (or of the hidden tab); in the other
  // programs, of the pane with the focus.
  void SetText(const std::string& text, bool hiddenTab = false);
  // Selects from `start` to `end` in the focused control's own positions
  // (Scintilla: bytes of its document's code page).
  void Select(unsigned long long start, unsigned long long end);
  // Moves the focus to pane 0 or 1 (kTwoPanes).
  void FocusPane(int pane);
  // The Scintilla document's code page (0: the system's).
  void SetCodePage(unsigned codePage);
  // Adds a range to the Scintilla selection, made its main one; with
  // `rectangle`, the selection answers as a rectangle's, with its span.
  void AddSelection(unsigned long long start, unsigned long long end, bool rectangle = false);
  void BringToFront() { SetForegroundWindow(frame_); }
  std::string Caption() const { return Program::WindowCaption(frame_); }
  // How often its text was copied (WM_GETTEXT), and its length asked.
  long Copies() const { return copies_; }
  long LengthsAsked() const { return lengthsAsked_; }

 private:
  static DWORD WINAPI Run(void* self);
  static LRESULT CALLBACK Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Build();
  void BuildWriter();

  Shape shape_;
  Answers answers_;
  WNDPROC textProc_ = nullptr;
  volatile long copies_ = 0;
  volatile long lengthsAsked_ = 0;
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  DWORD threadId_ = 0;
  HWND frame_ = nullptr;
  HWND shown_ = nullptr, hidden_ = nullptr;  // the text controls
  HWND panes_[2] = {};                       // kTwoPanes' second is panes_[1]
  HWND focused_ = nullptr;                   // the one SetText and Select work on
};
