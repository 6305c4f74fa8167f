// Start-up, the calculation modes, the frequency box and the category
// ticks, with the settings they keep between runs.
#include <gtest/gtest.h>

#include "tests/harness/program.h"

namespace {

using Slots = std::vector<std::string>;

class Startup : public ::testing::Test {
 protected:
  void SetUp() override { DeleteAllSettings(); }
};

TEST_F(Startup, TheFrequencyBoxAcceptsCorrectsAndCaps) {
  const struct {
    const char* typed;
    const char* shown;   // the box and the setting afterwards
    const char* status;
  } cases[] = {
      {"1.5", "1.5", "更改计算频率生效"},
      {"0.05", "0.1", "计算频率不允许低于0.1"},
      {"0", "0.1", "计算频率不允许低于0.1"},    // typed "0" of "0.5"
      {"abc", "0.1", "计算频率不允许低于0.1"},  // not a number
      {" 2秒", " 2秒", "更改计算频率生效"},     // leading number counts
      {"99999999", "2147483.647", "计算频率过大，已改为最大值2147483.647"},
  };
  Program program;
  ASSERT_TRUE(program.Started());
  program.Click(1004);
  ASSERT_TRUE(program.Enabled(1003));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    SendMessageA(program.Control(1003), WM_SETTEXT, 0, LPARAM(c.typed));
    EXPECT_EQ(c.shown, program.Text(1003));
    EXPECT_EQ(c.shown, StoredSetting("控制计算频率", "控制计算频率"));
    EXPECT_EQ(c.status, program.Text(1016));
  }
}

TEST_F(Startup, UntickingACategoryIsStoredAndChangesOnlyTheTotal) {
  const std::string file = MakeTempFile("ticks.txt", "\xD6\xD0\xCE\xC4" "abc");
  {
    Program program;
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(DropFiles(program, {file}));
    ASSERT_TRUE(program.WaitForSlots({"2", "0", "3", "0", "5", "5"}));
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
  EXPECT_TRUE(again.WaitForSlots({"2", "0", "3", "0", "3", "3"}));  // Chinese characters left out
}

}  // namespace
