// The settings store over the real registry (Wine's, in the test prefix).
#include "settings/settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>

#include "tests/harness/program.h"

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
    PutTyped(REG_SZ, text.c_str(), text.size() * sizeof(wchar_t));
  }
  static void PutTyped(DWORD type, const void* data, size_t bytes) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Vantorix\\测试项", 0, nullptr,
                                             0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExW(key, kValue, 0, type, static_cast<const BYTE*>(data), DWORD(bytes));
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

// A value of another type, as regedit, a tweak tool or another program
// leaves it: a number is read as the number it holds, never as the
// characters its bytes happen to make (4000 as a REG_DWORD read U+0FA0,
// so 0; 49 read "1"); bytes are no text.
TEST_F(SettingsStore, ValuesOfOtherTypesAreReadAsWhatTheyHold) {
  using Answer = std::pair<std::wstring, int>;
  const DWORD dword = 4000, small = 49, high = 0xFFFFFFFF;
  const uint64_t qword = 300;
  const wchar_t multi[] = L"Yes\0No\0";  // with the array's own final terminator
  const wchar_t expand[] = L"1.5";
  const char binary[] = {'3', '0', '0'};
  const struct {
    DWORD type;
    const void* data;
    size_t bytes;
    Answer read;
  } cases[] = {
      {REG_DWORD, &dword, sizeof dword, {L"4000", 1}},
      {REG_DWORD, &small, sizeof small, {L"49", 1}},
      {REG_DWORD, &high, sizeof high, {L"4294967295", 1}},
      {REG_QWORD, &qword, sizeof qword, {L"300", 1}},
      {REG_MULTI_SZ, multi, sizeof multi, {L"Yes", 1}},
      {REG_EXPAND_SZ, expand, sizeof expand - sizeof(wchar_t), {L"1.5", 1}},
      {REG_BINARY, binary, sizeof binary, {L"查询注册表失败", 0}},
      {REG_NONE, nullptr, 0, {L"查询注册表失败", 0}},
      {REG_SZ, nullptr, 0, {L"", 1}},  // empty: a number of 0
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << ", " << c.bytes << " bytes");
    PutTyped(c.type, c.data, c.bytes);
    EXPECT_EQ(c.read, Access(L"Read"));
  }
}

// A key that another program (a policy, a clean-up tool) left readable
// but not writable: its setting is still read; writing says it failed.
TEST_F(SettingsStore, AKeyThatMayOnlyBeReadIsRead) {
  PutRaw(L"300");
  ASSERT_TRUE(LockSetting("测试项"));
  HKEY key;
  ASSERT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Vantorix\\测试项", 0,
                                         KEY_SET_VALUE, &key))
      << "the system does not keep the key from being written";
  EXPECT_EQ(std::make_pair(std::wstring(L"300"), 1), Access(L"Read"));
  EXPECT_EQ(0, Access(L"Write", L"400").second);
  EXPECT_EQ(std::make_pair(std::wstring(L"300"), 1), Access(L"Read"));
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
