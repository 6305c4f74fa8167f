#include "sources/win32_file.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

// The system's clean-up of a path drops a trailing space or dot from a
// name, opening another file than the one named ("a.txt " is "a.txt").
bool HasNameEndingInSpaceOrDot(const std::wstring& path) {
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i])) continue;
    const std::wstring name = path.substr(start, i - start);
    if (!name.empty() && name != L"." && name != L".." &&
        (name.back() == L' ' || name.back() == L'.'))
      return true;
    start = i + 1;
  }
  return false;
}

std::wstring CurrentDirectory() {
  std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
  folder.resize(GetCurrentDirectoryW(DWORD(folder.size()), &folder[0]));
  return folder;
}

// The length of the root of a full path: "C:" or "\\server\share".
size_t RootLength(const std::wstring& full) {
  if (!StartsWith(full, L"\\\\")) return std::min<size_t>(2, full.size());
  size_t end = full.find(L'\\', 2);                        // after the server
  if (end != std::wstring::npos) end = full.find(L'\\', end + 1);  // after the share
  return end == std::wstring::npos ? full.size() : end;
}

}  // namespace

std::wstring FullPathKeepingNames(const std::wstring& path, const std::wstring& currentDirectory) {
  std::wstring p = path;
  for (wchar_t& c : p)
    if (c == L'/') c = L'\\';
  // The root, and the folders the path starts from.
  std::wstring base, rest;
  if (StartsWith(p, L"\\\\")) {
    const size_t root = RootLength(p);
    base = p.substr(0, root);
    rest = p.substr(root);
  } else if (p.size() >= 2 && p[1] == L':') {
    const bool sameDrive = currentDirectory.size() >= 2 &&
                           std::towupper(currentDirectory[0]) == std::towupper(p[0]) &&
                           currentDirectory[1] == L':';
    base = p.size() > 2 && p[2] == L'\\' ? p.substr(0, 2)
           : sameDrive                   ? currentDirectory
                                         : p.substr(0, 2);
    rest = p.substr(2);
  } else if (!p.empty() && p[0] == L'\\') {
    base = currentDirectory.substr(0, RootLength(currentDirectory));
    rest = p;
  } else {
    base = currentDirectory;
    rest = L"\\" + p;
  }
  const size_t rootLength = RootLength(base);
  std::wstring full = base;
  // Each name as it is; "." stays put and ".." goes up, never above the root.
  size_t start = 0;
  for (size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && rest[i] != L'\\') continue;
    const std::wstring name = rest.substr(start, i - start);
    start = i + 1;
    if (name.empty() || name == L".") continue;
    if (name == L"..") {
      const size_t up = full.rfind(L'\\');
      full.resize(up != std::wstring::npos && up >= rootLength ? up : rootLength);
      continue;
    }
    full += L'\\';
    full += name;
  }
  if (full.size() == rootLength) full += L'\\';
  return full;
}

std::wstring LongPathForm(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
  if (path.size() < MAX_PATH && !HasNameEndingInSpaceOrDot(path)) return path;
  // "\\?\" turns off the system's clean-up of the path: make it whole first.
  const std::wstring full = FullPathKeepingNames(path, CurrentDirectory());
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

HANDLE OpenFileForReading(const std::wstring& path) {
  return CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool ReadFileState(HANDLE file, FileState& state) {
  LARGE_INTEGER size;
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) ||
      !GetFileTime(file, nullptr, nullptr, &state.written))
    return false;
  state.size = uint64_t(size.QuadPart);
  return true;
}

bool FileUnchanged(HANDLE file, const FileState& before, uint64_t bytesRead, bool toEnd) {
  FileState now;
  return ReadFileState(file, now) && now.size == before.size &&
         CompareFileTime(&now.written, &before.written) == 0 &&
         (toEnd ? bytesRead == before.size : bytesRead <= before.size);
}

namespace {

DWORD ReadPauseMs() {
  static const DWORD pause = [] {
    wchar_t value[16];
    const DWORD n = GetEnvironmentVariableW(L"VX_TEST_READ_PAUSE_MS", value, 16);
    return n > 0 && n < 16 ? DWORD(std::wcstoul(value, nullptr, 10)) : DWORD(0);
  }();
  return pause;
}

}  // namespace

bool ReadFilePiece(HANDLE file, char* buffer, DWORD capacity, DWORD& got) {
  if (const DWORD pause = ReadPauseMs()) Sleep(pause);
  got = 0;
  return ReadFile(file, buffer, capacity, &got, nullptr) != FALSE;
}
