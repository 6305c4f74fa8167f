// The settings store over the real registry (Wine's, in the test prefix).
#include "settings/settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char kSubkey[] = "测试项";
const char kValue[] = "测试值";

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Vantorix"); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Vantorix"); }

  // The text the operation leaves in a buffer of `size` bytes, and its result.
  static std::pair<std::string, int> Access(const char* operation, const std::string& text = "",
                                            size_t size = 300) {
    std::string buffer(size, '\0');
    lstrcpynA(&buffer[0], text.c_str(), int(size));
    const int result = AccessSetting(operation, kSubkey, kValue, &buffer[0], size);
    return {buffer.c_str(), result};
  }
  // Puts raw data there by hand, as another program might.
  static void PutRaw(DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Vantorix\\测试项", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, kValue, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
};

TEST_F(SettingsStore, ReadsWhatWasWrittenAndWhatFitsAndSaysWhyNot) {
  using Answer = std::pair<std::string, int>;
  EXPECT_EQ(Answer("打开注册表失败", 0), Access("Read"));  // a first run
  EXPECT_EQ(Answer("输入的参数错误", 0), Access("write", "1.5"));
  EXPECT_EQ(Answer("打开注册表失败", 0), Access("Read"));  // nothing was written
  EXPECT_EQ(Answer("写入信息成功", 1), Access("Write", "1.5"));
  EXPECT_EQ(Answer("1.5", 1), Access("Read"));
  EXPECT_EQ(Answer("写入信息成功", 1), Access("Write", "窗口置顶"));
  EXPECT_EQ(Answer("窗口置顶", 1), Access("Read"));
  // Another program's value is read only when it fits with its terminator.
  const std::string fits(259, 'x'), tooLong(260, 'x');
  PutRaw(REG_SZ, fits.c_str(), DWORD(fits.size()));
  EXPECT_EQ(Answer(fits, 1), Access("Read"));
  PutRaw(REG_SZ, tooLong.c_str(), DWORD(tooLong.size()));
  EXPECT_EQ(Answer("查询注册表失败", 0), Access("Read"));
}

TEST_F(SettingsStore, ValuesAndStatusTextsAreCutToTheBufferAndNothingPastItIsTouched) {
  ASSERT_EQ(1, Access("Write", std::string(200, '7')).second);
  char buffer[32];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(1, AccessSetting("Read", kSubkey, kValue, buffer, 20));
  EXPECT_EQ(std::string(19, '7') + '\0' + std::string(12, '#'), std::string(buffer, sizeof buffer));
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(0, AccessSetting("Read", "无此项", kValue, buffer, 5));
  EXPECT_EQ('\0', buffer[4]);
  EXPECT_EQ('#', buffer[5]);
}

}  // namespace
