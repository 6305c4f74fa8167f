// Windows side: the UTF-16 command line, ReadFile on handles, and UTF-8 or
// the console's UTF-16 for output.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/platform.h"
#include "sources/text_encoding.h"
#include "sources/win32_file.h"

const char* const kNewline = "\r\n";

namespace {

// UTF-16 to UTF-8, an unpaired surrogate as its own three bytes (the form
// UTF-8 leaves out, so nothing of a Windows name is lost).
std::string Utf8FromWide(const wchar_t* text, size_t length) {
  std::string out;
  out.reserve(length * 3);
  for (size_t i = 0; i < length; ++i) {
    uint32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1]))
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    AppendUtf8(c, out);
  }
  return out;
}

// The reverse: any sequence of one to four bytes of that shape back to its
// units; a byte of no such sequence becomes U+FFFD.
std::wstring WideFromUtf8(const std::string& text) {
  std::wstring out;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    const unsigned char b = p[i];
    const int len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
    bool whole = len > 0 && i + len <= text.size();
    for (int k = 1; whole && k < len; ++k) whole = (p[i + k] & 0xC0) == 0x80;
    if (!whole) {
      out += wchar_t(0xFFFD);
      ++i;
      continue;
    }
    const uint32_t c = Utf8CodePoint(p + i, len);
    if (c >= 0x10000) {
      out += wchar_t(0xD800 + ((c - 0x10000) >> 10));
      out += wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += wchar_t(c);
    }
    i += size_t(len);
  }
  return out;
}

std::string SystemMessage(DWORD code) {
  switch (code) {  // the words wc uses, for the common cases
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
      return "Permission denied";
  }
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out = text ? Utf8FromWide(text, wcslen(text)) : "error " + std::to_string(code);
  LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.'))
    out.pop_back();
  return out;
}

class HandleSource : public InputSource {
 public:
  HandleSource(HANDLE handle, bool owned)
      : handle_(handle), owned_(owned), file_(ReadFileState(handle, opened_)),
        start_(file_ ? StartOf(handle, opened_) : 0), read_(start_) {}
  ~HandleSource() override {
    if (owned_) CloseHandle(handle_);
  }
  int64_t Read(char* buffer, size_t capacity) override {
    if (file_ && ReadPastOpenedSize(opened_, read_)) return 0;
    DWORD got = 0;
    if (ReadFilePiece(handle_, buffer, DWORD(capacity), got)) {
      read_ += got;
      return got;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return 0;  // a pipe's end
    error_ = SystemMessage(code);
    return -1;
  }

  bool IsFile() const override { return file_; }
  bool Unchanged(uint64_t bytesRead, bool toEnd) const override {
    return !file_ || FileUnchanged(handle_, opened_, start_ + bytesRead, toEnd);
  }

 private:
  // Where reading starts: standard input may be a file that a script has
  // read part of already (cmd's "set /p" of a title line); what is left is
  // the count, as wc has it.
  static uint64_t StartOf(HANDLE file, const FileState& opened) {
    LARGE_INTEGER at = {};
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT) || at.QuadPart < 0) return 0;
    return std::min<uint64_t>(uint64_t(at.QuadPart), opened.size);
  }

  HANDLE handle_;
  bool owned_;
  FileState opened_;
  bool file_;
  uint64_t start_;
  uint64_t read_;  // the file's bytes before where reading stands
};

// Standard input from a console: what is typed, read as UTF-16 and handed
// on as UTF-8 (CountInput reads it so). ReadFile would give it in the
// console's code page, where Chinese typed on an English system (437) is
// "??". A line beginning with Ctrl+Z ends the input, as it ends ReadFile's.
class ConsoleSource : public InputSource {
 public:
  explicit ConsoleSource(HANDLE console) : console_(console) {}
  int64_t Read(char* buffer, size_t capacity) override {
    // Three bytes of UTF-8 at most a unit; one unit kept back for a pair
    // split between reads.
    if (capacity < 6) return -1;  // never asked: reads are of a chunk
    const DWORD most = DWORD(std::min<size_t>(capacity / 3, 1 << 16)) - 1;
    std::wstring units = held_;
    held_.clear();
    units.resize(units.size() + most);
    DWORD got = 0;
    if (!ReadConsoleW(console_, &units[units.size() - most], most, &got, nullptr)) {
      error_ = SystemMessage(GetLastError());
      return -1;
    }
    units.resize(units.size() - most + got);
    if (got > 0 && units[units.size() - got] == 0x1A) return 0;
    if (!units.empty() && IsHighSurrogate(units.back()) && got > 0) {
      held_ = units.back();
      units.pop_back();
    }
    const std::string text = Utf8FromWide(units.data(), units.size());
    std::memcpy(buffer, text.data(), text.size());
    return int64_t(text.size());
  }
  bool TypedText() const override { return true; }

 private:
  HANDLE console_;
  std::wstring held_;  // a high surrogate whose low one is still to come
};

// Writes `text` to a console in pieces (older systems refuse a console
// write of more than about 26,000 characters), never splitting a
// surrogate pair.
bool WriteToConsole(HANDLE console, const std::wstring& text, std::string& error) {
  constexpr size_t kPiece = 8192;
  for (size_t at = 0; at < text.size();) {
    const size_t piece = WholeUtf16Prefix(text.data() + at, text.size() - at, kPiece);
    DWORD written = 0;
    if (!WriteConsoleW(console, text.data() + at, DWORD(piece), &written, nullptr) ||
        written == 0) {
      error = SystemMessage(GetLastError());
      return false;
    }
    at += written;
  }
  return true;
}

// False with the system's words in `error` when not all of `text` was written.
bool Write(DWORD which, const std::string& text, std::string& error) {
  if (text.empty()) return true;
  const HANDLE handle = GetStdHandle(which);
  if (handle == INVALID_HANDLE_VALUE || !handle) {  // started without this handle
    error = SystemMessage(ERROR_INVALID_HANDLE);
    return false;
  }
  DWORD mode;
  if (GetConsoleMode(handle, &mode)) return WriteToConsole(handle, WideFromUtf8(text), error);
  for (size_t at = 0; at < text.size();) {
    DWORD written = 0;
    if (!WriteFile(handle, text.data() + at, DWORD(text.size() - at), &written, nullptr)) {
      error = SystemMessage(GetLastError());
      return false;
    }
    if (written == 0) {  // succeeded with nothing: the disk took no more
      error = SystemMessage(ERROR_DISK_FULL);
      return false;
    }
    at += written;
  }
  return true;
}

}  // namespace

std::vector<std::string> Arguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 0; wide && i < count; ++i) args.push_back(Utf8FromWide(wide[i], wcslen(wide[i])));
  LocalFree(wide);
  return args;
}

namespace {

bool IsPattern(const std::wstring& name) { return name.find_first_of(L"*?") != std::wstring::npos; }

// The files `pattern` matches in its folder, sorted as Explorer lists
// them by name (ignoring case); folders are left out.
std::vector<std::wstring> FilesMatching(const std::wstring& pattern) {
  const size_t slash = pattern.find_last_of(L"\\/:");
  const std::wstring folder = slash == std::wstring::npos ? L"" : pattern.substr(0, slash + 1);
  std::vector<std::wstring> found;
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileExW(LongPathForm(pattern).c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      found.push_back(folder + entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  std::sort(found.begin(), found.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) ==
           CSTR_LESS_THAN;
  });
  return found;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::vector<std::string> ExpandFileNames(const std::vector<std::string>& names) {
  std::vector<std::string> files;
  for (const std::string& name : names) {
    const std::wstring wide = WideFromUtf8(name);
    const std::vector<std::wstring> matches =
        name != "-" && IsPattern(wide) &&
                GetFileAttributesW(LongPathForm(wide).c_str()) == INVALID_FILE_ATTRIBUTES
            ? FilesMatching(wide)
            : std::vector<std::wstring>();
    if (matches.empty()) files.push_back(name);
    for (const std::wstring& match : matches) files.push_back(Utf8FromWide(match.data(), match.size()));
  }
  return files;
}

bool StandardInputIsConsole() {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}
const char* const kEndOfInputKeys = "Ctrl+Z, then Enter";

std::unique_ptr<InputSource> OpenInput(const std::string& name, std::string& error) {
  if (name == "-") {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (StandardInputIsConsole()) return std::make_unique<ConsoleSource>(input);
    return std::make_unique<HandleSource>(input, false);
  }
  const HANDLE file = OpenFileForReading(WideFromUtf8(name));
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    // A folder cannot be opened as a file: say what it is, as on Linux.
    error = code == ERROR_ACCESS_DENIED && IsFolder(WideFromUtf8(name)) ? "Is a directory"
                                                                        : SystemMessage(code);
    return nullptr;
  }
  // A device (NUL, COM1, CON) is no file: reading one may give nothing, or
  // wait for ever. Standard input ("-") and named pipes are read as streams.
  const DWORD type = GetFileType(file);
  if (type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) {
    CloseHandle(file);
    error = "is a device, not a file";
    return nullptr;
  }
  return std::make_unique<HandleSource>(file, true);
}

std::FILE* OpenTempFile(std::string& error) {
  wchar_t folder[MAX_PATH + 1], path[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
  if (n == 0 || n > MAX_PATH) {  // a longer folder sets no error of its own
    error = "the temporary folder: " + SystemMessage(n ? ERROR_BUFFER_OVERFLOW : GetLastError());
    return nullptr;
  }
  if (!GetTempFileNameW(folder, L"vxc", 0, path)) {
    error = Utf8FromWide(folder, n) + ": " + SystemMessage(GetLastError());
    return nullptr;
  }
  const HANDLE handle = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = Utf8FromWide(path, wcslen(path)) + ": " + SystemMessage(GetLastError());
    DeleteFileW(path);
    return nullptr;
  }
  const int fd = _open_osfhandle(intptr_t(handle), _O_RDWR | _O_BINARY);
  std::FILE* file = fd >= 0 ? _fdopen(fd, "w+b") : nullptr;
  if (!file) {
    error = "cannot open the temporary file";
    if (fd >= 0) _close(fd); else CloseHandle(handle);
  }
  return file;
}

void InitConsole() {
  // Bytes as they are: no CR added before LF, no end at a 0x1A byte.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool WriteOut(const std::string& text, std::string& error) {
  return Write(STD_OUTPUT_HANDLE, text, error);
}
void WriteErr(const std::string& text) {
  std::string ignored;
  Write(STD_ERROR_HANDLE, text, ignored);
}
