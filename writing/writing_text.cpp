#include "writing/writing_text.h"

#include <algorithm>
#include <climits>

#include "engine/format_count.h"
#include "writing/history_csv.h"

namespace {

// Floor division by a positive `divisor`.
int64_t FloorDivide(int64_t value, int64_t divisor) {
  const int64_t quotient = value / divisor;
  return value % divisor != 0 && value < 0 ? quotient - 1 : quotient;
}

}  // namespace

std::wstring TodaySlotText(int64_t growth, int64_t target) {
  std::wstring text = L"今日 " + CountText(double(growth));
  if (target <= 0) return text;
  // Growth is a difference of two totals: within 2^54, so a hundred times
  // it fits.
  const int64_t bounded = std::clamp(growth, -2 * kLargestTotal, 2 * kLargestTotal);
  const int64_t percent = FloorDivide(bounded * 100, target);
  return text + L" / " + CountText(double(target)) + L"（" + CountText(double(percent)) + L"%）";
}

std::wstring SpeedText(std::optional<double> perHour) {
  if (!perHour) return std::wstring();
  return CountText(*perHour) + L" 字/小时";
}

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\u3000'; }

}  // namespace

std::optional<int> ParseDailyTarget(const std::wstring& text) {
  size_t from = 0, to = text.size();
  while (from < to && IsBlank(text[from])) ++from;
  while (to > from && IsBlank(text[to - 1])) --to;
  long long value = 0;
  for (size_t i = from; i < to; ++i) {
    const wchar_t c = text[i];
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
    if (value > INT_MAX) return std::nullopt;
  }
  return int(value);
}
