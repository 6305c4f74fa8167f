#pragma once
// Counts run off the user-interface thread, one at a time, so the window
// answers at all times. A count reports to the window with messages
// (kCountMessage) that the window hands to OnCountMessage; its results
// reach the screen there, on the window's thread, whole. Starting a count
// cancels the one in progress, whose results never show.

#include <windows.h>

#include <atomic>
#include <memory>

// The message a count posts to its window; WPARAM and LPARAM are the
// count's own.
constexpr UINT kCountMessage = WM_APP + 1;

class CountJob {
 public:
  virtual ~CountJob() = default;
  // On the count's thread: does the work, asking Cancelled() between
  // pieces and setting Progress() (0-99) as it goes.
  virtual void Run() = 0;
  // On the window's thread, once Run has ended and the count was not
  // cancelled: shows the results.
  virtual void Show() = 0;
  // On the window's thread, now and then while a count takes a while.
  virtual void ShowProgress(int percent) = 0;

  bool Cancelled() const { return cancelled_; }
  // True when the count ought to show this progress now.
  bool Progress(int percent);

 private:
  friend class BackgroundCounter;
  std::atomic<bool> cancelled_{false};
  std::atomic<int> percent_{0};
  HWND window_ = nullptr;
  WPARAM serial_ = 0;
  DWORD start_ = 0, shown_ = 0;
};

// The window the counts report to (null: none).
void SetCountWindow(HWND window);

// Starts `job` on a thread of its own, cancelling the count in progress.
// False when no thread could be started.
bool StartCount(std::shared_ptr<CountJob> job);

// Cancels the count in progress; waits at most `waitMs` for its thread, and
// those of counts cancelled before, to end (a cancelled count stops within
// one piece).
void CancelCount(DWORD waitMs = 0);

// The window's handler for kCountMessage.
void OnCountMessage(WPARAM wParam, LPARAM lParam);
