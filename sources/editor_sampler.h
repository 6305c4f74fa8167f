#pragma once
// The foreground editor source: on each tick of the sampling timer, counts
// the text of the Notepad window in the foreground, whatever its language
// and version. A tick only asks the editor cheap questions (sources/
// editor_pacing.h); when they moved, or a refresh is due, the text is
// copied and counted off the window's thread (background_count.h), by the
// rule every source follows. The status line shows the caption.

#include <windows.h>

#include <string>

// Caption suffix Notepad shows on Chinese Windows; in other languages it is
// known by its window class, which every Notepad has had.
inline constexpr wchar_t kNotepadCaptionMark[] = L" - 记事本";
inline constexpr wchar_t kNotepadClass[] = L"Notepad";

// True when `window`, captioned `caption`, is a Notepad window.
bool IsNotepad(HWND window, const std::wstring& caption);

// The control holding the editor's text: the first visible descendant of
// `editor` that is an edit or rich edit control (Windows 11's Notepad keeps
// its text in a RichEditD2DPT inside a NotepadTextBox, and shows one of its
// tabs); null when there is none.
HWND TextControlOf(HWND editor);

// The sampling timer's callback; its arguments are not used.
void CALLBACK SampleForegroundEditor(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// Forgets what was counted, so the next tick copies the editor again: for
// a start of sampling, since the results may have been cleared meanwhile.
void ResetEditorSampler();
