#pragma once
// Named string settings under HKEY_CURRENT_USER\Vantorix\<subkey>, one REG_SZ
// value per key, written without a terminator. Numbers are stored as their
// decimal text, ticks as "Yes" or "No". Names and values are UTF-16, so the
// settings read the same under every code page; a code page 936 system's
// ANSI calls stored these very names, so earlier versions' settings carry
// over.

#include <cstddef>
#include <string>

// `operation` is "Read" or "Write". Write stores the text in `buffer`; Read
// fills `buffer` with the stored value (a text; a REG_DWORD or REG_QWORD as
// its decimal text; values of other types are not read). Either way
// `buffer` ends up holding the value or a status text ("写入信息成功",
// "打开注册表失败", ...), cut to `bufferSize` characters and always
// terminated: nothing past it is touched. Returns 1 on success, 0 on failure; no status text begins with a
// digit, so a number read from a failed read is 0.
int AccessSetting(const wchar_t* operation, const wchar_t* subkey,
                  const wchar_t* valueName, wchar_t* buffer, size_t bufferSize);

// For fixed-size buffers.
template <size_t N>
int AccessSetting(const wchar_t* operation, const wchar_t* subkey,
                  const wchar_t* valueName, wchar_t (&buffer)[N]) {
  return AccessSetting(operation, subkey, valueName, buffer, N);
}

// Subkeys and value names.
inline constexpr wchar_t kSettingWindowX[] = L"窗口X位置";
inline constexpr wchar_t kSettingWindowY[] = L"窗口Y位置";
inline constexpr wchar_t kSettingMode[] = L"计算模式";
inline constexpr wchar_t kSettingFrequency[] = L"控制计算频率";
inline constexpr wchar_t kSettingCnChars[] = L"中文字数";
inline constexpr wchar_t kSettingCnPunct[] = L"中文标点";
inline constexpr wchar_t kSettingEnChars[] = L"英文字数";
inline constexpr wchar_t kSettingEnPunct[] = L"英文标点";
inline constexpr wchar_t kSettingTopmost[] = L"窗口置顶";
inline constexpr wchar_t kSettingEnabled[] = L"是否启用";
inline constexpr wchar_t kSettingDailyTarget[] = L"每日目标";

// Typed settings on top of AccessSetting. A setting named by `subkey` alone
// keeps its value under a value of the same name.

// The text stored, or, when it cannot be read, the read's status text (the
// frequency box takes either, and judges it itself).
std::wstring ReadSettingText(const wchar_t* subkey);
void WriteSettingText(const wchar_t* subkey, const std::wstring& text);

// The stored number as atoi reads it; `fallback` when it cannot be read.
int ReadNumberSetting(const wchar_t* subkey, int fallback);
void WriteNumberSetting(const wchar_t* subkey, int value);

// A Yes/No flag, stored under the value "是否启用" of `subkey`.
enum class StoredFlag { kYes, kNo, kNeither };  // kNeither: absent or anything else
StoredFlag ReadFlagSetting(const wchar_t* subkey);
void WriteFlagSetting(const wchar_t* subkey, bool yes);
