#include "sources/notepad_window.h"

#include <atomic>
#include <memory>

#include "sources/text_control.h"

namespace {

// Caption suffix Notepad shows on Chinese Windows; in other languages it is
// known by its window class, which every Notepad has had.
constexpr wchar_t kNotepadCaptionMark[] = L" - 记事本";
constexpr wchar_t kNotepadClass[] = L"Notepad";

bool ClassIs(HWND window, const wchar_t* name) {
  wchar_t cls[64];
  return GetClassNameW(window, cls, 64) > 0 &&
         CompareStringOrdinal(cls, -1, name, -1, TRUE) == CSTR_EQUAL;
}

// EnumChildWindows' callback: keeps the first visible text control in
// `found` (an HWND*) and ends the search there.
BOOL CALLBACK KeepFirstTextControl(HWND child, LPARAM found) {
  if (!IsWindowVisible(child) || !HasTextControlClass(child)) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

// A search of one editor's windows for its text control.
struct ControlSearch {
  explicit ControlSearch(HWND frame) : frame(frame), startMs(GetTickCount()) {}
  const HWND frame;
  const DWORD startMs;
  HWND found = nullptr;  // written by the search before `done`
  std::atomic<bool> done{false};
};

// A control found stays the editor's while it is its visible descendant
// (Windows 11's Notepad hides the tab it leaves); having none is believed
// this long before looking again.
constexpr DWORD kNoControlRecheckMs = 1000;

bool StillCurrent(const ControlSearch& search) {
  if (!search.found) return GetTickCount() - search.startMs < kNoControlRecheckMs;
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

}  // namespace

bool IsNotepad(HWND window, const std::wstring& caption) {
  return caption.find(kNotepadCaptionMark) != std::wstring::npos ||
         ClassIs(window, kNotepadClass);
}

bool NotepadTextControl(HWND notepad, HWND& found) {
  if (g_search && g_search->frame == notepad) {
    if (!g_search->done) return false;
    if (StillCurrent(*g_search)) {
      found = g_search->found;
      return true;
    }
  }
  g_search = std::make_shared<ControlSearch>(notepad);
  auto* threadShare = new std::shared_ptr<ControlSearch>(g_search);
  const HANDLE thread = CreateThread(nullptr, 0, SearchForTextControl, threadShare, 0, nullptr);
  if (!thread) {  // no thread to be had: search here, once
    delete threadShare;
    EnumChildWindows(notepad, KeepFirstTextControl, LPARAM(&g_search->found));
    g_search->done = true;
    found = g_search->found;
    return true;
  }
  CloseHandle(thread);  // it ends by itself; a search left behind is forgotten
  return false;
}

