// The text sources in-process: file counting into the result slots, file
// names in the status line, and the clipboard copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "engine/recount.h"
#include "sources/clipboard_reader.h"
#include "sources/editor_sampler.h"
#include "sources/file_reader.h"
#include "sources/text_stream.h"

namespace {

std::map<int, std::string> g_slots;
void Record(int id, const char* text) { g_slots[id] = text; }

class FileReader : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSlotSink(Record);
    g_slots.clear();
    g_cnChars = g_cnPunct = g_enChars = g_enPunct = 7.0;  // an earlier count
  }
  void TearDown() override {
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
  std::vector<std::string> made_;
};

TEST_F(FileReader, CountsATextFileAndShowsItsName) {
  AnalyzeFile(Make("README.TXT", "\xD6\xD0\xCE\xC4 ab\r\n").c_str());
  EXPECT_EQ("README.TXT", g_slots[1016]);
  EXPECT_EQ("2", g_slots[1011]);
  EXPECT_EQ("2", g_slots[1013]);
  EXPECT_EQ("2", g_slots[1014]);
  EXPECT_EQ("4", g_slots[1015]);
  EXPECT_EQ("4", g_slots[1020]);
}

TEST_F(FileReader, AnEmptyFileShowsZerosAndKeepsItsName) {
  AnalyzeFile(Make("empty.txt", "").c_str());
  EXPECT_EQ("empty.txt", g_slots[1016]);
  for (int id : {1011, 1012, 1013, 1014, 1015, 1020}) EXPECT_EQ("0", g_slots[id]) << id;
  EXPECT_EQ(7.0, g_enChars);  // the counters keep the earlier count
}

TEST_F(FileReader, RefusesUtf16LittleEndianButCountsBigEndianAsAnsi) {
  AnalyzeFile(Make("le.txt", std::string("\xFF\xFE" "a\0", 4)).c_str());
  EXPECT_EQ("暂不支持非 ANSI 编码文件！", g_slots[1016]);
  EXPECT_EQ("0", g_slots[1015]);
  EXPECT_EQ(7.0, g_enChars);
  AnalyzeFile(Make("be.txt", std::string("\xFE\xFF\0a", 4)).c_str());
  EXPECT_EQ("be.txt", g_slots[1016]);
  EXPECT_EQ("1", g_slots[1012]);  // FE FF is one double-byte character
}

TEST_F(FileReader, AZeroByteEndsTheCount) {
  AnalyzeFile(Make("zero.txt", std::string("abc\0def", 7)).c_str());
  EXPECT_EQ("3", g_slots[1013]);
}

TEST_F(FileReader, AMissingFileSaysSoAndChangesNoResult) {
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  AnalyzeFile((std::string(folder) + "no-such-file.txt").c_str());
  EXPECT_EQ("无法获取文件大小", g_slots[1016]);
  EXPECT_EQ(0u, g_slots.count(1011));
}

TEST_F(FileReader, AFileLargerThanAChunkCountsAsAWhole) {
  // Every chunk border falls inside a hanzi: 3 bytes of "a" shift the pairs.
  std::string text = "aaa";
  while (text.size() < 3 * kTextChunkSize) text += "\xB0\xA1";
  AnalyzeFile(Make("big.txt", text).c_str());
  EXPECT_EQ("3", g_slots[1013]);
  char want[32];
  std::snprintf(want, sizeof want, "%zu", (text.size() - 3) / 2);
  std::string grouped = want;
  for (int at = int(grouped.size()) - 4; at > 0; at -= 4) grouped.insert(size_t(at), ",");
  EXPECT_EQ(grouped, g_slots[1011]);
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
