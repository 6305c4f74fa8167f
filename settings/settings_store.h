#pragma once
// Named string settings under HKEY_CURRENT_USER\Vantorix\<subkey>, one REG_SZ
// value per key, written without a terminator. Numbers are stored as their
// decimal text, ticks as "Yes" or "No".

#include <cstddef>
#include <string>

// `operation` is "Read" or "Write". Write stores the text in `buffer`; Read
// fills `buffer` with the stored value. Either way `buffer` ends up holding
// the value or a status text ("写入信息成功", "打开注册表失败", ...), cut to
// `bufferSize` and always terminated: nothing past it is touched. Returns 1
// on success, 0 on failure; no status text begins with a digit, so atoi of
// a failed read is 0.
int AccessSetting(const char* operation, const char* subkey,
                  const char* valueName, char* buffer, size_t bufferSize);

// For fixed-size buffers.
template <size_t N>
int AccessSetting(const char* operation, const char* subkey,
                  const char* valueName, char (&buffer)[N]) {
  return AccessSetting(operation, subkey, valueName, buffer, N);
}

// Subkeys and value names.
inline constexpr char kSettingWindowX[] = "窗口X位置";
inline constexpr char kSettingWindowY[] = "窗口Y位置";
inline constexpr char kSettingMode[] = "计算模式";
inline constexpr char kSettingFrequency[] = "控制计算频率";
inline constexpr char kSettingCnChars[] = "中文字数";
inline constexpr char kSettingCnPunct[] = "中文标点";
inline constexpr char kSettingEnChars[] = "英文字数";
inline constexpr char kSettingEnPunct[] = "英文标点";
inline constexpr char kSettingTopmost[] = "窗口置顶";
inline constexpr char kSettingEnabled[] = "是否启用";

// Typed settings on top of AccessSetting. A setting named by `subkey` alone
// keeps its value under a value of the same name.

// The text stored, or, when it cannot be read, the read's status text (the
// frequency box takes either, and judges it itself).
std::string ReadSettingText(const char* subkey);
void WriteSettingText(const char* subkey, const std::string& text);

// The stored number as atoi reads it; `fallback` when it cannot be read.
int ReadNumberSetting(const char* subkey, int fallback);
void WriteNumberSetting(const char* subkey, int value);

// A Yes/No flag, stored under the value "是否启用" of `subkey`.
enum class StoredFlag { kYes, kNo, kNeither };  // kNeither: absent or anything else
StoredFlag ReadFlagSetting(const char* subkey);
void WriteFlagSetting(const char* subkey, bool yes);
