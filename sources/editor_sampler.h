#pragma once
// The foreground editor source: on each tick of the sampling timer, counts
// the text of the Notepad window in the foreground. The text is copied
// again only when the editor's cheap probes moved, or now and then as a
// refresh (sources/editor_pacing.h); the status line shows the caption on
// every tick.

#include <windows.h>

// Caption suffix Notepad shows on Chinese Windows.
inline constexpr wchar_t kNotepadCaptionMark[] = L" - 记事本";

// The sampling timer's callback; its arguments are not used.
void CALLBACK SampleForegroundEditor(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// Forgets what was counted, so the next tick copies the editor again: for
// a start of sampling, since the results may have been cleared meanwhile.
void ResetEditorSampler();
