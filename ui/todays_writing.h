#pragma once
// Today's writing as the window keeps it: the tracker (writing/) fed with
// the whole-text totals the editor sampler shows, the 今日 slot (1024), the
// daily target and the history file %APPDATA%\Vantorix\history.csv, saved
// at most every 30 s and at exit. The window's thread only.

#include <windows.h>

#include <string>

#include "writing/writing_tracker.h"

// Loads the history, shows the slot and starts the timer that saves and
// refreshes it (past midnight too). `window` is the main dialog.
void StartTodaysWriting(HWND window);
// Saves what is unsaved; for the window's end.
void FinishTodaysWriting(HWND window);
// Saves what is unsaved, asking nothing: the session is ending, and the
// system ends the program afterwards without closing its window.
void SaveTodaysWriting();

// The daily target (0: none), as stored with the other settings.
int DailyTarget();
void SetDailyTarget(int target);

// The figures of the writing record: the last `days` days and the texts
// under the picture.
struct WritingRecord {
  WritingPicture picture;
  int target = 0;
  LocalTime now;
  std::wstring figures;  // today, speed, best day, 7-day average: one a line
};
WritingRecord CurrentWritingRecord(int days);

// The history file's path (its folder may not exist yet).
std::wstring HistoryFilePath();
