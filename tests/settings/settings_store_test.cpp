// The settings store over the real registry (Wine's, in the test prefix).
#include "settings/settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

const wchar_t kSubkey[] = L"测试项";
const wchar_t kValue[] = L"测试值";

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Vantorix"); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Vantorix"); }

  // The text the operation leaves in a buffer of `size` characters, and its result.
  static std::pair<std::wstring, int> Access(const wchar_t* operation,
                                             const std::wstring& text = L"", size_t size = 300) {
    std::wstring buffer(size, L'\0');
    lstrcpynW(&buffer[0], text.c_str(), int(size));
    const int result = AccessSetting(operation, kSubkey, kValue, &buffer[0], size);
    return {buffer.c_str(), result};
  }
  // Puts a text there by hand, as another program might.
  static void PutRaw(const std::wstring& text) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Vantorix\\测试项", 0, nullptr,
                                             0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD(text.size() * sizeof(wchar_t)));
    RegCloseKey(key);
  }
};

TEST_F(SettingsStore, ReadsWhatWasWrittenAndWhatFitsAndSaysWhyNot) {
  using Answer = std::pair<std::wstring, int>;
  EXPECT_EQ(Answer(L"打开注册表失败", 0), Access(L"Read"));  // a first run
  EXPECT_EQ(Answer(L"输入的参数错误", 0), Access(L"write", L"1.5"));
  EXPECT_EQ(Answer(L"打开注册表失败", 0), Access(L"Read"));  // nothing was written
  EXPECT_EQ(Answer(L"写入信息成功", 1), Access(L"Write", L"1.5"));
  EXPECT_EQ(Answer(L"1.5", 1), Access(L"Read"));
  EXPECT_EQ(Answer(L"写入信息成功", 1), Access(L"Write", L"窗口置顶 한국어 😀"));
  EXPECT_EQ(Answer(L"窗口置顶 한국어 😀", 1), Access(L"Read"));
  // Another program's value is read only when it fits with its terminator.
  const std::wstring fits(259, L'x'), tooLong(260, L'x');
  PutRaw(fits);
  EXPECT_EQ(Answer(fits, 1), Access(L"Read"));
  PutRaw(tooLong);
  EXPECT_EQ(Answer(L"查询注册表失败", 0), Access(L"Read"));
}

TEST_F(SettingsStore, ValuesAndStatusTextsAreCutToTheBufferAndNothingPastItIsTouched) {
  ASSERT_EQ(1, Access(L"Write", std::wstring(200, L'7')).second);
  wchar_t buffer[32];
  std::wmemset(buffer, L'#', 32);
  EXPECT_EQ(1, AccessSetting(L"Read", kSubkey, kValue, buffer, 20));
  EXPECT_EQ(std::wstring(19, L'7') + L'\0' + std::wstring(12, L'#'), std::wstring(buffer, 32));
  std::wmemset(buffer, L'#', 32);
  EXPECT_EQ(0, AccessSetting(L"Read", L"无此项", kValue, buffer, 5));
  EXPECT_EQ(L'\0', buffer[4]);
  EXPECT_EQ(L'#', buffer[5]);
}

}  // namespace
