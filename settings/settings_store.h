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
#define SETTING_WINDOW_X "窗口X位置"
#define SETTING_WINDOW_Y "窗口Y位置"
#define SETTING_MODE "计算模式"
#define SETTING_FREQUENCY "控制计算频率"
#define SETTING_CN_CHARS "中文字数"
#define SETTING_CN_PUNCT "中文标点"
#define SETTING_EN_CHARS "英文字数"
#define SETTING_EN_PUNCT "英文标点"
#define SETTING_TOPMOST "窗口置顶"
#define SETTING_ENABLED "是否启用"
