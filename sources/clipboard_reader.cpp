#include "sources/clipboard_reader.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "engine/recount.h"
#include "engine/text_tally.h"
#include "sources/background_count.h"
#include "res/resource.h"

std::unique_ptr<char[]> GetClipboardText(size_t& length) {
  length = 0;
  if (!OpenClipboard(nullptr)) return nullptr;
  std::unique_ptr<char[]> copy;
  if (IsClipboardFormatAvailable(CF_TEXT)) {
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text) {
      // Another program may have put a text there without its terminator.
      const size_t n = strnlen(text, GlobalSize(data));
      copy.reset(new (std::nothrow) char[n + 1]);
      if (copy) {
        std::memcpy(copy.get(), text, n);
        copy[n] = '\0';
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

// The first `max` bytes of `text` or fewer, never cutting a double-byte
// character in two.
std::string Beginning(const char* text, size_t length, size_t max) {
  size_t at = 0;
  while (at < length && at < max) {
    const size_t next = at + (static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1);
    if (next > max || next > length) break;
    at = next;
  }
  return std::string(text, at);
}

// Copies and counts the clipboard's text off the window's thread.
class ClipboardJob : public CountJob {
 public:
  void Run() override {
    text_ = GetClipboardText(length_);
    if (!text_) return;
    // In pieces, so a cancel is heard and the progress shown.
    constexpr size_t kPiece = size_t(1) << 20;
    for (size_t at = 0; at < length_ && !Cancelled(); at += kPiece) {
      tally_.Add(text_.get() + at, std::min(kPiece, length_ - at));
      Progress(int(uint64_t(at) * 100 / length_));
    }
  }
  void ShowProgress(int) override {}  // the status line shows the text itself
  void Show() override {
    if (!text_ || length_ == 0) return;
    SetSlotText(IDC_STATUS, Beginning(text_.get(), length_, kStatusTextMax).c_str());
    tally_.Publish();
  }

 private:
  std::unique_ptr<char[]> text_;
  size_t length_ = 0;
  TextTally tally_;
};

// Texts up to this size are counted at once, on the window's thread: it
// takes well under a millisecond, and start-up's order (the hint text after
// the restored mode's count) holds.
constexpr size_t kCountAtOnceMax = size_t(1) << 20;

// The size of the clipboard's text block, 0 when there is none.
size_t ClipboardTextSize() {
  if (!OpenClipboard(nullptr)) return 0;
  const HANDLE data = IsClipboardFormatAvailable(CF_TEXT) ? GetClipboardData(CF_TEXT) : nullptr;
  const size_t size = data ? GlobalSize(data) : 0;
  CloseClipboard();
  return size;
}

}  // namespace

void CountClipboardText() {
  auto job = std::make_shared<ClipboardJob>();
  if (ClipboardTextSize() > kCountAtOnceMax) {
    StartCount(std::move(job));
    return;
  }
  CancelCount();  // an earlier, bigger text must not land after this one
  job->Run();
  job->Show();
}
