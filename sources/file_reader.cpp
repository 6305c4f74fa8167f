#include "sources/file_reader.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "engine/recount.h"
#include "framework/dialog.h"
#include "framework/win_app.h"
#include "framework/file_dialog.h"
#include "res/resource.h"
#include "sources/text_stream.h"

namespace {

class Win32File : public ChunkSource {
 public:
  explicit Win32File(HANDLE file) : file_(file) {}
  int64_t Read(char* buffer, size_t capacity) override {
    DWORD got = 0;
    if (!ReadFile(file_, buffer, DWORD(capacity), &got, nullptr)) return -1;
    return got;
  }

 private:
  HANDLE file_;
};

// Files that are plainly text; anything else is counted only when the user
// says so.
const char* const kTextExtensions[] = {".txt", ".cpp", ".c", ".h", ".asm"};

const char* LastCharacter(const char* text, char wanted) {
  const char* found = nullptr;
  for (const char* p = text; *p; p = CharNextExA(CP_ACP, p, 0))
    if (*p == wanted) found = p;
  return found;
}

// The question has no owner, so the main window would go on taking input
// while it waits (a mode change, another drop) and could be re-entered: keep
// it disabled for the question's time.
bool UserWantsToCount() {
  CWinApp* app = AfxGetApp();
  HWND main = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
  const bool wasEnabled = main && !EnableWindow(main, FALSE);
  const int answer = MessageBoxA(nullptr, "该文件可能不是纯文本格式，是否继续分析？", "提示",
                                 MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO);
  if (wasEnabled) EnableWindow(main, TRUE);
  return answer == IDYES;
}

void ShowStatus(const char* text) { SetSlotText(IDC_STATUS, text); }

// Shown after the file name when the file was converted, so the user sees
// how it was read.
const char* ReadingSuffix(Encoding encoding) {
  return encoding == Encoding::kUtf8 ? " (UTF-8)" : " (UTF-16)";
}

}  // namespace

const char* FileNamePart(const char* path) {
  const char* slash = LastCharacter(path, '\\');
  return slash ? slash + 1 : path;
}

bool HasTextExtension(const char* path) {
  const char* dot = LastCharacter(path, '.');
  if (!dot) return false;
  for (const char* known : kTextExtensions)
    if (lstrcmpiA(dot, known) == 0) return true;
  return false;
}

namespace {

// A count shows its progress once it has taken this long, and then at
// this pace.
constexpr DWORD kProgressAfterMs = 500;
constexpr DWORD kProgressEveryMs = 100;

// What the message says: LPARAM.
enum CountEvent : LPARAM { kProgress, kDone };

// One file's count, shared by the user-interface thread and the count's
// thread; whichever lets go last frees it.
struct FileJob {
  HANDLE file;
  uint64_t size;
  std::string name;  // as the status line shows it
  HWND window;
  WPARAM serial;
  std::atomic<bool> cancelled{false};
  std::atomic<int> percent{0};
  StreamCount result;  // written by the count's thread before it posts kDone
};

// Only the user-interface thread touches these.
HWND g_countWindow = nullptr;
std::shared_ptr<FileJob> g_job;
HANDLE g_jobThread = nullptr;
WPARAM g_lastSerial = 0;
std::vector<std::string> g_waitingFiles;

DWORD WINAPI CountFile(void* param) {
  std::unique_ptr<std::shared_ptr<FileJob>> owner(static_cast<std::shared_ptr<FileJob>*>(param));
  FileJob& job = **owner;
  Win32File source(job.file);
  const DWORD start = GetTickCount();
  DWORD shown = 0;
  job.result = CountTextStream(source, EncodingChoice::kAuto, TextSink(), [&](uint64_t done) {
    if (job.cancelled) return false;
    const DWORD now = GetTickCount();
    if (now - start >= kProgressAfterMs && now - shown >= kProgressEveryMs && job.size) {
      job.percent = int(std::min<uint64_t>(99, done * 100 / job.size));
      PostMessageA(job.window, kFileCountMessage, job.serial, kProgress);
      shown = now;
    }
    return true;
  });
  CloseHandle(job.file);
  PostMessageA(job.window, kFileCountMessage, job.serial, kDone);
  return 0;
}

void ShowResult(const FileJob& job) {
  const StreamCount& result = job.result;
  ShowStatus(job.name.c_str());  // without its progress
  switch (result.status) {
    case StreamStatus::kEmpty:
      ShowZeroResults();  // the status line keeps the file name
      break;
    case StreamStatus::kNotAnsi:
    case StreamStatus::kMalformed:
      ShowZeroResults();
      ShowStatus("暂不支持非 ANSI 编码文件！");
      break;
    case StreamStatus::kReadFailed:
    case StreamStatus::kCancelled:
      ShowStatus("读取文件失败~");
      break;
    case StreamStatus::kCounted:
      if (result.encoding != Encoding::kGbk)
        ShowStatus((job.name + ReadingSuffix(result.encoding)).c_str());
      result.counts->Tally().Publish();
      break;
  }
}

void ForgetThread(DWORD waitMs) {
  if (!g_jobThread) return;
  WaitForSingleObject(g_jobThread, waitMs);
  CloseHandle(g_jobThread);
  g_jobThread = nullptr;
}

// Starts counting `path` unless the user declines or it cannot be opened;
// true when a count is under way.
bool StartFileCount(const std::string& path) {
  if (!HasTextExtension(path.c_str()) && !UserWantsToCount()) return false;
  const char* name = FileNamePart(path.c_str());
  ShowStatus(name);

  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  // Only files on disk: a pipe or a device would have no size and could
  // keep the count waiting in a read.
  LARGE_INTEGER size;
  if (file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK ||
      !GetFileSizeEx(file, &size)) {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    ShowStatus("无法获取文件大小");
    return false;
  }
  if (size.QuadPart == 0) {
    CloseHandle(file);
    ShowZeroResults();  // the status line keeps the file name
    return false;
  }
  auto job = std::make_shared<FileJob>();
  job->file = file;
  job->size = uint64_t(size.QuadPart);
  job->name = name;
  job->window = g_countWindow;
  job->serial = ++g_lastSerial;
  auto* threadShare = new std::shared_ptr<FileJob>(job);
  g_jobThread = CreateThread(nullptr, 0, CountFile, threadShare, 0, nullptr);
  if (!g_jobThread) {
    delete threadShare;
    CloseHandle(file);
    ShowStatus("读取文件失败~");
    return false;
  }
  g_job = job;
  return true;
}

// Counts the waiting files in turn until one is under way.
void StartNextFile() {
  while (!g_job && !g_waitingFiles.empty()) {
    const std::string path = g_waitingFiles.front();
    g_waitingFiles.erase(g_waitingFiles.begin());
    StartFileCount(path);
  }
}

}  // namespace

void SetFileCountWindow(HWND window) { g_countWindow = window; }

void AnalyzeFiles(std::vector<std::string> paths) {
  CancelFileCount();
  g_waitingFiles = std::move(paths);
  StartNextFile();
}

void AnalyzeFile(const char* path) { AnalyzeFiles({path}); }

void CancelFileCount(DWORD waitMs) {
  g_waitingFiles.clear();
  if (g_job) g_job->cancelled = true;
  g_job.reset();
  ForgetThread(waitMs);
}

bool FileCountRunning() { return g_job != nullptr; }

void OnFileCountMessage(WPARAM serial, LPARAM event) {
  if (!g_job || serial != g_job->serial) return;  // a cancelled count's last word
  if (event == kProgress) {
    const std::string text = g_job->name + "  " + std::to_string(g_job->percent) + "%";
    ShowStatus(text.c_str());
    return;
  }
  const std::shared_ptr<FileJob> job = std::move(g_job);
  ForgetThread(INFINITE);  // it has posted its last message: ending now
  ShowResult(*job);
  StartNextFile();
}

void ChooseAndAnalyzeFile() {
  CFileDialog dialog(TRUE, "DEM Files (*DEM)", nullptr,
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT |
                         OFN_ALLOWMULTISELECT | OFN_ENABLESIZING,
                     "纯文本文件 (*.txt、*.cpp、*.c、*.h、*.asm)|*.txt; *.cpp; *.c; *.h; *.asm||");
  dialog.SetTitle("请选择文件");
  if (dialog.DoModal() != IDOK) return;
  const std::string path = dialog.GetPathName();
  if (!path.empty()) AnalyzeFile(path.c_str());
}
