#pragma once
// The file source: counts whole plain-text files chosen in the open-file
// dialog or dropped on the window. Every outcome shows in the status line,
// the result slots or a message box.
//
// A file is counted off the user-interface thread, so the window answers
// at all times; the results reach the slots on that thread, whole, through
// messages the count posts to the window (kFileCountMessage), which hands
// them to OnFileCountMessage. A count that takes a while shows its progress
// after the file name.

#include <windows.h>

#include <string>
#include <vector>

// The message a count posts to its window; WPARAM and LPARAM are the
// count's own.
constexpr UINT kFileCountMessage = WM_APP + 1;

// The window the counts report to (null: none yet).
void SetFileCountWindow(HWND window);

// Counts the files at `paths` (full paths holding at least one '\') one
// after the other, each as a user would see it alone: the question for an
// unknown extension, its name, then its counts. Cancels any count in
// progress.
void AnalyzeFiles(std::vector<std::string> paths);
void AnalyzeFile(const char* path);

// Shows the open-file dialog and counts the chosen file (the first one, when
// several are chosen).
void ChooseAndAnalyzeFile();

// Ends the count in progress and forgets the files still waiting; nothing
// of theirs reaches the screen. Waits at most `waitMs` for the count's
// thread to end (a cancelled count stops within one read).
void CancelFileCount(DWORD waitMs = 0);

// True while a file is being counted.
bool FileCountRunning();

// The window's handler for kFileCountMessage.
void OnFileCountMessage(WPARAM wParam, LPARAM lParam);

// The part of `path` after its last '\', found by characters of code page
// 936 (a double-byte character may end in the byte 0x5C).
const char* FileNamePart(const char* path);

// True when the extension (from the last '.') is one of the known plain-text
// ones, compared without regard to case.
bool HasTextExtension(const char* path);
