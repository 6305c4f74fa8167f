// Start-up, the calculation modes, the frequency box and the category
// ticks, with the settings they keep between runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/program.h"

namespace {

using Slots = std::vector<std::string>;
const char kHint[] = "【拖拽txt文件到界面也可得到结果】";

class Startup : public ::testing::Test {
 protected:
  void SetUp() override { DeleteAllSettings(); }
};

TEST_F(Startup, AFirstRunStartsWithTheDefaults) {
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(0, program.SelectedMode());
  EXPECT_TRUE(program.Checked(1007));
  EXPECT_FALSE(program.Checked(1008));
  EXPECT_TRUE(program.Checked(1009));
  EXPECT_FALSE(program.Checked(1010));
  EXPECT_TRUE(program.Checked(1018));
  EXPECT_TRUE(program.Topmost());
  EXPECT_FALSE(program.Checked(1004));
  EXPECT_EQ("0.1", program.Text(1003));
  EXPECT_EQ("0.1", StoredSetting("控制计算频率", "控制计算频率"));
  EXPECT_EQ(Slots(6, "0"), program.Slots());
  EXPECT_EQ(kHint, program.Text(1016));

  Notepad notepad;  // sampling runs from the start
  ASSERT_TRUE(notepad.Started());
  notepad.SetText("abc");
  notepad.BringToFront();
  EXPECT_TRUE(WaitFor([&] { return program.Text(1013) == "3"; }));
}

struct FrequencyCase {
  const char* typed;
  const char* shown;   // the box afterwards
  const char* stored;  // the setting afterwards
  const char* status;
};

TEST_F(Startup, TheFrequencyBoxAcceptsCorrectsAndCaps) {
  const FrequencyCase cases[] = {
      {"1.5", "1.5", "1.5", "更改计算频率生效"},
      {"0.05", "0.1", "0.1", "计算频率不允许低于0.1"},
      {"", "0.1", "0.1", "计算频率不允许低于0.1"},        // emptied box
      {"0", "0.1", "0.1", "计算频率不允许低于0.1"},       // typed "0" of "0.5"
      {"abc", "0.1", "0.1", "计算频率不允许低于0.1"},     // not a number
      {" 2秒", " 2秒", " 2秒", "更改计算频率生效"},       // leading number counts
      {"99999999", "2147483.647", "2147483.647", "计算频率过大，已改为最大值2147483.647"},
  };
  Program program;
  ASSERT_TRUE(program.Started());
  program.Click(1004);
  ASSERT_TRUE(program.Enabled(1003));
  for (const FrequencyCase& c : cases) {
    SCOPED_TRACE(c.typed);
    program.SetText(1003, c.typed);
    EXPECT_EQ(c.shown, program.Text(1003));
    EXPECT_EQ(c.stored, StoredSetting("控制计算频率", "控制计算频率"));
    EXPECT_EQ(c.status, program.Text(1016));
  }
}

TEST_F(Startup, UntickingACategoryIsStoredAndChangesOnlyTheTotal) {
  const std::string file = MakeTempFile("ticks.txt", "\xD6\xD0\xCE\xC4" "abc");
  {
    Program program;
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(DropFiles(program, {file}));
    ASSERT_TRUE(program.WaitForStatus("ticks.txt"));
    EXPECT_TRUE(WaitFor([&] { return program.Text(1015) == "5"; }));
    program.Click(1007);
    EXPECT_EQ("No", StoredSetting("中文字数", "是否启用"));
    EXPECT_EQ((Slots{"2", "0", "3", "0", "3", "3"}), program.Slots());
    program.Click(1010);
    EXPECT_EQ("Yes", StoredSetting("英文标点", "是否启用"));
  }
  Program again;
  ASSERT_TRUE(again.Started());
  EXPECT_FALSE(again.Checked(1007));
  EXPECT_TRUE(again.Checked(1010));
  ASSERT_TRUE(DropFiles(again, {file}));
  ASSERT_TRUE(again.WaitForStatus("ticks.txt"));
  EXPECT_TRUE(WaitFor([&] { return again.Text(1015) == "3"; }));  // Chinese characters left out
}

TEST_F(Startup, AStoredClipboardModeCountsTheClipboardDuringStartUp) {
  ASSERT_TRUE(PutClipboardText("abcd"));
  StoreSetting("计算模式", "计算模式", "1");
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(1, program.SelectedMode());
  EXPECT_EQ("4", program.Text(1013));
  EXPECT_EQ(kHint, program.Text(1016));  // the hint comes last
  EXPECT_FALSE(program.Enabled(1004));
}

TEST_F(Startup, AStoredFileModeOpensTheFileDialogDuringStartUp) {
  StoreSetting("计算模式", "计算模式", "2");
  Program program(ProgramPath(), false);
  HWND dialog = program.WaitForDialog("请选择文件", 15000);
  ASSERT_TRUE(dialog);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(program.WaitForMainWindow());
  EXPECT_EQ(2, program.SelectedMode());
  EXPECT_EQ(kHint, program.Text(1016));
}

TEST_F(Startup, AStoredModeAboveTwoShowsNoMode) {
  StoreSetting("计算模式", "计算模式", "3");
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(-1, program.SelectedMode());
  EXPECT_EQ(Slots(6, "0"), program.Slots());
  EXPECT_EQ(kHint, program.Text(1016));
}

TEST_F(Startup, SwitchingModesShowsZerosAndTheHint) {
  const std::string file = MakeTempFile("switch.txt", "abc");
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {file}));
  ASSERT_TRUE(program.WaitForStatus("switch.txt"));
  program.SelectMode(1);
  EXPECT_TRUE(program.WaitForStatus(kHint) || program.Text(1016) != "switch.txt");
  program.SelectMode(0);
  EXPECT_TRUE(program.WaitForStatus(kHint));
  EXPECT_EQ(Slots(6, "0"), program.Slots());
  EXPECT_TRUE(program.Enabled(1004));
}

}  // namespace
