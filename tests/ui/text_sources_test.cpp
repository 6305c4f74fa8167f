// The three text sources, through the real program: files chosen or
// dropped, the clipboard, and Notepad in the foreground.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/format_count.h"
#include "tests/harness/program.h"
#include "tests/support/gbk_corpus.h"

namespace {

using Slots = std::vector<std::string>;
const char kHint[] = "【拖拽txt文件到界面也可得到结果】";
// 中文，abc 123。 CR LF: 2 hanzi, 2 full-width marks, 6 letters and digits,
// a space and a line end; as a program shows it, and as a GBK file holds it.
const char kSample[] = "中文，abc 123。\r\n";
const char kSampleGbk[] = "\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n";
const Slots kSampleSlots = {"2", "2", "6", "2", "8", "8"};

class TextSources : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllSettings();
    StoreSetting("计算模式", "计算模式", "3");  // start with no mode running
  }
};

TEST_F(TextSources, AChosenTxtFileIsCountedAndOfSeveralTheFirst) {
  const std::string txt = MakeTempFile("README.TXT", kSampleGbk);
  MakeTempFile("one.txt", "abc");
  MakeTempFile("two.txt", "ab");
  Program program;
  ASSERT_TRUE(program.Started());
  auto choose = [&](const std::string& path) {
    program.SelectMode(2);
    return ChooseInFileDialog(program, path);
  };
  ASSERT_TRUE(choose(txt));
  EXPECT_TRUE(program.WaitForStatus("README.TXT"));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
  // Of several chosen, the first.
  ASSERT_TRUE(choose(TempFolder()));  // opens the folder
  ASSERT_TRUE(ChooseInFileDialog(program, "\"two.txt\" \"one.txt\""));
  EXPECT_TRUE(program.WaitForStatus("two.txt"));
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "2", "0", "2", "2"}));
}

// Dropped files are counted in turn, in the file mode without its dialog;
// each shows its name, and how it was read when it was converted, or why it
// could not be counted.
TEST_F(TextSources, DroppedFilesShowHowTheyWereReadOrWhyNot) {
  const char kNotAnsi[] = "暂不支持非 ANSI 编码文件！";
  const std::string counted = MakeTempFile("one.txt", "a");  // dropped first each time
  const Slots zeros(6, "0"), countedSlots = {"0", "0", "1", "0", "1", "1"};
  const struct {
    std::string path;
    const char* status;
    Slots slots;
  } cases[] = {
      {MakeTempFile("utf8.txt", kSample), "utf8.txt (UTF-8)", kSampleSlots},
      {MakeTempFile("ff.txt", "\xFF\xA1" "ab"), kNotAnsi, zeros},  // GBK starting with 0xFF
      {MakeTempFile("be.txt", "\xFE\xFF" + Utf16(u"中文，abc 123。\r\n", true)), "be.txt (UTF-16)",
       kSampleSlots},
      {TempFolder() + "no-such-file.txt", "无法获取文件大小", countedSlots},
      {MakeTempFile("bad16.txt", std::string("\xFF\xFE" "a\0\0\xDC", 6)), kNotAnsi, zeros},
      {MakeTempFile("empty.txt", ""), "empty.txt", zeros},
  };
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(-1, program.SelectedMode());  // a stored mode above two shows none
  for (const auto& c : cases) {
    ASSERT_TRUE(DropFiles(program, {counted, c.path}));
    EXPECT_TRUE(program.WaitForStatus(c.status)) << c.path;
    EXPECT_TRUE(program.WaitForSlots(c.slots)) << c.path;
  }
  EXPECT_EQ(2, program.SelectedMode());
  EXPECT_FALSE(program.WaitForDialog("请选择文件", 500));
  EXPECT_FALSE(program.Enabled(1004));
  program.SelectMode(0);  // another mode: zeros and the hint
  EXPECT_TRUE(program.WaitForStatus(kHint));
  EXPECT_EQ(zeros, program.Slots());
  EXPECT_TRUE(program.Enabled(1004));
}

// The question names its file in the status line while it is open. A drop
// while it is open supersedes it: the box goes, no second one stacks on it,
// and nothing of the older drop shows.
TEST_F(TextSources, ADropDuringTheQuestionSupersedesTheOlderDrop) {
  const std::string older = MakeTempFile("older.md", "aaaa");
  const std::string olderRest = MakeTempFile("older-rest.txt", "aaaaaaaa");
  const std::string newer = MakeTempFile("newer.txt", kSampleGbk);
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {older, olderRest}));
  HWND question = program.WaitForDialog("提示");
  ASSERT_TRUE(question);
  EXPECT_EQ("older.md", program.Text(1016));
  EXPECT_EQ("该文件可能不是纯文本格式，是否继续分析？", Program::MessageBoxText(question));
  ASSERT_TRUE(DropFiles(program, {newer}));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(question); }));
  EXPECT_TRUE(program.WaitForStatus("newer.txt"));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
  Sleep(1500);  // long enough for the older files to have shown, had they been counted
  EXPECT_EQ("newer.txt", program.Text(1016));
  EXPECT_EQ(kSampleSlots, program.Slots());
  // Five drops of files to ask about: never more than one box at a time
  // (each hiding box may keep Wine busy for 2 s without a window manager).
  const std::string other = MakeTempFile("other.md", "ab");
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(DropFiles(program, {other}));
  auto visibleBoxes = [&] {
    int boxes = 0;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      boxes += pid == program.ProcessId() && IsWindowVisible(w) &&
               Program::WindowCaption(w) == "提示";
    }
    return boxes;
  };
  int most = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 12000) most = std::max(most, visibleBoxes());
  EXPECT_EQ(1, most);
  EXPECT_EQ(1, visibleBoxes());
  Program::Answer(program.WaitForDialog("提示"), IDYES);
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "2", "0", "2", "2"}));
}

// A text another program holds open for writing (an editor, a log) is
// counted, and so is one whose path is longer than 260 characters.
TEST_F(TextSources, FilesHeldOpenForWritingOrDeepInFoldersAreCounted) {
  const std::string held = MakeTempFile("held.txt", kSampleGbk);
  HANDLE writer = CreateFileW(Wide(held).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  std::string deep = TempFolder();
  while (Wide(deep).size() < 300) deep += "一个很深的文件夹\\";  // characters, not bytes
  deep += "deep.txt";
  ASSERT_TRUE(WriteFileAt(deep, kSampleGbk));
  Program program;
  ASSERT_TRUE(program.Started());
  for (const std::string& path : {held, deep}) {
    ASSERT_TRUE(DropFiles(program, {MakeTempFile("one.txt", "a"), path}));
    EXPECT_TRUE(program.WaitForStatus(path.substr(path.rfind('\\') + 1))) << path;
    EXPECT_TRUE(program.WaitForSlots(kSampleSlots)) << path;
  }
  CloseHandle(writer);
}

// A big file is counted off the window's thread: the window answers all
// the while, shows the file's progress, never partial counts; a new drop
// cancels the count in progress, and closing ends one.
TEST_F(TextSources, ABigFileIsCountedWhileTheWindowAnswers) {
  const std::string big = MakeTempFile("big.txt", std::string(256 << 20, 'a'));
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {big}));
  // Every value the English characters slot showed, and the status line,
  // taken when two looks in a row agree (one look may catch a box while its
  // text is being replaced).
  std::vector<std::string> seen;
  std::string last, lastStatus;
  bool answered = true, statusOk = true;
  WaitFor([&] {
    answered = answered && program.Answers();
    const std::string status = program.Text(1016);  // "big.txt  37%" while it takes a while
    statusOk = statusOk && (status != lastStatus || status == kHint || status == "big.txt" ||
                            (status.rfind("big.txt  ", 0) == 0 && status.back() == '%'));
    lastStatus = status;
    const std::string shown = program.Text(1013);
    if (shown == last && (seen.empty() || seen.back() != shown)) seen.push_back(shown);
    last = shown;
    return !seen.empty() && seen.back() != "0";
  }, 30000);
  EXPECT_TRUE(answered) << "the window stopped answering during the count";
  EXPECT_TRUE(statusOk);
  // A fast disk may finish before two looks agree on "0"; what must never
  // show is a partial count.
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ("2,6843,5456", seen.back());
  for (size_t i = 0; i + 1 < seen.size(); ++i) EXPECT_EQ("0", seen[i]) << "a partial count shown";
  EXPECT_TRUE(program.WaitForStatus("big.txt"));

  ASSERT_TRUE(DropFiles(program, {big}));
  ASSERT_TRUE(DropFiles(program, {MakeTempFile("small.txt", kSampleGbk)}));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
  Sleep(1500);  // long enough for the big file's count to have ended, had it gone on
  EXPECT_EQ(kSampleSlots, program.Slots());
  EXPECT_EQ("small.txt", program.Text(1016));
  ASSERT_TRUE(DropFiles(program, {big}));
  EXPECT_TRUE(program.Close());
}

// An editor that claims a length past what is believed is never copied;
// one that takes its time over a copy is copied again only when it changed
// or a refresh is due, and afresh when sampling starts again.
TEST_F(TextSources, ALyingOrSlowNotepadIsCopiedOnlyWithinBounds) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(0);
  {
    // Room for this many UTF-16 units is just past the 256 MiB believed.
    StandInEditor liar(StandInEditor::Shape::kWindows11, {(256ull << 20) / 2 + 1, 0});
    liar.SetText("abc");
    liar.BringToFront();
    Sleep(1000);
    EXPECT_EQ(0, liar.Copies());
    EXPECT_EQ(Slots(6, "0"), program.Slots());
    EXPECT_TRUE(program.Answers());
  }
  StandInEditor slow(StandInEditor::Shape::kWindows11, {0, 40});
  slow.SetText("abc");
  slow.BringToFront();
  ASSERT_TRUE(program.WaitForSlots({"0", "0", "3", "0", "3", "3"}));
  const long copies = slow.Copies();
  Sleep(600);  // a refresh is due 25 copies' time after the last
  EXPECT_EQ(copies, slow.Copies());
  EXPECT_EQ(slow.Caption(), program.Text(1016));  // shown on every tick all the same
  program.SelectMode(-1);
  program.SelectMode(0);  // the results were cleared: the text is copied afresh
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "3", "0", "3", "3"}));
  EXPECT_EQ(copies + 1, slow.Copies());
}

std::string Formatted(uint64_t count) {
  char text[kCountTextSize];
  FormatCount(Count(count), text, sizeof text);
  return text;
}

// Notepad in the foreground, with a document big enough that copying it
// costs the sampler real time, so copies are spaced: its English characters
// are counted whole, letters at the very end included, and follow typing;
// then small documents, and another window in front.
TEST_F(TextSources, NotepadInTheForegroundIsCountedWholeAndFollowsTyping) {
  const GbkCorpus corpus = MakeGbkProse(size_t(3) << 20, 11);
  const std::string path = MakeTempFile("big document.txt", corpus.text);
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(0);
  Notepad notepad(path);
  ASSERT_TRUE(notepad.Started());
  notepad.BringToFront();
  const std::string whole = Formatted(corpus.counts.enChars);
  ASSERT_TRUE(WaitFor([&] { return program.Text(1013) == whole; }, 60000))
      << program.Text(1013) << " for " << whole;
  EXPECT_EQ(notepad.Caption(), program.Text(1016));
  notepad.TypeAtEnd('x');
  const std::string more = Formatted(corpus.counts.enChars + 1);
  EXPECT_TRUE(WaitFor([&] { return program.Text(1013) == more; })) << program.Text(1013);

  notepad.SetText(kSample);
  EXPECT_TRUE(WaitFor([&] { return program.Slots() == kSampleSlots; }));
  notepad.SetText("");  // an empty document gives zeros
  EXPECT_TRUE(WaitFor([&] { return program.Slots() == Slots(6, "0"); }));
  notepad.SetText("ab");
  EXPECT_TRUE(WaitFor([&] { return program.Text(1013) == "2"; }));
  SetForegroundWindow(program.Window());  // not Notepad: results stay
  notepad.SetText("abcdef");
  Sleep(500);
  EXPECT_EQ("2", program.Text(1013));
}

}  // namespace
