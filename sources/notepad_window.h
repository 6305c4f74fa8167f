#pragma once
// Notepad, in any language and version: how the foreground editor source
// knows it, and where its text is.

#include <windows.h>

#include <string>

// True when `window`, captioned `caption`, is a Notepad window: its
// caption holds " - 记事本" (Chinese Windows) or its class is Notepad.
bool IsNotepad(HWND window, const std::wstring& caption);

// The control holding Notepad's text, whatever has the focus inside it: the
// first visible descendant of `notepad` that is an edit or rich edit control
// (Windows 11's Notepad keeps its text in a RichEditD2DPT inside a
// NotepadTextBox, and shows one of its tabs); null when there is none. A
// window may have thousands of children, so they are searched once per
// window, on a thread of its own, and the answer kept while it holds: false
// while that search runs.
bool NotepadTextControl(HWND notepad, HWND& found);
