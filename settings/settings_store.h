#pragma once
// Named string settings under HKEY_CURRENT_USER\Vantorix\<subkey>, one REG_SZ
// value per key, written without a terminator. Numbers are stored as their
// decimal text, ticks as "Yes" or "No".

#include <cstddef>

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
