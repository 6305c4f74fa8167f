#include "sources/background_count.h"

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
HANDLE g_thread = nullptr;
WPARAM g_lastSerial = 0;

void ForgetThread(DWORD waitMs) {
  if (!g_thread) return;
  WaitForSingleObject(g_thread, waitMs);
  CloseHandle(g_thread);
  g_thread = nullptr;
}

}  // namespace

// The job is shared by the two threads; whichever lets go last frees it.
class BackgroundCounter {
 public:
  static DWORD WINAPI Run(void* param) {
    std::unique_ptr<std::shared_ptr<CountJob>> owner(static_cast<std::shared_ptr<CountJob>*>(param));
    CountJob& job = **owner;
    job.Run();
    PostMessageA(job.window_, kCountMessage, job.serial_, kDone);
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
    PostMessageA(job.window_, kCountMessage, job.serial_, kProgress);
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
  g_thread = CreateThread(nullptr, 0, BackgroundCounter::Run, threadShare, 0, nullptr);
  if (!g_thread) {
    delete threadShare;
    return false;
  }
  g_job = std::move(job);
  return true;
}

void CancelCount(DWORD waitMs) {
  if (g_job) BackgroundCounter::Cancel(*g_job);
  g_job.reset();
  ForgetThread(waitMs);
}

bool CountRunning() { return g_job != nullptr; }

void OnCountMessage(WPARAM serial, LPARAM event) {
  if (!g_job || serial != BackgroundCounter::Serial(*g_job)) return;  // a cancelled count's last word
  if (event == kProgress) {
    g_job->ShowProgress(BackgroundCounter::Percent(*g_job));
    return;
  }
  const std::shared_ptr<CountJob> job = std::move(g_job);
  ForgetThread(INFINITE);  // it has posted its last message: ending now
  job->Show();
}
