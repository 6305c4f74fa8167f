// Today's writing on the real window: 今日 (1024) follows a document
// typed into, a restart the same day carries today on, a history held by
// another program is saved at exit once let go, the session's end saves
// the day, the daily target is stored and shown on the strip, and the
// writing record shows 30 days.
#include <gtest/gtest.h>

#include <string>

#include "tests/harness/program.h"

namespace {

constexpr UINT kDailyTargetCommand = 0x0020;
constexpr UINT kWritingRecordCommand = 0x0030;

class TodaysWriting : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllSettings();
    StoreSetting("计算模式", "计算模式", "3");  // start with no mode running
  }
  static bool WaitForToday(const Program& program, const std::string& text) {
    return WaitFor([&] { return program.Text(1024) == text; });
  }
  // The editor in front, holding "abc", is counted and grows to "abcdefgh":
  // today's row is then ",3,8,5," (first 3, latest 8, growth 5).
  static bool GrowByFive(Program& program, StandInEditor& writer) {
    program.SelectMode(0);
    writer.BringToFront();
    if (!program.WaitForSlots({"0", "0", "3", "0", "3", "3"})) return false;
    writer.SetText("abcdefgh");
    return WaitForToday(program, "今日 5");
  }
};

// Growth is the document's latest total less its first of the day: typing
// adds, deleting takes away; at exit the day is saved, and the next start
// the same day goes on from it.
TEST_F(TodaysWriting, TypingAndDeletingMoveTodayAndARestartCarriesItOn) {
  StandInEditor writer(StandInEditor::Shape::kRichEdit);
  writer.SetText("abc");
  {
    Program program;
    ASSERT_TRUE(program.Started());
    program.SelectMode(0);
    writer.BringToFront();
    ASSERT_TRUE(program.WaitForSlots({"0", "0", "3", "0", "3", "3"}));
    EXPECT_TRUE(WaitForToday(program, "今日 0"));
    writer.SetText("abcdefgh");
    EXPECT_TRUE(WaitForToday(program, "今日 5"));
    writer.SetText("abcdef");
    EXPECT_TRUE(WaitForToday(program, "今日 3")) << program.Text(1024);
    writer.Select(0, 2);  // a selection is no writing
    EXPECT_TRUE(program.WaitForSlots({"0", "0", "2", "0", "2", "2"}));
    EXPECT_EQ("今日 3", program.Text(1024));
    writer.Select(0, 0);
    ASSERT_TRUE(program.Close());
  }
  const std::string history = ReadFileAt(WritingHistoryPath());
  EXPECT_EQ(0u, history.rfind("\xEF\xBB\xBF", 0)) << "UTF-8 with a byte-order mark";
  EXPECT_NE(std::string::npos, history.find(",3,6,3,")) << history;

  Program again;
  ASSERT_TRUE(again.Started());
  again.SelectMode(0);
  writer.BringToFront();
  EXPECT_TRUE(WaitForToday(again, "今日 3")) << again.Text(1024);
  writer.SetText("abcdefghij");
  EXPECT_TRUE(WaitForToday(again, "今日 7")) << again.Text(1024);
}

// A history another program holds (Excel keeps a file it opened from
// being replaced) is not saved at exit: the window says so and offers to
// try again once that program has let go, rather than lose the day.
TEST_F(TodaysWriting, AHistoryHeldByAnotherProgramAtExitIsSavedOnceLetGo) {
  StandInEditor writer(StandInEditor::Shape::kRichEdit);
  writer.SetText("abc");
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(GrowByFive(program, writer));
  const std::string path = WritingHistoryPath();
  ASSERT_TRUE(WriteFileAt(path, ""));
  HANDLE held = CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  program.SysCommand(SC_CLOSE);
  HWND box = program.WaitForMessageBox();
  ASSERT_TRUE(box) << "the day's writing went unsaved, unsaid";
  EXPECT_NE(std::string::npos, Program::MessageBoxText(box).find(path))
      << Program::MessageBoxText(box);
  Program::Answer(box, IDRETRY);  // still held: asked again
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  box = program.WaitForMessageBox();
  ASSERT_TRUE(box);
  CloseHandle(held);
  Program::Answer(box, IDRETRY);
  EXPECT_TRUE(program.WaitForExit());
  EXPECT_NE(std::string::npos, ReadFileAt(path).find(",3,8,5,")) << ReadFileAt(path);
}

// A history grown too large to read is no file another program holds: the
// box says to move it, and once it is moved the day goes to a new file.
TEST_F(TodaysWriting, AHistoryTooLargeToReadIsToBeMovedAtExit) {
  const std::string path = WritingHistoryPath();
  ASSERT_TRUE(WriteFileAt(path, ""));
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  LARGE_INTEGER size;
  size.QuadPart = (64 << 20) + 1;
  EXPECT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
  CloseHandle(file);
  StandInEditor writer(StandInEditor::Shape::kRichEdit);
  writer.SetText("abc");
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(GrowByFive(program, writer));
  program.SysCommand(SC_CLOSE);
  const HWND box = program.WaitForMessageBox();
  ASSERT_TRUE(box) << "the day's writing went unsaved, unsaid";
  EXPECT_NE(std::string::npos, Program::MessageBoxText(box).find("64 MB"))
      << Program::MessageBoxText(box);
  const std::string moved = path + ".old";
  ASSERT_TRUE(MoveFileW(Wide(path).c_str(), Wide(moved).c_str()));
  Program::Answer(box, IDRETRY);
  EXPECT_TRUE(program.WaitForExit());
  EXPECT_NE(std::string::npos, ReadFileAt(path).find(",3,8,5,")) << ReadFileAt(path);
  DeleteFileW(Wide(moved).c_str());
}

// At the end of the session (log off, shut down) the system ends the
// program once it has answered WM_ENDSESSION, without closing its window:
// the day's writing is saved by then, not lost with the last 30 s.
TEST_F(TodaysWriting, TheSessionsEndSavesTheDay) {
  StandInEditor writer(StandInEditor::Shape::kRichEdit);
  writer.SetText("abc");
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(GrowByFive(program, writer));
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(program.Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                  SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_TRUE(answer) << "the program kept the session from ending";
  ASSERT_TRUE(SendMessageTimeoutW(program.Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF,
                                  SMTO_ABORTIFHUNG, 5000, &answer));
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, program.ProcessId());
  ASSERT_TRUE(process);
  TerminateProcess(process, 0);  // as the system does
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
  EXPECT_NE(std::string::npos, ReadFileAt(WritingHistoryPath()).find(",3,8,5,"))
      << ReadFileAt(WritingHistoryPath());
}

// The target from the system menu: a wrong entry is refused with a message
// and changes nothing; a number is stored and shown, on the strip too.
TEST_F(TodaysWriting, TheDailyTargetIsStoredAndShownOnTheStrip) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SysCommand(kDailyTargetCommand);
  HWND dialog = program.WaitForDialog("每日目标");
  ASSERT_TRUE(dialog);
  SetDlgItemTextW(dialog, 1100, L"四千");
  Program::Answer(dialog, IDOK);
  HWND refusal = program.WaitForDialog("提示");
  ASSERT_TRUE(refusal);
  EXPECT_EQ("请输入一个整数（例如 4000），或填 0、留空表示不设目标。", Program::MessageBoxText(refusal));
  Program::Answer(refusal, IDOK);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(refusal); }));
  EXPECT_EQ("<none>", StoredSetting("每日目标", "每日目标"));
  SetDlgItemTextW(dialog, 1100, L" 4000 ");
  Program::Answer(dialog, IDOK);
  EXPECT_TRUE(WaitFor([&] { return StoredSetting("每日目标", "每日目标") == "4000"; }));
  EXPECT_TRUE(WaitForToday(program, "今日 0 / 4000（0%）")) << program.Text(1024);

  program.PressKey(VK_RETURN);  // the strip
  ASSERT_TRUE(WaitFor([&] { return program.Visible(1020) && !program.Visible(1006); }));
  RECT today, strip;
  GetWindowRect(program.Control(1024), &today);
  GetWindowRect(program.Window(), &strip);
  EXPECT_TRUE(program.Visible(1024));
  EXPECT_GE(today.top, strip.top);
  EXPECT_LE(today.bottom, strip.bottom) << "today's line inside the strip";
  EXPECT_LE(today.right, strip.right);

  program.SysCommand(kDailyTargetCommand);  // cleared: no target
  dialog = program.WaitForDialog("每日目标");
  ASSERT_TRUE(dialog);
  SetDlgItemTextW(dialog, 1100, L"");
  Program::Answer(dialog, IDOK);
  EXPECT_TRUE(WaitForToday(program, "今日 0"));
  EXPECT_EQ("0", StoredSetting("每日目标", "每日目标"));
}

// A stored target is read by the dialog's own rule: what it would refuse
// is no target, never a number made of part of it.
TEST_F(TodaysWriting, AStoredTargetTheDialogWouldRefuseIsNoTarget) {
  const char* const stored[][2] = {
      {"99999999999", "今日 0"},  // it had shown 21,4748,3647
      {"1e9", "今日 0"},          // and 1
      {" 4000 ", "今日 0 / 4000（0%）"},
  };
  for (const auto& s : stored) {
    SCOPED_TRACE(s[0]);
    StoreSetting("每日目标", "每日目标", s[0]);
    Program program;
    ASSERT_TRUE(program.Started());
    EXPECT_TRUE(WaitForToday(program, s[1])) << program.Text(1024);
  }
}

// The record lists the last 30 days, today last, in its picture's text.
TEST_F(TodaysWriting, TheWritingRecordShowsThirtyDays) {
  StoreSetting("每日目标", "每日目标", "500");
  Program program;
  ASSERT_TRUE(program.Started());
  program.SysCommand(kWritingRecordCommand);
  HWND record = program.WaitForDialog("写作记录");
  ASSERT_TRUE(record);
  const std::string days = Program::WindowCaption(GetDlgItem(record, 1110));
  EXPECT_EQ(0u, days.rfind("近 30 天：", 0)) << days;
  size_t entries = 1;
  for (size_t at = days.find("，"); at != std::string::npos; at = days.find("，", at + 1)) ++entries;
  EXPECT_EQ(30u, entries) << days;
  EXPECT_EQ(0u, Program::WindowCaption(GetDlgItem(record, 1111)).rfind("今日 0 / 500（0%）", 0));
  Program::Answer(record, IDOK);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(record) || !IsWindowVisible(record); }));
}

}  // namespace
