// The real program under the inputs that once broke it: clipboard texts in
// a storm, editors switched while a copy is slow, an editor with thousands
// of windows, an editor slow to answer, names the system would clean up,
// files cut short or lengthened while they are counted, damaged drops, and
// closing while a dialog of its own is open.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/harness/program.h"

namespace {

using Slots = std::vector<std::string>;

class Attack : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllSettings();
    StoreSetting("计算模式", "计算模式", "3");  // start with no mode running
  }
};

// A big text (counted off the window's thread) and at once a small one,
// over and over: the clipboard is read on the window's thread alone, so no
// count reads data that the next text replaced, and the newest text shows.
TEST_F(Attack, BigAndSmallClipboardTextsInAStormEndWithTheNewest) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(1);
  const std::string big(600000, 'a');  // 1.2 MB as UTF-16
  std::string small;
  for (int round = 0; round < 300; ++round) {
    ASSERT_TRUE(PutClipboardText(big)) << round << " " << GetLastError();
    small = "第" + std::to_string(100 + round) + "轮";
    ASSERT_TRUE(PutClipboardText(small)) << round << " " << GetLastError();
  }
  EXPECT_TRUE(program.WaitForStatus(small, 10000)) << program.Text(1016);
  EXPECT_TRUE(program.WaitForSlots({"2", "0", "3", "0", "5", "5"}, 10000))
      << ::testing::PrintToString(program.Slots()) << " under " << program.Text(1016).substr(0, 40)
      << "; the clipboard holds " << ClipboardText().substr(0, 40);
  EXPECT_TRUE(program.Answers());
}

// The status line's caption and the counts below it are always one
// editor's: after the foreground moves from an editor whose copy is slow to
// a small one, no look finds the new caption over the old counts.
TEST_F(Attack, TheCaptionShownIsAlwaysThatOfTheCountsShown) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(0);
  // It claims a length whose copy gets 370 ms, and takes 300 over each.
  StandInEditor slow(StandInEditor::Shape::kWindows11, {8000000, 300});
  slow.SetText("abcdefg");
  StandInEditor small(StandInEditor::Shape::kClassicEnglish);
  small.SetText("中文");
  const Slots slowSlots = {"0", "0", "7", "0", "7", "7"};
  const Slots smallSlots = {"2", "0", "0", "0", "2", "2"};
  for (int round = 0; round < 3; ++round) {
    slow.BringToFront();
    ASSERT_TRUE(program.WaitForSlots(slowSlots));
    ASSERT_TRUE(program.WaitForStatus(slow.Caption()));
    small.BringToFront();
    // Slots, status, slots: the two reads of the slots around the status
    // agreeing rule out a change between the looks.
    int mixed = 0;
    WaitFor([&] {
      const Slots before = program.Slots();
      const std::string status = program.Text(1016);
      if (before == slowSlots && status == small.Caption() && program.Slots() == slowSlots)
        ++mixed;
      return before == smallSlots && status == small.Caption();
    });
    EXPECT_EQ(0, mixed) << "round " << round;
    EXPECT_EQ(smallSlots, program.Slots());
  }
}

// An editor whose text control comes after thousands of other windows:
// the window answers at once all the while, and the text is counted.
TEST_F(Attack, AnEditorWithThousandsOfWindowsNeverStallsTheWindow) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(0);
  StandInEditor crowded(StandInEditor::Shape::kCrowded);
  ASSERT_TRUE(crowded.Started());
  crowded.SetText("abc");
  crowded.BringToFront();
  int stalls = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 4000)
    if (!program.Answers(1000)) ++stalls;  // a tick once took 2 s and more here
  EXPECT_EQ(0, stalls);
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "3", "0", "3", "3"}, 15000));
  EXPECT_EQ(crowded.Caption(), program.Text(1016));
}

// An editor busy between its messages, taking most of the time limit over
// each question: the window asks it seldom enough to stay at the user's
// service, and still follows its text. A round of questions takes 160 ms
// here; asked on every tick, it came about 18 times in 3 s.
TEST_F(Attack, ABusyEditorIsAskedSeldomEnoughToLeaveTheWindowFree) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(0);
  StandInEditor busy(StandInEditor::Shape::kRichEdit, {0, 0, 40});
  ASSERT_TRUE(busy.Started());
  busy.SetText("abc");
  busy.BringToFront();
  ASSERT_TRUE(program.WaitForSlots({"0", "0", "3", "0", "3", "3"}, 15000));
  const long asked = busy.LengthsAsked();
  Sleep(3000);
  EXPECT_LE(busy.LengthsAsked() - asked, 5);
  busy.SetText("abcd");
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "4", "0", "4", "4"}, 15000));
}

// Writes a file whose name the system's clean-up would change, as it is.
std::string MakeExactlyNamedFile(const std::string& name, const std::string& content) {
  const std::string path = TempFolder() + name;
  EXPECT_TRUE(WriteFileAt("\\\\?\\" + path, content)) << name;
  return path;
}

// "tr.txt " and "td.txt." beside "tr.txt" and "td.txt": each name opens
// exactly its own file. Neither ends in a known extension: each is asked
// about first.
TEST_F(Attack, ANameEndingInASpaceOrADotOpensThatFile) {
  MakeTempFile("tr.txt", "neighbour");
  MakeTempFile("td.txt", "neighbour");
  const struct {
    std::string path;
    Slots slots;
  } cases[] = {
      {MakeExactlyNamedFile("tr.txt ", "\xD6\xD0\xCE\xC4"), {"2", "0", "0", "0", "2", "2"}},
      {MakeExactlyNamedFile("td.txt.", "\xD6\xD0\xCE\xC4\xA1\xA3"), {"2", "1", "0", "0", "2", "2"}},
  };
  Program program;
  ASSERT_TRUE(program.Started());
  for (const auto& c : cases) {
    ASSERT_TRUE(DropFiles(program, {c.path}));
    HWND question = program.WaitForDialog("提示");
    ASSERT_TRUE(question);
    Program::Answer(question, IDYES);
    const std::string name = c.path.substr(c.path.rfind('\\') + 1);
    EXPECT_TRUE(program.WaitForStatus(name)) << program.Text(1016);
    EXPECT_TRUE(program.WaitForSlots(c.slots)) << name;
  }
}

// A file cut short by another program while it is counted shows no
// number as its count, but says what happened; counted again, it gives its
// new counts.
TEST_F(Attack, AFileCutShortWhileCountedSaysSoInsteadOfACount) {
  const std::string path = MakeTempFile("cut.txt", std::string(6 << 20, 'a'));
  SetEnvironmentVariableW(L"VX_TEST_READ_PAUSE_MS", L"150");  // the program inherits it
  Program program;
  SetEnvironmentVariableW(L"VX_TEST_READ_PAUSE_MS", nullptr);
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {path}));
  ASSERT_TRUE(WaitUntilOpenedElsewhere(path));
  ASSERT_TRUE(CutFileShort(path, 3 << 20));
  EXPECT_TRUE(program.WaitForStatus("文件在计算时被改动，请重新计算", 15000)) << program.Text(1016);
  EXPECT_EQ(Slots(6, "0"), program.Slots());
  ASSERT_TRUE(DropFiles(program, {path}));
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "314,5728", "0", "314,5728", "314,5728"}, 15000));
  EXPECT_EQ("cut.txt", program.Text(1016));
}

// A file that another program keeps lengthening (a log) is no count
// either: its count ends while the file still grows, past the size it had
// when opened, rather than chase it at 99 %.
TEST_F(Attack, AFileThatKeepsGrowingWhileCountedSaysSo) {
  const std::string path = MakeTempFile("grow.txt", std::string(16 << 20, 'a'));
  const std::string changed = "文件在计算时被改动，请重新计算";
  SetEnvironmentVariableW(L"VX_TEST_READ_PAUSE_MS", L"20");  // the program inherits it
  Program program;
  SetEnvironmentVariableW(L"VX_TEST_READ_PAUSE_MS", nullptr);
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {path}));
  ASSERT_TRUE(WaitUntilOpenedElsewhere(path));
  constexpr int kMostAppends = 200;  // so that a count that chases the file ends too
  int appends = 0;
  for (; appends < kMostAppends && program.Text(1016) != changed; ++appends) {
    ASSERT_TRUE(AppendToFile(path, std::string(1 << 20, 'b')));
    Sleep(10);
  }
  EXPECT_TRUE(program.WaitForStatus(changed, 30000)) << program.Text(1016);
  EXPECT_LT(appends, kMostAppends) << "the count read on while the file grew";
  EXPECT_EQ(Slots(6, "0"), program.Slots());
}

// Any program may post WM_DROPFILES: a drop whose list lies past its
// memory, or runs off its end without the closing zeros, is ignored; the
// window stands and takes the next drop.
TEST_F(Attack, ADamagedDropIsIgnored) {
  Program program;
  ASSERT_TRUE(program.Started());
  DROPFILES header = {};
  header.fWide = TRUE;
  header.pFiles = 0x7FFFFFF0;  // far past the block
  std::string wild(reinterpret_cast<const char*>(&header), sizeof header);
  wild += std::string(8, '\0');
  header.pFiles = sizeof header;
  std::string endless(reinterpret_cast<const char*>(&header), sizeof header);
  endless.resize(64 << 10, 'a');  // a whole allocation of names without an end
  for (const std::string& block : {wild, endless}) {
    void* remote = CopyIntoProgram(program, block.data(), block.size());
    ASSERT_TRUE(remote);
    ASSERT_TRUE(PostMessageW(program.Window(), WM_DROPFILES, WPARAM(remote), 0));
  }
  ASSERT_TRUE(DropFiles(program, {MakeTempFile("after.txt", "abc")}));
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "3", "0", "3", "3"}));
  EXPECT_EQ("after.txt", program.Text(1016));
}

// Told to close while a dialog of its own is open, even one a message box
// stands on (a task manager's End Task sends WM_CLOSE; the close box is
// disabled then), the program ends rather than live on hidden behind it.
TEST_F(Attack, ClosingWhileADialogIsOpenEndsTheProgram) {
  constexpr UINT kDailyTargetCommand = 0x0020, kWritingRecordCommand = 0x0030;
  for (const UINT command : {kDailyTargetCommand, kWritingRecordCommand}) {
    Program program;
    ASSERT_TRUE(program.Started());
    program.SysCommand(command);
    HWND dialog = program.WaitForDialog(command == kDailyTargetCommand ? "每日目标" : "写作记录");
    ASSERT_TRUE(dialog);
    if (command == kDailyTargetCommand) {  // refused: a message box on the dialog
      SetDlgItemTextW(dialog, 1100, L"四千");
      Program::Answer(dialog, IDOK);
      ASSERT_TRUE(program.WaitForDialog("提示"));
    }
    PostMessageW(program.Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit()) << command;
  }
}

}  // namespace
