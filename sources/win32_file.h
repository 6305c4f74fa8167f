#pragma once
// Opening a file to count it, on Windows: shared by the window and
// vantorix-count.exe, so both read a file alike.

#include <windows.h>

#include <cstdint>
#include <string>

// Opens the existing file at `path` (UTF-16, any length) for reading, with
// sequential reads, while letting others read, write and delete it: a text
// an editor holds open is counted all the same, and reading harms nobody.
// INVALID_HANDLE_VALUE on failure, with GetLastError saying why.
HANDLE OpenFileForReading(const std::wstring& path);

// `path` in the form that opens exactly the file it names: the "\\?\"
// form, which the file functions take beyond 260 characters (it needs no
// system-wide setting and works on every Windows) and which keeps a name's
// trailing space or dot, that the system's clean-up would drop. A shorter
// path without such a name is left as it is, device names and all.
std::wstring LongPathForm(const std::wstring& path);

// `path` made whole against `currentDirectory` (itself whole): separators
// as '\', "." and ".." taken out, every other name kept as it is.
std::wstring FullPathKeepingNames(const std::wstring& path, const std::wstring& currentDirectory);

// What a file was when its count began, to tell whether another program
// changed it under the count.
struct FileState {
  uint64_t size = 0;
  FILETIME written = {};
};

// False when the system cannot tell (not a file on disk, or it failed).
bool ReadFileState(HANDLE file, FileState& state);

// True when `file`, whose count read `bytesRead` bytes (to its end when
// `toEnd`), is still as `before`: same size and last write, every byte read.
bool FileUnchanged(HANDLE file, const FileState& before, uint64_t bytesRead, bool toEnd);

// True when a count has read more of the file than it held when opened as
// `opened`: the file has changed (FileUnchanged says so), and reading on
// would chase a file that another program keeps lengthening.
inline bool ReadPastOpenedSize(const FileState& opened, uint64_t bytesRead) {
  return bytesRead > opened.size;
}

// ReadFile. For the tests of a file changed while counted, a pause before
// each read: VX_TEST_READ_PAUSE_MS in the environment, in milliseconds.
bool ReadFilePiece(HANDLE file, char* buffer, DWORD capacity, DWORD& got);
