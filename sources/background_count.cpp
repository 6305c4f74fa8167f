#include "sources/background_count.h"

#include <vector>

namespace {

// A count shows its progress once it has taken this long, and then at
// this pace.
constexpr DWORD kProgressAfterMs = 500;
constexpr DWORD kProgressEveryMs = 100;

// What a message says: its LPARAM.
enum CountEvent : LPARAM { kProgress, kDone };

// Only the window's thread touches these.
HWND g_window = nullptr;
std::shared_ptr<CountJob> g_job;
WPARAM g_lastSerial = 0;
// Every count's thread not yet seen to end, cancelled ones included: the
// process must not end under any of them.
std::vector<HANDLE> g_threads;

// Closes the threads that have ended, waiting at most `waitMs` in all.
void ReapThreads(DWORD waitMs) {
  const DWORD start = GetTickCount();
  for (auto it = g_threads.begin(); it != g_threads.end();) {
    const DWORD spent = GetTickCount() - start;
    const DWORD wait = waitMs == INFINITE ? INFINITE : spent < waitMs ? waitMs - spent : 0;
    if (WaitForSingleObject(*it, wait) != WAIT_OBJECT_0) {
      ++it;
      continue;
    }
    CloseHandle(*it);
    it = g_threads.erase(it);
  }
}

}  // namespace

// The job is shared by the two threads; whichever lets go last frees it.
class BackgroundCounter {
 public:
  static DWORD WINAPI Run(void* param) {
    std::unique_ptr<std::shared_ptr<CountJob>> owner(static_cast<std::shared_ptr<CountJob>*>(param));
    CountJob& job = **owner;
    job.Run();
    PostMessageW(job.window_, kCountMessage, job.serial_, kDone);
    return 0;
  }
  static void Prepare(CountJob& job) {
    job.window_ = g_window;
    job.serial_ = ++g_lastSerial;
    job.start_ = GetTickCount();
  }
  static bool Due(CountJob& job, int percent) {
    const DWORD now = GetTickCount();
    if (now - job.start_ < kProgressAfterMs || now - job.shown_ < kProgressEveryMs) return false;
    job.shown_ = now;
    job.percent_ = percent;
    PostMessageW(job.window_, kCountMessage, job.serial_, kProgress);
    return true;
  }
  static WPARAM Serial(const CountJob& job) { return job.serial_; }
  static int Percent(const CountJob& job) { return job.percent_; }
  static void Cancel(CountJob& job) { job.cancelled_ = true; }
};

bool CountJob::Progress(int percent) { return BackgroundCounter::Due(*this, percent); }

void SetCountWindow(HWND window) { g_window = window; }

bool StartCount(std::shared_ptr<CountJob> job) {
  CancelCount();
  BackgroundCounter::Prepare(*job);
  auto* threadShare = new std::shared_ptr<CountJob>(job);
  const HANDLE thread = CreateThread(nullptr, 0, BackgroundCounter::Run, threadShare, 0, nullptr);
  if (!thread) {
    delete threadShare;
    return false;
  }
  g_threads.push_back(thread);
  g_job = std::move(job);
  return true;
}

void CancelCount(DWORD waitMs) {
  if (g_job) BackgroundCounter::Cancel(*g_job);
  g_job.reset();
  ReapThreads(waitMs);
}

void OnCountMessage(WPARAM serial, LPARAM event) {
  if (!g_job || serial != BackgroundCounter::Serial(*g_job)) return;  // a cancelled count's last word
  if (event == kProgress) {
    g_job->ShowProgress(BackgroundCounter::Percent(*g_job));
    return;
  }
  const std::shared_ptr<CountJob> job = std::move(g_job);
  ReapThreads(0);
  job->Show();
}
