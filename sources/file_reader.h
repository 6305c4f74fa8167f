#pragma once
// The file source: counts whole plain-text files chosen in the open-file
// dialog or dropped on the window. Every outcome shows in the status line,
// the result slots or a message box.
//
// A file is counted off the user-interface thread (background_count.h); a
// count that takes a while shows its progress after the file name.

#include <windows.h>

#include <string>
#include <vector>

// Counts the files at `paths` (full paths holding at least one '\') one
// after the other, each as a user would see it alone: the question for an
// unknown extension, its name, then its counts. Cancels any count in
// progress and forgets files still waiting from an earlier call.
void AnalyzeFiles(std::vector<std::string> paths);
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
