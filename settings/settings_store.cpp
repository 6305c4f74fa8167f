#include "settings/settings_store.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>

#include "res/texts.h"

namespace {

constexpr size_t kScratchSize = 260;  // longest value read, in characters, with terminator

int Report(wchar_t* buffer, size_t bufferSize, const wchar_t* text, int result) {
  if (bufferSize > 0) lstrcpynW(buffer, text, int(bufferSize));
  return result;
}

// "Vantorix\<subkey>"; false when it would not fit the key path's 260
// characters.
bool KeyPath(const wchar_t* subkey, std::wstring& path) {
  path = std::wstring(L"Vantorix\\") + subkey;
  return path.size() < MAX_PATH;
}

int ReadSetting(const wchar_t* subkey, const wchar_t* valueName, wchar_t* buffer,
                size_t bufferSize) {
  std::wstring path;
  HKEY key;
  // Only the right to read: a key another program left read-only is still read.
  if (!KeyPath(subkey, path) ||
      RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return Report(buffer, bufferSize, kSettingOpenFailedText, 0);
  wchar_t scratch[kScratchSize + 1] = {};
  DWORD type = REG_NONE;
  DWORD size = kScratchSize * sizeof(wchar_t);
  const LONG status = RegQueryValueExW(key, valueName, nullptr, &type,
                                       reinterpret_cast<BYTE*>(scratch), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return Report(buffer, bufferSize, kSettingQueryFailedText, 0);
  // A number stored as one (by regedit or another program) is read as its
  // decimal text, not as the characters its bytes would make.
  if ((type == REG_DWORD && size == sizeof(DWORD)) ||
      (type == REG_QWORD && size == sizeof(unsigned long long))) {
    unsigned long long number = 0;
    std::memcpy(&number, scratch, size);
    return Report(buffer, bufferSize, std::to_wstring(number).c_str(), 1);
  }
  // The value must be text and fit with its terminator (the system may or
  // may not store one, so look for the text's end rather than trust the size).
  if ((type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) ||
      !std::wmemchr(scratch, L'\0', kScratchSize))
    return Report(buffer, bufferSize, kSettingQueryFailedText, 0);
  return Report(buffer, bufferSize, scratch, 1);
}

int WriteSetting(const wchar_t* subkey, const wchar_t* valueName, wchar_t* buffer,
                 size_t bufferSize) {
  std::wstring path;
  HKEY key;
  if (!KeyPath(subkey, path) ||
      RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return Report(buffer, bufferSize, kSettingCreateFailedText, 0);
  const size_t length = wcsnlen(buffer, bufferSize);
  const LONG status = RegSetValueExW(key, valueName, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(buffer),
                                     DWORD(length * sizeof(wchar_t)));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return Report(buffer, bufferSize, kSettingWriteFailedText, 0);
  return Report(buffer, bufferSize, kSettingWrittenText, 1);
}

}  // namespace

int AccessSetting(const wchar_t* operation, const wchar_t* subkey,
                  const wchar_t* valueName, wchar_t* buffer, size_t bufferSize) {
  if (std::wcscmp(operation, L"Read") == 0)
    return ReadSetting(subkey, valueName, buffer, bufferSize);
  if (std::wcscmp(operation, L"Write") == 0)
    return WriteSetting(subkey, valueName, buffer, bufferSize);
  return Report(buffer, bufferSize, kSettingBadOperationText, 0);
}

namespace {

// Room for any value (the longest readable is 259 characters) or status text.
using SettingBuffer = wchar_t[kScratchSize];

}  // namespace

std::wstring ReadSettingText(const wchar_t* subkey) {
  SettingBuffer text;
  AccessSetting(L"Read", subkey, subkey, text);
  return text;
}

void WriteSettingText(const wchar_t* subkey, const std::wstring& text) {
  SettingBuffer buffer;
  lstrcpynW(buffer, text.c_str(), int(std::size(buffer)));
  AccessSetting(L"Write", subkey, subkey, buffer);
}

int ReadNumberSetting(const wchar_t* subkey, int fallback) {
  SettingBuffer text;
  return AccessSetting(L"Read", subkey, subkey, text) ? _wtoi(text) : fallback;
}

void WriteNumberSetting(const wchar_t* subkey, int value) {
  WriteSettingText(subkey, std::to_wstring(value));
}

StoredFlag ReadFlagSetting(const wchar_t* subkey) {
  SettingBuffer text;
  AccessSetting(L"Read", subkey, kSettingEnabled, text);
  if (std::wcscmp(text, L"Yes") == 0) return StoredFlag::kYes;
  if (std::wcscmp(text, L"No") == 0) return StoredFlag::kNo;
  return StoredFlag::kNeither;
}

void WriteFlagSetting(const wchar_t* subkey, bool yes) {
  SettingBuffer text;
  lstrcpynW(text, yes ? L"Yes" : L"No", int(std::size(text)));
  AccessSetting(L"Write", subkey, kSettingEnabled, text);
}
