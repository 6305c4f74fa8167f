#pragma once
// 写作记录: the last 30 days of today's writing as a picture (one bar per
// day, today's highlighted, the daily target as a line), and below it
// today's figure, the speed, the best day and the 7-day average. Drawn by
// the program itself with GDI, at the window's DPI. The picture's control
// also holds the days as text ("近 30 天：12-07 120，…"), for screen
// readers and tests.

#include <windows.h>

constexpr int kWritingHistoryDays = 30;

void ShowWritingHistory(HWND parent);
