#include "sources/editor_sampler.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "engine/recount.h"
#include "res/resource.h"
#include "sources/editor_pacing.h"

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
  return SendMessageTimeoutA(edit, msg, wParam, lParam, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                             limitMs, &result) != 0;
}

// The length comes in UTF-16 units: asked in ANSI, the system converts the
// whole text to measure it, which costs as much as copying it.
bool ProbeEditor(HWND edit, EditorProbes& probes) {
  probes.edit = std::uintptr_t(edit);
  if (!edit) return true;
  DWORD_PTR length = 0, lines = 0, selection = 0, modified = 0;
  if (!SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                           kProbeTimeLimitMs, &length) ||
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

// The edit child's text in code page 936, or null when the editor did not
// answer in time. A UTF-16 unit takes at most two bytes there, so twice
// the length holds the text; the room past it is never touched.
std::unique_ptr<char[]> EditorText(HWND edit, std::uint64_t length) {
  if (length > kMaxEditorText / 2) return nullptr;
  const DWORD_PTR room = DWORD_PTR(length) * 2;
  std::unique_ptr<char[]> text(new (std::nothrow) char[room + 1]);
  DWORD_PTR copied = 0;
  if (!text || !AskEditor(edit, WM_GETTEXT, room + 1, LPARAM(text.get()),
                          CopyTimeLimitMs(length), copied))
    return nullptr;
  text[copied < room ? copied : room] = '\0';
  return text;
}

}  // namespace

void ResetEditorSampler() { g_sampler = EditorSamplerState(); }

void CALLBACK SampleForegroundEditor(HWND, UINT, UINT_PTR, DWORD) {
  HWND foreground = GetForegroundWindow();
  char caption[MAX_PATH] = {};
  GetWindowTextA(foreground, caption, sizeof caption);
  if (!std::strstr(caption, kNotepadCaptionMark)) return;

  HWND edit = FindWindowExA(foreground, nullptr, "Edit", nullptr);
  EditorProbes probes;
  if (!ProbeEditor(edit, probes)) return;  // no answer in time: this tick changes nothing
  const std::uint32_t start = NowMs();
  if (!FullCopyDue(g_sampler, probes, start)) {
    SetSlotText(IDC_STATUS, caption);
    return;
  }
  std::unique_ptr<char[]> text;
  if (edit && !(text = EditorText(edit, probes.length))) {
    NoteCopy(g_sampler, nullptr, start, NowMs());
    return;
  }
  SetSlotText(IDC_STATUS, caption);
  Recount(text ? text.get() : "", 1);
  NoteCopy(g_sampler, &probes, start, NowMs());
}
