#include "sources/editor_sampler.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "engine/recount.h"
#include "engine/text_tally.h"
#include "res/resource.h"
#include "sources/background_count.h"
#include "sources/editor_pacing.h"
#include "sources/text_stream.h"

namespace {

// Any window can claim to be Notepad and answer with any length: beyond
// this the answer is not believed.
constexpr DWORD_PTR kMaxEditorText = DWORD_PTR(256) << 20;

// Caption suffix Notepad shows on Chinese Windows; in other languages it is
// known by its window class, which every Notepad has had.
constexpr wchar_t kNotepadCaptionMark[] = L" - 记事本";
constexpr wchar_t kNotepadClass[] = L"Notepad";

// The classes of the controls an editor's text may live in.
const wchar_t* const kTextClasses[] = {L"Edit", L"RichEditD2DPT", L"RICHEDIT50W",
                                       L"RichEdit20W"};

// Milliseconds, finer than GetTickCount's steps of about 16 ms: a copy
// shorter than a step would often read as free, and be repeated each tick.
std::uint32_t NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return std::uint32_t(now.QuadPart * 1000 / frequency.QuadPart);
}

bool ClassIs(HWND window, const wchar_t* name) {
  wchar_t cls[64];
  return GetClassNameW(window, cls, 64) > 0 &&
         CompareStringOrdinal(cls, -1, name, -1, TRUE) == CSTR_EQUAL;
}

// The editor belongs to another process: ask it with a bounded wait, so a
// hung editor cannot hang us.
bool AskEditor(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT limitMs,
               DWORD_PTR& result) {
  return SendMessageTimeoutW(edit, msg, wParam, lParam, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                             limitMs, &result) != 0;
}

// The length comes in UTF-16 units, as the text does.
bool ProbeEditor(HWND edit, EditorProbes& probes) {
  probes.edit = std::uintptr_t(edit);
  if (!edit) return true;
  DWORD_PTR length = 0, lines = 0, selection = 0, modified = 0;
  if (!AskEditor(edit, WM_GETTEXTLENGTH, 0, 0, kProbeTimeLimitMs, length) ||
      !AskEditor(edit, EM_GETLINECOUNT, 0, 0, kProbeTimeLimitMs, lines) ||
      !AskEditor(edit, EM_GETSEL, 0, 0, kProbeTimeLimitMs, selection) ||
      !AskEditor(edit, EM_GETMODIFY, 0, 0, kProbeTimeLimitMs, modified))
    return false;
  probes.length = length;
  probes.lines = lines;
  probes.selection = selection;
  probes.modified = modified != 0;
  return true;
}

// The edit control's text, `length` UTF-16 units as it said, or null when
// the editor did not answer in time; `copied` is what it gave. The room
// past `length` is never touched, whatever the editor claims it copied.
std::unique_ptr<wchar_t[]> EditorText(HWND edit, std::uint64_t length, size_t& copied) {
  if (length > kMaxEditorText / sizeof(wchar_t)) return nullptr;
  const DWORD_PTR room = DWORD_PTR(length);
  std::unique_ptr<wchar_t[]> text(new (std::nothrow) wchar_t[room + 1]);
  DWORD_PTR got = 0;
  if (!text || !AskEditor(edit, WM_GETTEXT, room + 1, LPARAM(text.get()),
                          CopyTimeLimitMs(length), got))
    return nullptr;
  copied = got < room ? size_t(got) : size_t(room);
  text[copied] = L'\0';
  return text;
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

EditorSamplerState g_sampler;

// One copy of the editor's text and its count, on the count's thread; its
// results and the pacing's note come back to the window's thread.
class EditorCopy : public CountJob {
 public:
  EditorCopy(HWND edit, const EditorProbes& probes, std::wstring caption, std::uint32_t startMs)
      : edit_(edit), probes_(probes), caption_(std::move(caption)), startMs_(startMs) {}

  void Run() override {
    size_t copied = 0;
    const std::unique_ptr<wchar_t[]> text = EditorText(edit_, probes_.length, copied);
    if (text && !Cancelled()) {  // a copy cannot be broken off; its count can
      result_ = CountUtf16Text(reinterpret_cast<const char16_t*>(text.get()), copied,
                               TextSink(), [&](uint64_t) { return !Cancelled(); });
      counted_ = result_.status == StreamStatus::kCounted ||
                 result_.status == StreamStatus::kEmpty;
    }
    endMs_ = NowMs();
    ended_ = true;
  }
  void ShowProgress(int) override {}
  void Show() override {
    shown_ = true;
    NoteCopy(g_sampler, counted_ ? &probes_ : nullptr, startMs_, endMs_);
    if (!counted_) return;  // no answer in time: nothing changes
    SetSlotText(IDC_STATUS, caption_.c_str());
    if (result_.counts) result_.counts->Tally().Publish();
    else TextTally().Publish();  // an empty document counts zero
  }

  // True while this copy keeps the next from starting: until its thread
  // ends, and unless cancelled, until its results are shown.
  bool Busy() const { return !ended_ || (!Cancelled() && !shown_); }

 private:
  const HWND edit_;
  const EditorProbes probes_;
  const std::wstring caption_;
  const std::uint32_t startMs_;
  std::uint32_t endMs_ = 0;
  bool counted_ = false;
  std::atomic<bool> ended_{false};
  bool shown_ = false;  // the window's thread only
  StreamCount result_;
};

std::shared_ptr<EditorCopy> g_copy;  // the last copy started

// EnumChildWindows' callback: keeps the first visible text control in
// `found` (an HWND*) and ends the search there.
BOOL CALLBACK KeepFirstTextControl(HWND child, LPARAM found) {
  if (!IsWindowVisible(child)) return TRUE;
  for (const wchar_t* cls : kTextClasses) {
    if (ClassIs(child, cls)) {
      *reinterpret_cast<HWND*>(found) = child;
      return FALSE;
    }
  }
  return TRUE;
}

// True when `window`, captioned `caption`, is a Notepad window.
bool IsNotepad(HWND window, const std::wstring& caption) {
  return caption.find(kNotepadCaptionMark) != std::wstring::npos ||
         ClassIs(window, kNotepadClass);
}

// A search of one editor's windows for its text control.
struct ControlSearch {
  explicit ControlSearch(HWND frame) : frame(frame), startMs(NowMs()) {}
  const HWND frame;
  const std::uint32_t startMs;
  HWND found = nullptr;  // written by the search before `done`
  std::atomic<bool> done{false};
};

// A control found stays the editor's while it is its visible descendant
// (Windows 11's Notepad hides the tab it leaves); having none is believed
// this long before looking again.
constexpr std::uint32_t kNoControlRecheckMs = 1000;

bool StillCurrent(const ControlSearch& search) {
  if (!search.found) return NowMs() - search.startMs < kNoControlRecheckMs;
  return IsWindowVisible(search.found) && IsChild(search.frame, search.found);
}

DWORD WINAPI SearchForTextControl(void* param) {
  const std::unique_ptr<std::shared_ptr<ControlSearch>> share(
      static_cast<std::shared_ptr<ControlSearch>*>(param));
  ControlSearch& search = **share;
  EnumChildWindows(search.frame, KeepFirstTextControl, LPARAM(&search.found));
  search.done = true;
  return 0;
}

std::shared_ptr<ControlSearch> g_search;  // the last search started

// The control holding the editor's text: the first visible descendant of
// `editor` that is an edit or rich edit control (Windows 11's Notepad keeps
// its text in a RichEditD2DPT inside a NotepadTextBox, and shows one of its
// tabs); null when there is none. An editor may have thousands of child
// windows, so they are searched once per editor, on a thread of its own,
// and the answer kept while it holds: false while that search runs.
bool TextControlOf(HWND editor, HWND& found) {
  if (g_search && g_search->frame == editor) {
    if (!g_search->done) return false;
    if (StillCurrent(*g_search)) {
      found = g_search->found;
      return true;
    }
  }
  g_search = std::make_shared<ControlSearch>(editor);
  auto* threadShare = new std::shared_ptr<ControlSearch>(g_search);
  const HANDLE thread = CreateThread(nullptr, 0, SearchForTextControl, threadShare, 0, nullptr);
  if (!thread) {  // no thread to be had: search here, once
    delete threadShare;
    EnumChildWindows(editor, KeepFirstTextControl, LPARAM(&g_search->found));
    g_search->done = true;
    found = g_search->found;
    return true;
  }
  CloseHandle(thread);  // it ends by itself; a search left behind is forgotten
  return false;
}

}  // namespace

void ResetEditorSampler() { g_sampler = EditorSamplerState(); }

void CALLBACK SampleForegroundEditor(HWND, UINT, UINT_PTR, DWORD) {
  if (g_copy && g_copy->Busy()) return;  // the last copy comes first
  HWND foreground = GetForegroundWindow();
  if (!foreground || !IsAnotherProgramsWindow(foreground)) return;
  std::wstring caption = Caption(foreground);
  if (!IsNotepad(foreground, caption)) return;

  HWND edit = nullptr;
  if (!TextControlOf(foreground, edit)) return;  // still looking for it
  EditorProbes probes;
  if (!ProbeEditor(edit, probes)) return;  // no answer in time: this tick changes nothing
  const std::uint32_t start = NowMs();
  if (!FullCopyDue(g_sampler, probes, start)) {
    // The caption goes with its counts: only while they are this very
    // editor's, and its probes have not moved since their copy.
    if (g_sampler.counted && probes == g_sampler.probes) SetSlotText(IDC_STATUS, caption.c_str());
    return;
  }
  if (!edit) {  // an editor without a text control holds an empty text
    SetSlotText(IDC_STATUS, caption.c_str());
    TextTally().Publish();
    NoteCopy(g_sampler, &probes, start, NowMs());
    return;
  }
  g_copy = std::make_shared<EditorCopy>(edit, probes, std::move(caption), start);
  if (!StartCount(g_copy)) g_copy.reset();
}
