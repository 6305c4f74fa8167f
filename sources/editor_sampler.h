#pragma once
// The foreground editor source: on each tick of the sampling timer, counts
// the text being written in the window in front, of any program: a
// Notepad's text control (whatever its language and version, whatever has
// the focus inside it), or in any other program the text control with the
// keyboard focus (text_control.h: Edit, RichEdit, Scintilla; never a
// password box). While that control has a selection, the selection is
// counted. A tick only asks the control cheap questions (sources/
// editor_pacing.h); when they moved, or a refresh is due, the text is
// copied and counted off the window's thread (background_count.h), by the
// rule every source follows; a selection that moves over an unchanged text
// is counted from the copy already held. The status line shows the top-
// level window's caption, after "选中：" for a selection.

#include <windows.h>

#include <string>

// The sampling timer's callback; its arguments are not used.
void CALLBACK SampleForegroundEditor(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// Told after the counts of an editor's whole text (not of a selection) are
// shown, with its top-level window's caption: today's writing follows the
// documents written in. Null: nobody is told.
using WholeTextSink = void (*)(const std::wstring& caption);
void SetWholeTextSink(WholeTextSink sink);

// Forgets what was counted, so the next tick copies the editor again: for
// a start of sampling, since the results may have been cleared meanwhile.
void ResetEditorSampler();
