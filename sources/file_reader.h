#pragma once
// The file source: counts a whole plain-text file chosen in the open-file
// dialog or dropped on the window. Every outcome shows in the status line,
// the result slots or a message box.

// Counts the file at `path` (a full path holding at least one '\').
void AnalyzeFile(const char* path);

// Shows the open-file dialog and counts the chosen file (the first one, when
// several are chosen).
void ChooseAndAnalyzeFile();

// The part of `path` after its last '\', found by characters of code page
// 936 (a double-byte character may end in the byte 0x5C).
const char* FileNamePart(const char* path);

// True when the extension (from the last '.') is one of the known plain-text
// ones, compared without regard to case.
bool HasTextExtension(const char* path);
