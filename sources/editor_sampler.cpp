#include "sources/editor_sampler.h"

#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "engine/recount.h"
#include "engine/text_tally.h"
#include "res/resource.h"
#include "sources/editor_pacing.h"
#include "sources/text_stream.h"

namespace {

// Any window can claim to be Notepad and answer with any length: beyond
// this the answer is not believed.
constexpr DWORD_PTR kMaxEditorText = DWORD_PTR(256) << 20;

EditorSamplerState g_sampler;

// Milliseconds, finer than GetTickCount's steps of about 16 ms: a copy
// shorter than a step would often read as free, and be repeated each tick.
std::uint32_t NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return std::uint32_t(now.QuadPart * 1000 / frequency.QuadPart);
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

// The edit child's text, `length` UTF-16 units as it said, or null when
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

}  // namespace

void ResetEditorSampler() { g_sampler = EditorSamplerState(); }

void CALLBACK SampleForegroundEditor(HWND, UINT, UINT_PTR, DWORD) {
  HWND foreground = GetForegroundWindow();
  const std::wstring caption = Caption(foreground);
  if (caption.find(kNotepadCaptionMark) == std::wstring::npos) return;

  HWND edit = FindWindowExW(foreground, nullptr, L"Edit", nullptr);
  EditorProbes probes;
  if (!ProbeEditor(edit, probes)) return;  // no answer in time: this tick changes nothing
  const std::uint32_t start = NowMs();
  if (!FullCopyDue(g_sampler, probes, start)) {
    SetSlotText(IDC_STATUS, caption.c_str());
    return;
  }
  std::unique_ptr<wchar_t[]> text;
  size_t copied = 0;
  if (edit && !(text = EditorText(edit, probes.length, copied))) {
    NoteCopy(g_sampler, nullptr, start, NowMs());
    return;
  }
  SetSlotText(IDC_STATUS, caption.c_str());
  const StreamCount counted =
      CountUtf16Text(reinterpret_cast<const char16_t*>(text.get()), copied, TextSink());
  if (counted.status == StreamStatus::kCounted) counted.counts->Tally().Publish();
  if (counted.status == StreamStatus::kEmpty) TextTally().Publish();  // an empty document
  NoteCopy(g_sampler, &probes, start, NowMs());
}
