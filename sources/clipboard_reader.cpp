#include "sources/clipboard_reader.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#include "engine/recount.h"
#include "res/resource.h"
#include "sources/background_count.h"
#include "sources/text_encoding.h"
#include "sources/text_stream.h"

std::unique_ptr<wchar_t[]> GetClipboardText(size_t& length) {
  length = 0;
  if (!OpenClipboard(nullptr)) return nullptr;
  std::unique_ptr<wchar_t[]> copy;
  if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (text) {
      // Another program may have put a text there without its terminator.
      const size_t n = wcsnlen(text, GlobalSize(data) / sizeof(wchar_t));
      copy.reset(new (std::nothrow) wchar_t[n + 1]);
      if (copy) {
        std::memcpy(copy.get(), text, n * sizeof(wchar_t));
        copy[n] = L'\0';
        length = n;
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return copy;
}

namespace {

// The status line shows one line: a long text's beginning is all it needs,
// and handing it hundreds of megabytes would stall the window.
constexpr size_t kStatusTextMax = 512;

// The first `max` units of `text` or fewer, never cutting a surrogate pair
// in two.
std::wstring Beginning(const wchar_t* text, size_t length, size_t max) {
  return std::wstring(text, WholeUtf16Prefix(text, length, max));
}

// Counts a private copy of the clipboard's text: the clipboard itself is
// opened on the window's thread only, since the next text replaces the
// data of the one before while a holder may still be reading it.
class ClipboardJob : public CountJob {
 public:
  ClipboardJob(std::unique_ptr<wchar_t[]> text, size_t length)
      : text_(std::move(text)), length_(length) {}
  void Run() override {
    result_ = CountUtf16Text(reinterpret_cast<const char16_t*>(text_.get()), length_, TextSink(),
                             [&](uint64_t done) {
                               Progress(int(done * 100 / length_));
                               return !Cancelled();
                             });
  }
  void ShowProgress(int) override {}  // the status line shows the text itself
  void Show() override {
    if (result_.status != StreamStatus::kCounted) return;
    SetSlotText(IDC_STATUS, Beginning(text_.get(), length_, kStatusTextMax).c_str());
    result_.counts->Tally().Publish();
  }

 private:
  const std::unique_ptr<wchar_t[]> text_;
  const size_t length_;
  StreamCount result_;
};

// Texts up to this many UTF-16 units are counted at once, on the window's
// thread: it takes a few milliseconds, and start-up's order (the hint text
// after the restored mode's count) holds.
constexpr size_t kCountAtOnceMax = size_t(1) << 19;

}  // namespace

void CountClipboardText() {
  // While the window's thread reads the clipboard, the system may hand it
  // the next text's notice (a thread waiting on another process takes the
  // messages sent to it), and that text is counted and shown first. A text
  // the clipboard replaced during its read is out of date: the newer one's
  // count, done or to come, is the one to show.
  const DWORD sequence = GetClipboardSequenceNumber();
  size_t length = 0;
  std::unique_ptr<wchar_t[]> text = GetClipboardText(length);
  if (!text || GetClipboardSequenceNumber() != sequence) return;
  auto job = std::make_shared<ClipboardJob>(std::move(text), length);
  if (length > kCountAtOnceMax && StartCount(job)) return;
  CancelCount();  // an earlier, bigger text must not land after this one
  job->Run();
  job->Show();
}
