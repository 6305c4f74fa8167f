// The three text sources, through the real program: files chosen or
// dropped, the clipboard, and Notepad in the foreground.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/format_count.h"
#include "tests/harness/program.h"
#include "tests/support/gbk_corpus.h"

namespace {

using Slots = std::vector<std::string>;
const char kHint[] = "【拖拽txt文件到界面也可得到结果】";
// 中文，abc 123。 CR LF: 2 hanzi, 2 full-width marks, 6 letters and digits,
// a space and a line end.
const char kSample[] = "\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n";
const Slots kSampleSlots = {"2", "2", "6", "2", "8", "8"};

class TextSources : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllSettings();
    StoreSetting("计算模式", "计算模式", "3");  // start with no mode running
  }
};

TEST_F(TextSources, AChosenTxtFileIsCountedWithoutAQuestion) {
  const std::string path = MakeTempFile("README.TXT", kSample);
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(2);
  ASSERT_TRUE(ChooseInFileDialog(program, path));
  EXPECT_TRUE(program.WaitForStatus("README.TXT"));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
}

TEST_F(TextSources, OfSeveralChosenFilesTheFirstIsCounted) {
  MakeTempFile("one.txt", "abc");
  MakeTempFile("two.txt", kSample);
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(2);
  ASSERT_TRUE(ChooseInFileDialog(program, TempFolder()));  // opens the folder
  ASSERT_TRUE(ChooseInFileDialog(program, "\"two.txt\" \"one.txt\""));
  EXPECT_TRUE(program.WaitForStatus("two.txt"));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
}

TEST_F(TextSources, AnotherExtensionAsksFirst) {
  const std::string path = MakeTempFile("notes.md", kSample);
  Program program;
  ASSERT_TRUE(program.Started());

  program.SelectMode(2);
  ASSERT_TRUE(ChooseInFileDialog(program, path));
  HWND question = program.WaitForDialog("提示");
  ASSERT_TRUE(question);
  EXPECT_EQ("该文件可能不是纯文本格式，是否继续分析？", Program::MessageBoxText(question));
  Program::Answer(question, IDNO);
  Sleep(500);
  EXPECT_EQ(kHint, program.Text(1016));  // No: nothing changed
  EXPECT_EQ(Slots(6, "0"), program.Slots());

  program.SelectMode(2);
  ASSERT_TRUE(ChooseInFileDialog(program, path));
  question = program.WaitForDialog("提示");
  ASSERT_TRUE(question);
  Program::Answer(question, IDYES);
  EXPECT_TRUE(program.WaitForStatus("notes.md"));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
}

TEST_F(TextSources, DroppingTwoFilesCountsBothInTurnWithoutTheFileDialog) {
  const std::string first = MakeTempFile("first.txt", "abc");
  const std::string second = MakeTempFile("second.txt", kSample);
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {first, second}));
  EXPECT_TRUE(program.WaitForStatus("second.txt"));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
  EXPECT_EQ(2, program.SelectedMode());
  EXPECT_FALSE(program.WaitForDialog("请选择文件", 500));
  EXPECT_FALSE(program.Enabled(1003));
  EXPECT_FALSE(program.Enabled(1004));
}

TEST_F(TextSources, UnicodeFilesCountAsTheirGbkFormAndSaySo) {
  // The sample in UTF-8 without a mark, chosen in the dialog, and in
  // UTF-16BE with its mark, dropped.
  const std::string utf8 = MakeTempFile("u8.txt", u8"中文，abc 123。\r\n");
  std::string utf16 = "\xFE\xFF";
  for (char16_t u : std::u16string(u"中文，abc 123。\r\n")) utf16 += {char(u >> 8), char(u)};
  const std::string be = MakeTempFile("be.txt", utf16);
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(2);
  ASSERT_TRUE(ChooseInFileDialog(program, utf8));
  EXPECT_TRUE(program.WaitForStatus("u8.txt (UTF-8)"));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
  ASSERT_TRUE(DropFiles(program, {be}));
  EXPECT_TRUE(program.WaitForStatus("be.txt (UTF-16)"));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
}

// Big enough that counting it takes a while under any build.
std::string MakeBigFile() { return MakeTempFile("big.txt", std::string(256 << 20, 'a')); }

TEST_F(TextSources, ABigFileIsCountedWhileTheWindowAnswersAndNeverShowsPartialCounts) {
  const std::string big = MakeBigFile();
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {big}));
  std::vector<std::string> seen;  // every value the English characters slot showed
  bool answered = true;
  WaitFor([&] {
    DWORD_PTR result;
    answered = answered && SendMessageTimeoutA(program.Window(), WM_NULL, 0, 0, SMTO_NORMAL,
                                               5000, &result);
    const std::string shown = program.Text(1013);
    if (seen.empty() || seen.back() != shown) seen.push_back(shown);
    return shown != "0";
  }, 30000);
  EXPECT_TRUE(answered) << "the window stopped answering during the count";
  EXPECT_EQ((std::vector<std::string>{"0", "2,6843,5456"}), seen);
  EXPECT_TRUE(program.WaitForStatus("big.txt"));
}

TEST_F(TextSources, ANewDropCancelsTheCountInProgressAndItsCountsWin) {
  const std::string big = MakeBigFile();
  const std::string small = MakeTempFile("small.txt", kSample);
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {big}));
  ASSERT_TRUE(DropFiles(program, {small}));
  EXPECT_TRUE(program.WaitForStatus("small.txt"));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
  Sleep(1500);  // long enough for the big file's count to have ended, had it gone on
  EXPECT_EQ(kSampleSlots, program.Slots());
  EXPECT_EQ("small.txt", program.Text(1016));
}

TEST_F(TextSources, ClosingDuringACountEndsTheProgram) {
  const std::string big = MakeBigFile();
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {big}));
  EXPECT_TRUE(program.Close());
}

TEST_F(TextSources, AFileNameEndingInByte5CShowsWhole) {
  // "\x95\x5C" is one character whose second byte is the value of '\'.
  const std::string name = "x\x95\x5C.txt";
  const std::string path = MakeTempFile(name, "ab");
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {path}));
  EXPECT_TRUE(program.WaitForStatus(name));
}

TEST_F(TextSources, ClipboardModeCountsEachCopiedText) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(1);
  ASSERT_TRUE(PutClipboardText(kSample));
  EXPECT_TRUE(program.WaitForStatus(kSample));  // the text itself
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));

  ASSERT_TRUE(PutClipboardImage());  // no text: nothing changes
  Sleep(500);
  EXPECT_EQ(kSample, program.Text(1016));
  EXPECT_TRUE(program.WaitForSlots(kSampleSlots));
}

TEST_F(TextSources, AHugeClipboardTextIsCountedAndItsBeginningShown) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(1);
  ASSERT_TRUE(PutClipboardText(std::string(64 << 20, 'a')));
  EXPECT_TRUE(WaitFor([&] { return program.Text(1013) == "6710,8864"; }, 30000));
  EXPECT_EQ(std::string(512, 'a'), program.Text(1016));
}

TEST_F(TextSources, OutsideClipboardModeACopyChangesNothingUntilTheModeIsChosen) {
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(PutClipboardText("abc"));
  Sleep(500);
  EXPECT_EQ(kHint, program.Text(1016));
  EXPECT_EQ(Slots(6, "0"), program.Slots());
  program.SelectMode(1);  // counts what is already there
  EXPECT_TRUE(program.WaitForStatus("abc"));
  EXPECT_EQ("3", program.Text(1013));
}

TEST_F(TextSources, NotepadInTheForegroundIsCounted) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(0);
  Notepad notepad;
  ASSERT_TRUE(notepad.Started());
  notepad.SetText(kSample);
  notepad.BringToFront();
  EXPECT_TRUE(program.WaitForStatus(notepad.Caption()));
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

TEST_F(TextSources, ALetterTypedInNotepadShows) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(0);
  Notepad notepad;
  ASSERT_TRUE(notepad.Started());
  notepad.SetText(kSample);
  notepad.BringToFront();
  ASSERT_TRUE(WaitFor([&] { return program.Slots() == kSampleSlots; }));
  notepad.TypeAtEnd('x');
  EXPECT_TRUE(WaitFor([&] { return program.Text(1013) == "7"; }));
}

std::string Formatted(uint64_t count) {
  char text[kCountTextSize];
  FormatCount(Count(count), text, sizeof text);
  return text;
}

// Big enough that copying it costs the sampler real time, so copies are
// spaced; its English characters are counted whole, letters at the very
// end included.
TEST_F(TextSources, ABigNotepadDocumentIsCountedWholeAndFollowsTyping) {
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
  for (uint64_t typed = 1; typed <= 2; ++typed) {
    notepad.TypeAtEnd('x');
    const std::string more = Formatted(corpus.counts.enChars + typed);
    EXPECT_TRUE(WaitFor([&] { return program.Text(1013) == more; })) << program.Text(1013);
  }
}

}  // namespace
