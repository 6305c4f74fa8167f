#include "writing/local_time.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The Gregorian calendar repeats every 400 years (146,097 days); counting
// in eras of that length from a year starting in March puts the leap day
// at the end of each year, where it needs no special case.
constexpr int kDaysPerEra = 146097;
constexpr int kEraOf1970 = 719468;  // days from 0000-03-01 to 1970-01-01

void DateOf(Day day, int& year, int& month, int& dayOfMonth) {
  const int64_t z = int64_t(day) + kEraOf1970;
  const int64_t era = (z >= 0 ? z : z - kDaysPerEra + 1) / kDaysPerEra;
  const int64_t dayOfEra = z - era * kDaysPerEra;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 is March
  dayOfMonth = int(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = int(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// Reads `minDigits` to `maxDigits` digits at text[at], moving `at` past
// them; false when there are fewer or more.
bool ReadNumber(const std::string& text, size_t& at, int minDigits, int maxDigits, int& value) {
  value = 0;
  int digits = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < maxDigits) {
    value = value * 10 + (text[at++] - '0');
    ++digits;
  }
  return digits >= minDigits && (at == text.size() || text[at] < '0' || text[at] > '9');
}

}  // namespace

bool ValidDate(int year, int month, int dayOfMonth) {
  return year >= 0 && year <= 9999 && month >= 1 && month <= 12 && dayOfMonth >= 1 &&
         dayOfMonth <= DaysInMonth(year, month);
}

Day DayOf(int year, int month, int dayOfMonth) {
  const int64_t y = month <= 2 ? year - 1 : year;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + dayOfMonth - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return Day(era * kDaysPerEra + dayOfEra - kEraOf1970);
}

std::string DateText(Day day) {
  int year, month, dayOfMonth;
  DateOf(day, year, month, dayOfMonth);
  char text[40];  // room for any int, though years stay within 0 to 9999
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, dayOfMonth);
  return text;
}

bool ParseDate(const std::string& text, Day& day) {
  size_t at = 0;
  int year, month, dayOfMonth;
  if (!ReadNumber(text, at, 4, 4, year) || at == text.size()) return false;
  // Excel, saving the file again, may drop the leading zeros.
  const char separator = text[at++];
  if ((separator != '-' && separator != '/') || !ReadNumber(text, at, 1, 2, month) ||
      at == text.size() || text[at++] != separator || !ReadNumber(text, at, 1, 2, dayOfMonth) ||
      at != text.size() || !ValidDate(year, month, dayOfMonth))
    return false;
  day = DayOf(year, month, dayOfMonth);
  return true;
}

LocalTime ReadLocalTime() {
  int year, month, dayOfMonth, hour, minute;
#ifdef _WIN32
  SYSTEMTIME now;
  GetLocalTime(&now);
  year = now.wYear, month = now.wMonth, dayOfMonth = now.wDay;
  hour = now.wHour, minute = now.wMinute;
#else
  const time_t seconds = time(nullptr);
  tm now = {};
  localtime_r(&seconds, &now);
  year = now.tm_year + 1900, month = now.tm_mon + 1, dayOfMonth = now.tm_mday;
  hour = now.tm_hour, minute = now.tm_min;
#endif
  return {DayOf(year, month, dayOfMonth), hour * 60 + minute};
}
