#include "sources/editor_sampler.h"

#include <cstring>
#include <memory>
#include <new>

#include "engine/recount.h"
#include "res/resource.h"

namespace {

// The editor belongs to another process: ask it with a bounded wait, so a
// hung editor cannot hang us. Well under the shortest sampling interval.
constexpr UINT kEditorTimeoutMs = 50;
// Any window can claim to be Notepad and answer with any length: beyond this
// the answer is not believed.
constexpr DWORD_PTR kMaxEditorText = DWORD_PTR(256) << 20;

bool AskEditor(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
  return SendMessageTimeoutA(edit, msg, wParam, lParam, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                             kEditorTimeoutMs, &result) != 0;
}

// The edit child's text, or null when the editor did not answer in time.
std::unique_ptr<char[]> EditorText(HWND edit) {
  DWORD_PTR length = 0;
  if (!AskEditor(edit, WM_GETTEXTLENGTH, 0, 0, length) || length > kMaxEditorText)
    return nullptr;
  std::unique_ptr<char[]> text(new (std::nothrow) char[length + 2]());
  DWORD_PTR copied = 0;
  if (!text || !AskEditor(edit, WM_GETTEXT, length + 1, LPARAM(text.get()), copied))
    return nullptr;
  text[copied < length ? copied : length] = '\0';
  text[length + 1] = '\0';
  return text;
}

}  // namespace

void CALLBACK SampleForegroundEditor(HWND, UINT, UINT_PTR, DWORD) {
  HWND foreground = GetForegroundWindow();
  char caption[MAX_PATH] = {};
  GetWindowTextA(foreground, caption, sizeof caption);
  if (!std::strstr(caption, kNotepadCaptionMark)) return;

  std::unique_ptr<char[]> text;
  if (HWND edit = FindWindowExA(foreground, nullptr, "Edit", nullptr)) {
    text = EditorText(edit);
    if (!text) return;  // no answer in time: this tick changes nothing
  }
  SetSlotText(IDC_STATUS, caption);
  Recount(text ? text.get() : "", 1);
}
