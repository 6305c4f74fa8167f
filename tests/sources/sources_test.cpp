// The text sources in-process: the foreground editor's answers and the
// clipboard copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "engine/recount.h"
#include "sources/clipboard_reader.h"
#include "sources/editor_sampler.h"

namespace {

std::map<int, std::string> g_slots;
void Record(int id, const char* text) { g_slots[id] = text; }

class FileReader : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSlotSink(Record);
    g_slots.clear();
  }
  void TearDown() override { SetSlotSink(nullptr); }
};

// A window that calls itself Notepad and answers with a length of its own.
class FakeEditor {
 public:
  explicit FakeEditor(DWORD_PTR claimedLength) {
    claimed_ = claimedLength;
    frame_ = CreateWindowExA(0, "Static", "x.txt - 记事本", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                             100, nullptr, nullptr, nullptr, nullptr);
    edit_ = CreateWindowExA(0, "Edit", "abc", WS_CHILD, 0, 0, 100, 20, frame_, nullptr,
                            nullptr, nullptr);
    original_ = WNDPROC(SetWindowLongPtrA(edit_, GWLP_WNDPROC, LONG_PTR(Lie)));
    SetForegroundWindow(frame_);
  }
  ~FakeEditor() { DestroyWindow(frame_); }
  HWND Frame() const { return frame_; }

 private:
  static LRESULT CALLBACK Lie(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_GETTEXTLENGTH) return LRESULT(claimed_);
    return CallWindowProcA(original_, w, m, wp, lp);
  }
  static DWORD_PTR claimed_;
  static WNDPROC original_;
  HWND frame_, edit_;
};
DWORD_PTR FakeEditor::claimed_;
WNDPROC FakeEditor::original_;

TEST_F(FileReader, AnEditorClaimingAnImpossibleLengthIsNotBelieved) {
  FakeEditor liar(~DWORD_PTR(1));  // the length + 2 would wrap to 0
  ASSERT_EQ(liar.Frame(), GetForegroundWindow());
  SampleForegroundEditor(nullptr, 0, 0, 0);
  EXPECT_TRUE(g_slots.empty());  // the tick changed nothing
}

TEST_F(FileReader, AnEditorAnsweringLessThanItsLengthIsCountedAsItAnswered) {
  FakeEditor editor(10);  // says 10, gives "abc"
  ASSERT_EQ(editor.Frame(), GetForegroundWindow());
  SampleForegroundEditor(nullptr, 0, 0, 0);
  EXPECT_EQ("x.txt - 记事本", g_slots[1016]);
  EXPECT_EQ("3", g_slots[1013]);
}

TEST(Clipboard, TextWithoutATerminatorInItsBlockIsCopiedSafely) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const size_t size = 4096;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  char* data = static_cast<char*>(GlobalLock(block));
  const size_t blockSize = GlobalSize(block);
  std::memset(data, 'z', blockSize);  // no 0 anywhere in the block
  GlobalUnlock(block);
  ASSERT_TRUE(SetClipboardData(CF_TEXT, block));
  CloseClipboard();

  size_t length = 0;
  std::unique_ptr<char[]> text = GetClipboardText(length);
  ASSERT_TRUE(text);
  // The system may terminate the block's last byte itself; either way the
  // copy ends inside the block.
  EXPECT_GE(length, size - 1);
  EXPECT_LE(length, blockSize);
  EXPECT_EQ(length, std::strlen(text.get()));
}

}  // namespace
