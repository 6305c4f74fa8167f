#include "writing/history_file.h"

#include <windows.h>

#include <algorithm>

#include "sources/win32_file.h"

namespace {

constexpr DWORD kPieceSize = 1u << 20;

bool WriteAll(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    const DWORD piece = DWORD(std::min<size_t>(size, kPieceSize));
    DWORD wrote = 0;
    if (!WriteFile(file, data, piece, &wrote, nullptr) || wrote == 0) return false;
    data += wrote;
    size -= wrote;
  }
  return true;
}

bool ReadAll(HANDLE file, std::string& content) {
  size_t got = 0;
  while (got < content.size()) {
    const DWORD piece = DWORD(std::min<size_t>(content.size() - got, kPieceSize));
    DWORD n = 0;
    if (!ReadFile(file, &content[got], piece, &n, nullptr) || n == 0) return false;
    got += n;
  }
  return true;
}

}  // namespace

FileRead ReadWholeFile(const std::filesystem::path& path, std::string& content) {
  content.clear();
  const HANDLE file = OpenFileForReading(path.native());
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::kMissing
                                                                          : FileRead::kFailed;
  }
  LARGE_INTEGER size;
  bool read = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size);
  const bool tooLarge = read && uint64_t(size.QuadPart) > kLargestHistoryFile;
  if (read && !tooLarge) {
    content.resize(size_t(size.QuadPart));
    read = ReadAll(file, content);
  }
  CloseHandle(file);
  if (!read || tooLarge) content.clear();
  return tooLarge ? FileRead::kTooLarge : read ? FileRead::kRead : FileRead::kFailed;
}

bool ReplaceFileContent(const std::filesystem::path& path, const std::string& content) {
  const std::wstring target = LongPathForm(path.native());
  const std::wstring temporary =
      LongPathForm(path.native() + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp");
  const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAll(file, content.data(), content.size()) && FlushFileBuffers(file);
  const bool closed = CloseHandle(file) != FALSE;
  if (!written || !closed ||
      !MoveFileExW(temporary.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}
