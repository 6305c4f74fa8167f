#include "sources/file_reader.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <string>

#include "engine/recount.h"
#include "res/resource.h"
#include "res/texts.h"
#include "sources/background_count.h"
#include "sources/text_stream.h"
#include "sources/win32_file.h"

namespace {

class Win32File : public ChunkSource {
 public:
  Win32File(HANDLE file, const FileState& opened) : file_(file), opened_(opened) {}
  int64_t Read(char* buffer, size_t capacity) override {
    if (ReadPastOpenedSize(opened_, read_)) return 0;
    DWORD got = 0;
    if (!ReadFilePiece(file_, buffer, DWORD(capacity), got)) return -1;
    read_ += got;
    return got;
  }
  bool IsFile() const override { return true; }  // only files on disk are counted
  bool Unchanged(uint64_t bytesRead, bool toEnd) const override {
    return FileUnchanged(file_, opened_, bytesRead, toEnd);
  }

 private:
  HANDLE file_;
  FileState opened_;
  uint64_t read_ = 0;
};

// Files that are plainly text; anything else is counted only when the user
// says so.
const wchar_t* const kTextExtensions[] = {L".txt", L".cpp", L".c", L".h", L".asm"};

void ShowStatus(const wchar_t* text) { SetSlotText(IDC_STATUS, text); }

// Shown after the file name when the file was converted, so the user sees
// how it was read.
const wchar_t* ReadingSuffix(Encoding encoding) {
  return encoding == Encoding::kUtf8 ? L" (UTF-8)" : L" (UTF-16)";
}

}  // namespace

const wchar_t* FileNamePart(const wchar_t* path) {
  const wchar_t* slash = std::wcsrchr(path, L'\\');
  return slash ? slash + 1 : path;
}

bool HasTextExtension(const wchar_t* path) {
  const wchar_t* dot = std::wcsrchr(path, L'.');
  if (!dot) return false;
  for (const wchar_t* known : kTextExtensions)
    if (CompareStringOrdinal(dot, -1, known, -1, TRUE) == CSTR_EQUAL) return true;
  return false;
}

namespace {

std::vector<std::wstring> g_waitingFiles;  // dropped files still to count
OtherTypeQuestion g_ask = nullptr;         // asked for each file of another type
// Counts each call of AnalyzeFiles: the question's own message loop may let
// a newer drop in, which supersedes the files still waiting and the one
// asked about.
unsigned g_drop = 0;
void StartNextFile();

// One file's count.
class FileJob : public CountJob {
 public:
  FileJob(HANDLE file, const FileState& opened, std::wstring name)
      : file_(file), opened_(opened), name_(std::move(name)) {}
  ~FileJob() override { CloseHandle(file_); }

  void Run() override {
    Win32File source(file_, opened_);
    result_ = CountTextStream(source, EncodingChoice::kAuto, TextSink(), [&](uint64_t done) {
      Progress(int(std::min<uint64_t>(99, done * 100 / opened_.size)));
      return !Cancelled();
    });
  }

  void ShowProgress(int percent) override {
    ShowStatus((name_ + L"  " + std::to_wstring(percent) + L"%").c_str());
  }

  void Show() override {
    // The name without its progress, and how the file was read if converted.
    const bool converted =
        result_.status == StreamStatus::kCounted && result_.encoding != Encoding::kGbk;
    ShowStatus((converted ? name_ + ReadingSuffix(result_.encoding) : name_).c_str());
    switch (result_.status) {
      case StreamStatus::kEmpty:
        ShowZeroResults();  // the status line keeps the file name
        break;
      case StreamStatus::kNotAnsi:
      case StreamStatus::kMalformed:
        ShowZeroResults();
        ShowStatus(kNotAnsiText);
        break;
      case StreamStatus::kReadFailed:
      case StreamStatus::kCancelled:
        ShowStatus(kReadFailedText);
        break;
      case StreamStatus::kChanged:
        ShowZeroResults();  // no number passes for this file's count
        ShowStatus(kFileChangedText);
        break;
      case StreamStatus::kCounted:
        result_.counts->Tally().Publish();
        break;
    }
    StartNextFile();
  }

 private:
  HANDLE file_;
  FileState opened_;
  std::wstring name_;  // as the status line shows it
  StreamCount result_;
};

enum class FileStart {
  kCounting,    // a count is under way
  kNot,         // declined, or the file could not be had: the status says so
  kSuperseded,  // a newer drop came while the question was open
};

// Starts counting `path` unless the user declines or it cannot be opened.
FileStart StartFileCount(const std::wstring& path) {
  const unsigned drop = g_drop;
  const wchar_t* name = FileNamePart(path.c_str());
  ShowStatus(name);  // also says which file a question is about
  if (!HasTextExtension(path.c_str()) && !(g_ask && g_ask()))
    return g_drop == drop ? FileStart::kNot : FileStart::kSuperseded;
  if (g_drop != drop) return FileStart::kSuperseded;

  HANDLE file = OpenFileForReading(path);
  // Only files on disk: a pipe or a device would have no size and could
  // keep the count waiting in a read.
  FileState opened;
  if (file == INVALID_HANDLE_VALUE || !ReadFileState(file, opened)) {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    ShowStatus(kCannotOpenText);
    return FileStart::kNot;
  }
  if (opened.size == 0) {
    CloseHandle(file);
    ShowZeroResults();  // the status line keeps the file name
    return FileStart::kNot;
  }
  if (!StartCount(std::make_shared<FileJob>(file, opened, name))) {
    ShowStatus(kReadFailedText);
    return FileStart::kNot;
  }
  return FileStart::kCounting;
}

// Counts the waiting files in turn until one is under way; a newer drop
// has its own turn, and nothing of this one is left.
void StartNextFile() {
  while (!g_waitingFiles.empty()) {
    const std::wstring path = g_waitingFiles.front();
    g_waitingFiles.erase(g_waitingFiles.begin());
    if (StartFileCount(path) != FileStart::kNot) return;
  }
}

}  // namespace

void AnalyzeFiles(std::vector<std::wstring> paths, OtherTypeQuestion ask) {
  ++g_drop;
  CancelCount();
  g_waitingFiles = std::move(paths);
  g_ask = ask;
  StartNextFile();
}

