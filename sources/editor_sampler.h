#pragma once
// The foreground editor source: on each tick of the sampling timer, counts
// the text of the Notepad window in the foreground.

#include <windows.h>

// Caption suffix Notepad shows on Chinese Windows.
inline constexpr char kNotepadCaptionMark[] = " - 记事本";

// The sampling timer's callback; its arguments are not used.
void CALLBACK SampleForegroundEditor(HWND window, UINT message, UINT_PTR timerId, DWORD time);
