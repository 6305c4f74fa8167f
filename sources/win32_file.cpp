#include "sources/win32_file.h"

#include <vector>

std::wstring LongPathForm(const std::wstring& path) {
  if (path.size() < MAX_PATH) return path;
  // "\\?\" turns off the system's clean-up of the path: make it whole first.
  const DWORD room = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::vector<wchar_t> full(room + 1);
  const DWORD n = GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return path;
  const std::wstring whole(full.data(), n);
  if (whole.compare(0, 4, L"\\\\?\\") == 0 || whole.compare(0, 4, L"\\\\.\\") == 0) return whole;
  if (whole.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + whole.substr(2);
  return L"\\\\?\\" + whole;
}

HANDLE OpenFileForReading(const std::wstring& path) {
  return CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}
