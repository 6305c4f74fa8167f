// Start-up, the calculation modes, the frequency box and the category
// ticks, with the settings they keep between runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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
    program.SetText(1003, c.typed);
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

// Earlier versions wrote their settings through the ANSI calls, in code
// page 936: the names and texts they stored are read back.
TEST_F(Startup, SettingsStoredByTheAnsiEraAreReadBack) {
  if (GetACP() != 936) GTEST_SKIP() << "the ANSI era had code page 936";
  auto gbk = [](const std::string& utf8) {
    const std::wstring wide = Wide(utf8);
    std::string bytes(wide.size() * 2, '\0');
    bytes.resize(size_t(WideCharToMultiByte(936, 0, wide.data(), int(wide.size()), &bytes[0],
                                            int(bytes.size()), nullptr, nullptr)));
    return bytes;
  };
  auto storeAnsi = [&](const std::string& subkey, const std::string& value,
                       const std::string& text) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, gbk("Vantorix\\" + subkey).c_str(),
                                             0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const std::string data = gbk(text);  // without its terminator, as they wrote it
    RegSetValueExA(key, gbk(value).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size()));
    RegCloseKey(key);
  };
  storeAnsi("窗口X位置", "窗口X位置", "300");
  storeAnsi("窗口Y位置", "窗口Y位置", "200");
  storeAnsi("控制计算频率", "控制计算频率", "2.5秒");
  storeAnsi("中文字数", "是否启用", "No");
  storeAnsi("英文标点", "是否启用", "Yes");
  storeAnsi("窗口置顶", "是否启用", "No");
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(300, program.WindowRect().left);
  EXPECT_EQ(200, program.WindowRect().top);
  EXPECT_EQ("2.5秒", program.Text(1003));
  EXPECT_FALSE(program.Checked(1007));
  EXPECT_TRUE(program.Checked(1010));
  EXPECT_TRUE(program.Checked(1019));
  EXPECT_FALSE(program.Topmost());
}

}  // namespace
