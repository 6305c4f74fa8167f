#pragma once
// Which document a window holds, told from its top-level caption: editors
// mark unsaved changes in the caption, and a save must not make the text
// another document. Portable: no window code, tested natively.

#include <string>

// `caption` (UTF-16 on Windows, as GetWindowTextW gives it) without the
// marks editors add for unsaved changes, in UTF-8: a leading "*" (Notepad,
// Notepad++), a leading "● " (editors that draw a dot), a trailing " *" or
// " •". Marks are taken off until none is left, so "● *a.txt *" is
// "a.txt". Everything else stays, the editor's name included: a new name
// (Save As) is a new document. A lone surrogate is kept as its three
// bytes. Empty when nothing is left.
std::string DocumentName(const std::wstring& caption);
