#pragma once
// The foreground editor source: on each tick of the sampling timer, counts
// the text of the Notepad window in the foreground, whatever its language
// and version. A tick only asks the editor cheap questions (sources/
// editor_pacing.h); when they moved, or a refresh is due, the text is
// copied and counted off the window's thread (background_count.h), by the
// rule every source follows. The status line shows the caption.

#include <windows.h>

// The sampling timer's callback; its arguments are not used.
void CALLBACK SampleForegroundEditor(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// Forgets what was counted, so the next tick copies the editor again: for
// a start of sampling, since the results may have been cleared meanwhile.
void ResetEditorSampler();
