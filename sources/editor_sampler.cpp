#include "sources/editor_sampler.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/recount.h"
#include "engine/text_tally.h"
#include "res/resource.h"
#include "res/texts.h"
#include "sources/background_count.h"
#include "sources/editor_pacing.h"
#include "sources/notepad_window.h"
#include "sources/text_control.h"
#include "sources/text_stream.h"

namespace {

WholeTextSink g_wholeTextSink = nullptr;

void TellWholeText(const std::wstring& caption) {
  if (g_wholeTextSink) g_wholeTextSink(caption);
}

// Milliseconds, finer than GetTickCount's steps of about 16 ms: a copy
// shorter than a step would often read as free, and be repeated each tick.
std::uint32_t NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return std::uint32_t(now.QuadPart * 1000 / frequency.QuadPart);
}

// The whole caption of `window`, however long.
std::wstring Caption(HWND window) {
  std::wstring caption(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
  caption.resize(size_t(GetWindowTextW(window, &caption[0], int(caption.size()))));
  return caption;
}

// Our own windows are never the editor: the system copies another
// program's text through a buffer of its own, so a copy that outlives its
// time limit is harmless; one of our own would write into ours, freed.
bool IsAnotherProgramsWindow(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process != 0 && process != GetCurrentProcessId();
}

// What the status line shows for counts of a window's text: the caption,
// marked when they are the selection's.
std::wstring StatusFor(const std::wstring& caption, bool selected) {
  return selected ? kSelectionPrefix + caption : caption;
}

EditorSamplerState g_sampler;

// The text of the last copy shown, kept so that a selection that moves over
// it is counted without copying the text again.
struct HeldText {
  std::shared_ptr<const TextControl> control;
  std::shared_ptr<const wchar_t[]> text;
  size_t length = 0;
};
HeldText g_held;
EditorProbes g_shown;  // the probes of the counts on screen
bool g_shownSelected = false;  // they are a selection's

// One count of a control's text, or of its selection, on the count's
// thread: of a fresh copy, or of the text already held. Its results and
// the pacing's note come back to the window's thread.
class EditorCount : public CountJob {
 public:
  EditorCount(std::shared_ptr<const TextControl> control, const EditorProbes& probes,
              std::wstring caption, std::uint32_t startMs, const HeldText* held = nullptr)
      : control_(std::move(control)), probes_(probes), caption_(std::move(caption)),
        startMs_(startMs), fresh_(held == nullptr) {
    if (held) {
      text_ = held->text;
      length_ = held->length;
    }
  }

  void Run() override {
    if (fresh_) {
      std::unique_ptr<wchar_t[]> copy = control_->CopyText(probes_, length_);
      text_ = std::move(copy);
    }
    // A copy cannot be broken off; its count can.
    if (text_ && !Cancelled()) counted_ = CountText();
    endMs_ = NowMs();
    ended_ = true;
  }
  void ShowProgress(int) override {}
  void Show() override {
    shown_ = true;
    if (fresh_) NoteCopy(g_sampler, counted_ ? &probes_ : nullptr, startMs_, endMs_);
    if (!counted_) return;  // no answer in time: nothing changes
    g_held = {control_, text_, length_};
    g_shown = probes_;
    g_shownSelected = selected_;
    SetSlotText(IDC_STATUS, StatusFor(caption_, selected_).c_str());
    tally_.Publish();
    if (!selected_) TellWholeText(caption_);
  }

  // True while this count keeps the next from starting: until its thread
  // ends, and unless cancelled, until its results are shown.
  bool Busy() const { return !ended_ || (!Cancelled() && !shown_); }

 private:
  // Counts the selection's ranges, each a text of its own, or the whole
  // text when there is no selection or it is only carets (a rectangle of
  // no width, for typing in a column). False when cancelled, or when the
  // control did not tell its ranges in time.
  bool CountText() {
    const auto* text = reinterpret_cast<const char16_t*>(text_.get());
    std::vector<TextRange> ranges;
    if (probes_.HasSelection()) {
      ranges = control_->SelectionIn(text, length_, probes_);
      if (ranges.empty()) return false;
      selected_ = std::any_of(ranges.begin(), ranges.end(),
                              [](const TextRange& r) { return r.to > r.from; });
    }
    if (!selected_) ranges = {{0, length_}};
    for (const TextRange& range : ranges) {
      const StreamCount count = CountUtf16Text(text + range.from, range.to - range.from,
                                               TextSink(), [&](uint64_t) { return !Cancelled(); });
      if (count.status == StreamStatus::kCancelled) return false;
      if (count.counts) tally_.AddApart(count.counts->Tally());
    }
    return true;
  }

  const std::shared_ptr<const TextControl> control_;
  const EditorProbes probes_;
  const std::wstring caption_;
  const std::uint32_t startMs_;
  const bool fresh_;  // copies the text, rather than counting the one held
  std::shared_ptr<const wchar_t[]> text_;
  size_t length_ = 0;
  std::uint32_t endMs_ = 0;
  bool counted_ = false;
  std::atomic<bool> ended_{false};
  bool shown_ = false;  // the window's thread only
  bool selected_ = false;  // a selection was counted, not the whole text
  TextTally tally_;
};

std::shared_ptr<EditorCount> g_count;  // the last count started

// The window with the keyboard focus in `frame`, another program's window
// in front; null when it has none of its own.
HWND FocusIn(HWND frame) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(frame, nullptr), &info) || !info.hwndFocus)
    return nullptr;
  return GetAncestor(info.hwndFocus, GA_ROOT) == frame ? info.hwndFocus : nullptr;
}

// The family reading `window`, judged once per window: null for one that is
// no text control, or a password box.
std::shared_ptr<const TextControl> ControlFor(HWND window) {
  static HWND judged = nullptr;
  static std::shared_ptr<const TextControl> control;
  if (window != judged || (control && !IsWindow(window))) {
    judged = window;
    control = TextControlFor(window);
  }
  return control;
}

// The text control to count in `frame`, the window in front, captioned
// `caption`; false when there is none to count (yet). Notepad's is its text
// control, or none (an empty text); any other program's is the text
// control with the focus.
bool ControlToCount(HWND frame, const std::wstring& caption,
                    std::shared_ptr<const TextControl>& control) {
  HWND window = nullptr;
  if (IsNotepad(frame, caption)) {
    if (!NotepadTextControl(frame, window)) return false;
    if (!window) return true;
  } else {
    window = FocusIn(frame);
    if (!window) return false;
  }
  control = ControlFor(window);
  return control != nullptr;
}

// A tick whose copy is not due: a selection that moved over the text held
// is counted from it at once; otherwise the caption is shown only while the
// counts shown are this control's, as they stand.
void WithoutCopy(const std::shared_ptr<const TextControl>& control, const EditorProbes& probes,
                 const std::wstring& caption) {
  if (!g_held.text || g_held.control != control || !SameText(g_shown, probes)) return;
  if (probes == g_shown) {
    SetSlotText(IDC_STATUS, StatusFor(caption, g_shownSelected).c_str());
    return;
  }
  // A selection emptied may have been typed over, keeping the length: the
  // whole held text shows now, and a fresh copy follows as for a change.
  if (g_shown.HasSelection() && !probes.HasSelection()) g_sampler.counted = false;
  g_count = std::make_shared<EditorCount>(control, probes, caption, NowMs(), &g_held);
  if (!StartCount(g_count)) g_count.reset();
}

}  // namespace

void SetWholeTextSink(WholeTextSink sink) { g_wholeTextSink = sink; }

void ResetEditorSampler() {
  g_sampler = EditorSamplerState();
  g_held = HeldText();
  g_shown = EditorProbes();
  g_shownSelected = false;
}

void CALLBACK SampleForegroundEditor(HWND, UINT, UINT_PTR, DWORD) {
  if (g_count && g_count->Busy()) return;  // the last count comes first
  HWND foreground = GetForegroundWindow();
  if (!foreground || !IsAnotherProgramsWindow(foreground)) return;
  std::wstring caption = Caption(foreground);
  std::shared_ptr<const TextControl> control;
  if (!ControlToCount(foreground, caption, control)) return;
  EditorProbes probes;
  if (control) {
    const auto edit = reinterpret_cast<std::uintptr_t>(control->Window());
    const std::uint32_t probing = NowMs();
    if (!ProbesDue(g_sampler, edit, probing)) return;
    const bool answered = control->Probe(probes);
    NoteProbes(g_sampler, edit, probing, NowMs());
    if (!answered) return;  // no answer in time: nothing changes
  }
  const std::uint32_t start = NowMs();
  if (!FullCopyDue(g_sampler, probes, start)) {
    WithoutCopy(control, probes, caption);
    return;
  }
  if (!control) {  // a Notepad without a text control holds an empty text
    SetSlotText(IDC_STATUS, caption.c_str());
    TextTally().Publish();
    TellWholeText(caption);
    NoteCopy(g_sampler, &probes, start, NowMs());
    g_held = HeldText();
    g_shown = probes;
    return;
  }
  g_count = std::make_shared<EditorCount>(control, probes, std::move(caption), start);
  if (!StartCount(g_count)) g_count.reset();
}
