// The text sources in-process: file counting into the result slots, file
// names in the status line, and the clipboard copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "engine/recount.h"
#include "sources/background_count.h"
#include "sources/clipboard_reader.h"
#include "sources/editor_sampler.h"
#include "sources/file_reader.h"
#include "sources/text_stream.h"

namespace {

std::map<int, std::string> g_slots;
std::vector<std::string> g_statusLines;  // every status line shown, in order
void Record(int id, const char* text) {
  g_slots[id] = text;
  if (id == 1016) g_statusLines.push_back(text);
}

// Stands in for the main window: takes the file count's messages.
LRESULT CALLBACK CountWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kCountMessage) OnCountMessage(wp, lp);
  return DefWindowProcA(w, m, wp, lp);
}

class FileReader : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr);
    SetWindowLongPtrA(window_, GWLP_WNDPROC, LONG_PTR(CountWindowProc));
    SetCountWindow(window_);
    SetSlotSink(Record);
    g_slots.clear();
    g_statusLines.clear();
    g_cnChars = g_cnPunct = g_enChars = g_enPunct = 7.0;  // an earlier count
  }
  void TearDown() override {
    CancelCount(INFINITE);
    SetCountWindow(nullptr);
    DestroyWindow(window_);
    SetSlotSink(nullptr);
    for (const std::string& path : made_) DeleteFileA(path.c_str());
  }
  std::string Make(const std::string& name, const std::string& content) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    const std::string path = std::string(folder) + name;
    std::ofstream(path, std::ios::binary) << content;
    made_.push_back(path);
    return path;
  }
  // Counts as the window does, and waits for the results on this thread.
  void Analyze(const std::string& path) {
    AnalyzeFiles({path}, nullptr);
    MSG msg;
    while (CountRunning() && GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
  }
  std::vector<std::string> made_;
  HWND window_ = nullptr;
};

TEST_F(FileReader, CountsATextFileAndShowsItsName) {
  Analyze(Make("README.TXT", "\xD6\xD0\xCE\xC4 ab\r\n"));
  EXPECT_EQ("README.TXT", g_slots[1016]);
  EXPECT_EQ("2", g_slots[1011]);
  EXPECT_EQ("2", g_slots[1013]);
  EXPECT_EQ("2", g_slots[1014]);
  EXPECT_EQ("4", g_slots[1015]);
  EXPECT_EQ("4", g_slots[1020]);
}

TEST_F(FileReader, AnEmptyFileShowsZerosAndKeepsItsName) {
  Analyze(Make("empty.txt", ""));
  EXPECT_EQ("empty.txt", g_slots[1016]);
  for (int id : {1011, 1012, 1013, 1014, 1015, 1020}) EXPECT_EQ("0", g_slots[id]) << id;
  EXPECT_EQ(7.0, g_enChars);  // the counters keep the earlier count
}

TEST_F(FileReader, ConvertedFilesSayHowTheyWereRead) {
  Analyze(Make("le.txt", std::string("\xFF\xFE" "a\0", 4)));
  EXPECT_EQ("le.txt (UTF-16)", g_slots[1016]);
  EXPECT_EQ("1", g_slots[1013]);
  Analyze(Make("u8.txt", "\xE4\xB8\xAD" "ab"));  // 中 in UTF-8
  EXPECT_EQ("u8.txt (UTF-8)", g_slots[1016]);
  EXPECT_EQ("1", g_slots[1011]);
  EXPECT_EQ("2", g_slots[1013]);
}

TEST_F(FileReader, RefusesGbkBeginningWithFFAndMalformedUtf16) {
  for (const std::string& content :
       {std::string("\xFF\xA1" "ab"), std::string("\xFF\xFE" "a\0\x00\xDC", 6)}) {
    g_slots.clear();
    Analyze(Make("bad.txt", content));
    EXPECT_EQ("暂不支持非 ANSI 编码文件！", g_slots[1016]);
    EXPECT_EQ("0", g_slots[1015]);
    EXPECT_EQ(7.0, g_enChars);  // nothing published
  }
}

TEST_F(FileReader, AZeroByteEndsTheCount) {
  Analyze(Make("zero.txt", std::string("abc\0def", 7)));
  EXPECT_EQ("3", g_slots[1013]);
}

TEST_F(FileReader, AMissingFileSaysSoAndChangesNoResult) {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  Analyze((std::string(folder) + "no-such-file.txt"));
  EXPECT_EQ("无法获取文件大小", g_slots[1016]);
  EXPECT_EQ(0u, g_slots.count(1011));
}

TEST_F(FileReader, AFileLargerThanAChunkCountsAsAWhole) {
  // Every chunk border falls inside a hanzi: 3 bytes of "a" shift the pairs.
  std::string text = "aaa";
  while (text.size() < 3 * kTextChunkSize) text += "\xB0\xA1";
  Analyze(Make("big.txt", text));
  EXPECT_EQ("3", g_slots[1013]);
  char want[32];
  std::snprintf(want, sizeof want, "%zu", (text.size() - 3) / 2);
  std::string grouped = want;
  for (int at = int(grouped.size()) - 4; at > 0; at -= 4) grouped.insert(size_t(at), ",");
  EXPECT_EQ(grouped, g_slots[1011]);
}

TEST_F(FileReader, ANewFileCancelsTheCountInProgressAndOnlyItsCountsShow) {
  const std::string big = Make("big.txt", std::string(256 << 20, 'a'));
  const std::string small = Make("small.txt", "\xD6\xD0");
  AnalyzeFiles({big}, nullptr);
  ASSERT_TRUE(CountRunning());
  Analyze(small);
  EXPECT_EQ((std::vector<std::string>{"big.txt", "small.txt", "small.txt"}), g_statusLines);
  EXPECT_EQ("1", g_slots[1011]);
  EXPECT_EQ("0", g_slots[1013]);  // nothing of the big file
}

TEST_F(FileReader, ASlowCountShowsItsProgressThenItsResult) {
  const std::string big = Make("big.txt", std::string(256 << 20, 'a'));
  Analyze(big);
  ASSERT_GE(g_statusLines.size(), 2u);
  EXPECT_EQ("big.txt", g_statusLines.front());
  EXPECT_EQ("big.txt", g_statusLines.back());
  // Between them, if the count took long enough: "big.txt  37%" and so on.
  for (size_t i = 1; i + 1 < g_statusLines.size(); ++i)
    EXPECT_EQ(0u, g_statusLines[i].find("big.txt  ")) << g_statusLines[i];
  EXPECT_EQ("2,6843,5456", g_slots[1013]);
}

TEST(FileNames, TheNameAfterTheLastBackslashCharacter) {
  // 表 is B1 ED; 功 is B9 A6; "\x95\x5C" is a character ending in byte 5C.
  EXPECT_STREQ("a.txt", FileNamePart("C:\\dir\\a.txt"));
  EXPECT_STREQ("x\x95\x5C.txt", FileNamePart("C:\\dir\\x\x95\x5C.txt"));
  EXPECT_STREQ("\x95\x5C\x95\x5C", FileNamePart("C:\\\x95\x5C\x95\x5C"));
}

TEST(FileNames, KnownExtensionsIgnoreCase) {
  EXPECT_TRUE(HasTextExtension("C:\\README.TXT"));
  EXPECT_TRUE(HasTextExtension("C:\\x.Cpp"));
  EXPECT_TRUE(HasTextExtension("C:\\x.c"));
  EXPECT_TRUE(HasTextExtension("C:\\x.H"));
  EXPECT_TRUE(HasTextExtension("C:\\x.asm"));
  EXPECT_FALSE(HasTextExtension("C:\\notes.md"));
  EXPECT_FALSE(HasTextExtension("C:\\a.b\\file"));  // extension ".b\file"
  EXPECT_FALSE(HasTextExtension("C:\\file"));
  EXPECT_FALSE(HasTextExtension("C:\\x.txt.bak"));
}

// A window that calls itself Notepad and answers with a length of its own;
// each copy of its text takes `copyMs` and is counted in `copies`.
class FakeEditor {
 public:
  explicit FakeEditor(DWORD_PTR claimedLength, DWORD copyMs = 0) {
    claimed_ = claimedLength;
    copyMs_ = copyMs;
    copies = 0;
    frame_ = CreateWindowExA(0, "Static", "x.txt - 记事本", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                             100, nullptr, nullptr, nullptr, nullptr);
    edit_ = CreateWindowExA(0, "Edit", "abc", WS_CHILD, 0, 0, 100, 20, frame_, nullptr,
                            nullptr, nullptr);
    original_ = WNDPROC(SetWindowLongPtrA(edit_, GWLP_WNDPROC, LONG_PTR(Lie)));
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
    return CallWindowProcA(original_, w, m, wp, lp);
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

class EditorSampler : public FileReader {  // the same results sink
 protected:
  void SetUp() override {
    FileReader::SetUp();
    ResetEditorSampler();  // as each start of sampling does
  }
};

TEST_F(EditorSampler, AnEditorClaimingAnImpossibleLengthIsNotBelieved) {
  FakeEditor liar(~DWORD_PTR(1));  // the length + 2 would wrap to 0
  ASSERT_EQ(liar.Frame(), GetForegroundWindow());
  SampleForegroundEditor(nullptr, 0, 0, 0);
  EXPECT_TRUE(g_slots.empty());  // the tick changed nothing
}

TEST_F(EditorSampler, AnEditorAnsweringLessThanItsLengthIsCountedAsItAnswered) {
  FakeEditor editor(10);  // says 10, gives "abc"
  ASSERT_EQ(editor.Frame(), GetForegroundWindow());
  SampleForegroundEditor(nullptr, 0, 0, 0);
  EXPECT_EQ("x.txt - 记事本", g_slots[1016]);
  EXPECT_EQ("3", g_slots[1013]);
}

// A copy of a tenth of a second stands for a big document's: the next
// tick, long before a refresh is due, has no reason to copy again.
TEST_F(EditorSampler, AnUnchangedEditorIsNotCopiedOnTheNextTickButShowsItsCaption) {
  FakeEditor editor(3, 100);
  ASSERT_EQ(editor.Frame(), GetForegroundWindow());
  SampleForegroundEditor(nullptr, 0, 0, 0);
  EXPECT_EQ("3", g_slots[1013]);
  g_slots.clear();
  SampleForegroundEditor(nullptr, 0, 0, 0);
  EXPECT_EQ(1, FakeEditor::copies);
  EXPECT_EQ("x.txt - 记事本", g_slots[1016]);
  EXPECT_EQ(0u, g_slots.count(1013));

  // Sampling stopped and started again (another mode and back): the
  // results were cleared meanwhile, so the text is copied again.
  ResetEditorSampler();
  SampleForegroundEditor(nullptr, 0, 0, 0);
  EXPECT_EQ(2, FakeEditor::copies);
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

TEST(Clipboard, NoTextGivesNothing) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  size_t length = 99;
  EXPECT_FALSE(GetClipboardText(length));
  EXPECT_EQ(0u, length);
}

}  // namespace
