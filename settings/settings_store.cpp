#include "settings/settings_store.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kScratchSize = 260;  // longest value read, with terminator

int Report(char* buffer, size_t bufferSize, const char* text, int result) {
  if (bufferSize > 0) lstrcpynA(buffer, text, int(bufferSize));
  return result;
}

bool KeyPath(const char* subkey, char (&path)[MAX_PATH]) {
  const int n = std::snprintf(path, sizeof path, "Vantorix\\%s", subkey);
  return n > 0 && size_t(n) < sizeof path;
}

int ReadSetting(const char* subkey, const char* valueName, char* buffer, size_t bufferSize) {
  char path[MAX_PATH];
  HKEY key;
  if (!KeyPath(subkey, path) ||
      RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return Report(buffer, bufferSize, "打开注册表失败", 0);
  char scratch[kScratchSize + 1] = {};
  DWORD size = kScratchSize;
  const LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(scratch), &size);
  RegCloseKey(key);
  // The value must fit with its terminator (the system may or may not store
  // one, so look for the text's end rather than trust the size).
  if (status != ERROR_SUCCESS || !std::memchr(scratch, 0, kScratchSize))
    return Report(buffer, bufferSize, "查询注册表失败", 0);
  return Report(buffer, bufferSize, scratch, 1);
}

int WriteSetting(const char* subkey, const char* valueName, char* buffer, size_t bufferSize) {
  char path[MAX_PATH];
  HKEY key;
  if (!KeyPath(subkey, path) ||
      RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return Report(buffer, bufferSize, "打开或创建注册表失败", 0);
  const size_t length = strnlen(buffer, bufferSize);
  const LONG status = RegSetValueExA(key, valueName, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(buffer), DWORD(length));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return Report(buffer, bufferSize, "写入信息失败", 0);
  return Report(buffer, bufferSize, "写入信息成功", 1);
}

}  // namespace

int AccessSetting(const char* operation, const char* subkey,
                  const char* valueName, char* buffer, size_t bufferSize) {
  if (std::strcmp(operation, "Read") == 0)
    return ReadSetting(subkey, valueName, buffer, bufferSize);
  if (std::strcmp(operation, "Write") == 0)
    return WriteSetting(subkey, valueName, buffer, bufferSize);
  return Report(buffer, bufferSize, "输入的参数错误", 0);
}

namespace {

// Room for any value (the longest readable is 259 bytes) or status text.
using SettingBuffer = char[kScratchSize];

}  // namespace

std::string ReadSettingText(const char* subkey) {
  SettingBuffer text;
  AccessSetting("Read", subkey, subkey, text);
  return text;
}

void WriteSettingText(const char* subkey, const std::string& text) {
  SettingBuffer buffer;
  lstrcpynA(buffer, text.c_str(), sizeof buffer);
  AccessSetting("Write", subkey, subkey, buffer);
}

int ReadNumberSetting(const char* subkey, int fallback) {
  SettingBuffer text;
  return AccessSetting("Read", subkey, subkey, text) ? std::atoi(text) : fallback;
}

void WriteNumberSetting(const char* subkey, int value) {
  WriteSettingText(subkey, std::to_string(value));
}

StoredFlag ReadFlagSetting(const char* subkey) {
  SettingBuffer text;
  AccessSetting("Read", subkey, kSettingEnabled, text);
  if (std::strcmp(text, "Yes") == 0) return StoredFlag::kYes;
  if (std::strcmp(text, "No") == 0) return StoredFlag::kNo;
  return StoredFlag::kNeither;
}

void WriteFlagSetting(const char* subkey, bool yes) {
  SettingBuffer text;
  lstrcpynA(text, yes ? "Yes" : "No", sizeof text);
  AccessSetting("Write", subkey, kSettingEnabled, text);
}
