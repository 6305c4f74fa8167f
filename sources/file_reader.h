#pragma once
// The file source: counts whole plain-text files chosen or dropped on the
// window. Every outcome shows in the status line or the result slots; the
// window asks the questions.
//
// A file is counted off the user-interface thread (background_count.h); a
// count that takes a while shows its progress after the file name.

#include <windows.h>

#include <string>
#include <vector>

// Counts the files at `paths` (full paths of any length, holding at least
// one '\') one after the other, each as a user would see it alone: the
// question for an unknown extension, its name, then its counts. Cancels any
// count in progress and forgets files still waiting from an earlier call,
// also one whose question is still open: the newest drop wins. `ask` is the
// question for a file of another type: true to count it anyway.
using OtherTypeQuestion = bool (*)();
void AnalyzeFiles(std::vector<std::wstring> paths, OtherTypeQuestion ask);

// The part of `path` after its last '\'.
const wchar_t* FileNamePart(const wchar_t* path);

// True when the extension (from the last '.') is one of the known plain-text
// ones, compared without regard to case.
bool HasTextExtension(const wchar_t* path);
