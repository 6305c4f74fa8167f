#pragma once
// Opening a file to count it, on Windows: shared by the window and
// vantorix-count.exe, so both read a file alike.

#include <windows.h>

#include <string>

// Opens the existing file at `path` (UTF-16, any length) for reading, with
// sequential reads, while letting others read, write and delete it: a text
// an editor holds open is counted all the same, and reading harms nobody.
// INVALID_HANDLE_VALUE on failure, with GetLastError saying why.
HANDLE OpenFileForReading(const std::wstring& path);

// `path` in the form the file functions take beyond 260 characters (the
// "\\?\" form, which needs no system-wide setting and works on every
// Windows); a shorter path is left as it is, device names and all.
std::wstring LongPathForm(const std::wstring& path);
