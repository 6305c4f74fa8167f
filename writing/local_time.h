#pragma once
// Local time as the writing tracker sees it: a calendar day and a minute of
// that day, handed in by the caller on every call. The tracker never reads
// the clock itself, so a test can pass midnight or a week in one call.

#include <cstdint>
#include <string>

// A local calendar day: the number of days since 1970-01-01 (negative
// before it), so that day arithmetic is plain subtraction.
using Day = int32_t;

constexpr int kMinutesPerDay = 24 * 60;

struct LocalTime {
  Day day = 0;
  int minute = 0;  // of the day, 0 to 1439
};

// The day of a date in the proleptic Gregorian calendar. `month` 1 to 12,
// `dayOfMonth` 1 to the month's length; the caller checks them
// (ValidDate).
Day DayOf(int year, int month, int dayOfMonth);
bool ValidDate(int year, int month, int dayOfMonth);

// "YYYY-MM-DD", as the history file writes dates (years 0 to 9999).
std::string DateText(Day day);

// The day of a date written "YYYY-MM-DD", or as Excel may rewrite one when
// it saves the file again ("YYYY/M/D"; month and day of one or two digits
// with either separator). False for anything else, an impossible date
// included.
bool ParseDate(const std::string& text, Day& day);

// The local time now, from the system's clock and time zone (GetLocalTime
// on Windows, localtime_r elsewhere).
LocalTime ReadLocalTime();
