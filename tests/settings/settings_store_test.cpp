// The settings store over the real registry (Wine's, in the test prefix).
#include "settings/settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kSubkey[] = "测试项";
const char kValue[] = "测试值";

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Vantorix"); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Vantorix"); }

  static std::string Read(size_t bufferSize = 300, int* result = nullptr) {
    std::string buffer(bufferSize, '\0');
    const int r = AccessSetting("Read", kSubkey, kValue, &buffer[0], bufferSize);
    if (result) *result = r;
    return buffer.c_str();
  }
  static int Write(const char* text) {
    char buffer[300];
    lstrcpynA(buffer, text, sizeof buffer);
    return AccessSetting("Write", kSubkey, kValue, buffer);
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

TEST_F(SettingsStore, AFirstRunReadsTheOpenFailure) {
  int result = -1;
  EXPECT_EQ("打开注册表失败", Read(300, &result));
  EXPECT_EQ(0, result);
}

TEST_F(SettingsStore, WriteThenReadRoundTrips) {
  char buffer[32] = "1.5";
  EXPECT_EQ(1, AccessSetting("Write", kSubkey, kValue, buffer));
  EXPECT_STREQ("写入信息成功", buffer);
  int result = 0;
  EXPECT_EQ("1.5", Read(300, &result));
  EXPECT_EQ(1, result);
  EXPECT_EQ(1, Write("窗口置顶"));
  EXPECT_EQ("窗口置顶", Read());
}

TEST_F(SettingsStore, YesIsStoredAsThreeCharactersOfTypeRegSz) {
  ASSERT_EQ(1, Write("Yes"));
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Vantorix\\测试项", 0, KEY_READ, &key));
  wchar_t data[16] = {};
  DWORD type = 0, size = sizeof data;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"测试值", nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &size));
  RegCloseKey(key);
  EXPECT_EQ(DWORD(REG_SZ), type);
  // Three characters written; Wine adds a terminator of its own on storing.
  EXPECT_TRUE(size == 3 * sizeof(wchar_t) || (size == 4 * sizeof(wchar_t) && data[3] == 0))
      << size;
  EXPECT_EQ(std::wstring(L"Yes"), std::wstring(data, 3));
}

TEST_F(SettingsStore, ADwordComesBackAsItsRawBytesUpToTheFirstZero) {
  const DWORD value = 0x00434241;  // "ABC" then 0
  PutRaw(REG_DWORD, &value, sizeof value);
  EXPECT_EQ("ABC", Read());
}

TEST_F(SettingsStore, AValueOf260BytesOrMoreCannotBeRead) {
  const std::string fits(259, 'x');
  PutRaw(REG_SZ, fits.c_str(), DWORD(fits.size()));
  EXPECT_EQ(fits, Read());
  const std::string tooLong(260, 'x');
  PutRaw(REG_SZ, tooLong.c_str(), DWORD(tooLong.size()));
  int result = -1;
  EXPECT_EQ("查询注册表失败", Read(300, &result));
  EXPECT_EQ(0, result);
}

TEST_F(SettingsStore, ALongValueIsCutToTheBufferAndNothingPastItIsTouched) {
  ASSERT_EQ(1, Write(std::string(200, '7').c_str()));
  char buffer[32];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(1, AccessSetting("Read", kSubkey, kValue, buffer, 20));
  EXPECT_EQ(std::string(19, '7'), std::string(buffer));
  for (size_t i = 20; i < sizeof buffer; ++i) EXPECT_EQ('#', buffer[i]) << i;
}

TEST_F(SettingsStore, StatusTextsAreCutToSmallBuffersToo) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(0, AccessSetting("Read", kSubkey, kValue, buffer, 5));
  EXPECT_EQ('\0', buffer[4]);
  EXPECT_EQ('#', buffer[5]);
}

TEST_F(SettingsStore, AnUnknownOperationIsRefused) {
  char buffer[32] = "Yes";
  EXPECT_EQ(0, AccessSetting("read", kSubkey, kValue, buffer));
  EXPECT_STREQ("输入的参数错误", buffer);
  EXPECT_EQ("打开注册表失败", Read());  // nothing was written
}

}  // namespace
