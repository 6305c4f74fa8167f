// The text sources in-process: the foreground editor's answers and the
// clipboard copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>

#include "engine/recount.h"
#include "sources/background_count.h"
#include "sources/clipboard_reader.h"
#include "sources/editor_sampler.h"

namespace {

std::map<int, std::wstring> g_slots;
void Record(int id, const wchar_t* text) { g_slots[id] = text; }

// The window the copies report to, as the main dialog is.
int g_countMessages = 0;
LRESULT CALLBACK CountWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m != kCountMessage) return DefWindowProcW(w, m, wp, lp);
  OnCountMessage(wp, lp);
  ++g_countMessages;
  return 0;
}

class EditorSampler : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSlotSink(Record);
    g_slots.clear();
    ResetEditorSampler();  // as each start of sampling does
    WNDCLASSW cls = {};
    cls.lpfnWndProc = CountWindowProc;
    cls.lpszClassName = L"CountWindow";
    RegisterClassW(&cls);
    window_ = CreateWindowExW(0, L"CountWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              nullptr, nullptr);
    SetCountWindow(window_);
  }
  void TearDown() override {
    CancelCount(2000);
    SetCountWindow(nullptr);
    DestroyWindow(window_);
    SetSlotSink(nullptr);
  }

  // A tick that copies, and the copy to its end: the copy runs on a thread
  // of its own and asks the editor, whose messages this thread answers.
  static void TickAndCopy() {
    const int before = g_countMessages;
    SampleForegroundEditor(nullptr, 0, 0, 0);
    const DWORD start = GetTickCount();
    MSG msg;
    while (g_countMessages == before && GetTickCount() - start < 5000) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }

 private:
  HWND window_ = nullptr;
};

// A window that calls itself Notepad and answers with a length of its own;
// each copy of its text takes `copyMs` and is counted in `copies`.
class FakeEditor {
 public:
  explicit FakeEditor(DWORD_PTR claimedLength, DWORD copyMs = 0) {
    claimed_ = claimedLength;
    copyMs_ = copyMs;
    copies = 0;
    frame_ = CreateWindowExW(0, L"Static", L"x.txt - 记事本", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                             100, nullptr, nullptr, nullptr, nullptr);
    edit_ = CreateWindowExW(0, L"Edit", L"abc", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, frame_, nullptr,
                            nullptr, nullptr);
    original_ = WNDPROC(SetWindowLongPtrW(edit_, GWLP_WNDPROC, LONG_PTR(Lie)));
    SetForegroundWindow(frame_);
  }
  ~FakeEditor() { DestroyWindow(frame_); }
  HWND Frame() const { return frame_; }
  static int copies;

 private:
  static LRESULT CALLBACK Lie(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_GETTEXTLENGTH) return LRESULT(claimed_);
    if (m == WM_GETTEXT) {
      ++copies;
      Sleep(copyMs_);
    }
    return CallWindowProcW(original_, w, m, wp, lp);
  }
  static DWORD_PTR claimed_;
  static DWORD copyMs_;
  static WNDPROC original_;
  HWND frame_, edit_;
};
int FakeEditor::copies;
DWORD_PTR FakeEditor::claimed_;
DWORD FakeEditor::copyMs_;
WNDPROC FakeEditor::original_;

TEST_F(EditorSampler, AnEditorClaimingAnImpossibleLengthIsNotBelieved) {
  // Room for this many UTF-16 units wraps to a few bytes.
  FakeEditor liar(DWORD_PTR(1) << (8 * sizeof(DWORD_PTR) - 1) | 1);
  ASSERT_EQ(liar.Frame(), GetForegroundWindow());
  TickAndCopy();
  EXPECT_TRUE(g_slots.empty());  // the tick changed nothing
}

// A copy of 30 ms stands for a big document's: the next tick, long before
// a refresh is due, has no reason to copy again. (It stays inside the
// copy's time limit: this editor shares our process, so a copy past it
// would write into a buffer already given back.)
TEST_F(EditorSampler, AnUnchangedEditorIsNotCopiedOnTheNextTickButShowsItsCaption) {
  FakeEditor editor(3, 30);
  ASSERT_EQ(editor.Frame(), GetForegroundWindow());
  TickAndCopy();
  EXPECT_EQ(L"3", g_slots[1013]);
  g_slots.clear();
  SampleForegroundEditor(nullptr, 0, 0, 0);
  EXPECT_EQ(1, FakeEditor::copies);
  EXPECT_EQ(L"x.txt - 记事本", g_slots[1016]);
  EXPECT_EQ(0u, g_slots.count(1013));

  // Sampling stopped and started again (another mode and back): the
  // results were cleared meanwhile, so the text is copied again.
  ResetEditorSampler();
  TickAndCopy();
  EXPECT_EQ(2, FakeEditor::copies);
  EXPECT_EQ(L"3", g_slots[1013]);
}

TEST(Clipboard, TextWithoutATerminatorInItsBlockIsCopiedSafely) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const size_t size = 4096;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  auto* data = static_cast<wchar_t*>(GlobalLock(block));
  const size_t units = GlobalSize(block) / sizeof(wchar_t);
  std::wmemset(data, L'字', units);  // no 0 anywhere in the block
  GlobalUnlock(block);
  ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, block));
  CloseClipboard();

  size_t length = 0;
  std::unique_ptr<wchar_t[]> text = GetClipboardText(length);
  ASSERT_TRUE(text);
  // The system may terminate the block's last unit itself; either way the
  // copy ends inside the block.
  EXPECT_GE(length, size / sizeof(wchar_t) - 1);
  EXPECT_LE(length, units);
  EXPECT_EQ(length, std::wcslen(text.get()));
}

}  // namespace
