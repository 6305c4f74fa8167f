// Windows side: ReadFile on handles, the console and code page 936 for output.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cli/platform.h"

const char* const kNewline = "\r\n";

namespace {

constexpr UINT kGbk = 936;

std::string SystemMessage(DWORD code) {
  switch (code) {  // the words wc uses, for the common cases
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
      return "Permission denied";
  }
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = text ? text : "error " + std::to_string(code);
  LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.'))
    out.pop_back();
  return out;
}

class HandleSource : public InputSource {
 public:
  HandleSource(HANDLE handle, bool owned)
      : handle_(handle), owned_(owned), file_(GetFileType(handle) == FILE_TYPE_DISK) {}
  ~HandleSource() override {
    if (owned_) CloseHandle(handle_);
  }
  int64_t Read(char* buffer, size_t capacity) override {
    DWORD got = 0;
    if (ReadFile(handle_, buffer, DWORD(capacity), &got, nullptr)) return got;
    const DWORD code = GetLastError();
    if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return 0;  // a pipe's end
    error_ = SystemMessage(code);
    return -1;
  }

  bool IsFile() const override { return file_; }

 private:
  HANDLE handle_;
  bool owned_;
  bool file_;
};

std::wstring Widen(UINT codePage, const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(size_t(MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &wide[0],
                                         int(wide.size()))));
  return wide;
}

// False with the system's words in `error` when not all of `text` was written.
bool Write(DWORD which, const std::string& text, TextForm form, std::string& error) {
  if (text.empty()) return true;
  const HANDLE handle = GetStdHandle(which);
  if (handle == INVALID_HANDLE_VALUE || !handle) {  // started without this handle
    error = SystemMessage(ERROR_INVALID_HANDLE);
    return false;
  }
  DWORD mode;
  const bool console = GetConsoleMode(handle, &mode);
  const UINT cp = GetConsoleOutputCP();
  std::string bytes = text;
  // JSON stays UTF-8 whatever the console's code page: its readers expect it.
  if (console || (form == TextForm::kOwn && cp && cp != kGbk)) {
    const std::wstring wide = Widen(form == TextForm::kUtf8 ? CP_UTF8 : kGbk, text);
    DWORD written;
    if (console) {
      if (WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr)) return true;
      error = SystemMessage(GetLastError());
      return false;
    }
    bytes.assign(wide.size() * 4, '\0');
    bytes.resize(size_t(WideCharToMultiByte(cp, 0, wide.data(), int(wide.size()), &bytes[0],
                                            int(bytes.size()), nullptr, nullptr)));
  }
  for (size_t at = 0; at < bytes.size();) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + at, DWORD(bytes.size() - at), &written, nullptr)) {
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

std::unique_ptr<InputSource> OpenInput(const std::string& name, std::string& error) {
  if (name == "-") return std::make_unique<HandleSource>(GetStdHandle(STD_INPUT_HANDLE), false);
  const HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = SystemMessage(GetLastError());
    return nullptr;
  }
  return std::make_unique<HandleSource>(file, true);
}

std::FILE* OpenTempFile() { return std::tmpfile(); }

void InitConsole() {
  // Bytes as they are: no CR added before LF, no end at a 0x1A byte.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool WriteOut(const std::string& text, TextForm form, std::string& error) {
  return Write(STD_OUTPUT_HANDLE, text, form, error);
}
void WriteErr(const std::string& text) {
  std::string ignored;
  Write(STD_ERROR_HANDLE, text, TextForm::kOwn, ignored);
}

std::string TextToUtf8(const std::string& text) {
  const std::wstring wide = Widen(kGbk, text);
  std::string utf8(wide.size() * 3, '\0');
  utf8.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0],
                                         int(utf8.size()), nullptr, nullptr)));
  return utf8;
}

bool GbkCharToText(const unsigned char* bytes, size_t size, std::string& out) {
  wchar_t wide[2];
  if (MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes),
                          int(size), wide, 2) <= 0)
    return false;
  out.assign(reinterpret_cast<const char*>(bytes), size);
  return true;
}
