#pragma once
// The texts the window shows for today's writing, its numbers grouped as
// every count of the product is (engine/format_count.h: 1,2345).

#include <cstdint>
#include <optional>
#include <string>

// The slot's text: "今日 1,2345" without a target (`target` 0 or less),
// "今日 3214 / 4000（80%）" with one; the share is rounded down (floor, so
// -0.5 % is -1 %), and a growth below zero shows its minus sign.
std::wstring TodaySlotText(int64_t growth, int64_t target);

// "1820 字/小时", the fraction dropped; empty while there is no speed.
std::wstring SpeedText(std::optional<double> perHour);

// The daily target a typed text stands for: 0 (no target) for an empty or
// blank text, the number for ASCII digits (blanks around them allowed) up
// to INT_MAX; nothing for anything else (a sign, a fraction, full-width
// digits, a number too large).
std::optional<int> ParseDailyTarget(const std::wstring& text);
