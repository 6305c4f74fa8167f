#pragma once
// Count formatting: the whole number's digits grouped in fours from the
// right with commas, the Chinese grouping by ten-thousands:
// 123456789 -> "1,2345,6789", -12345 -> "-1,2345", -1234 -> "-1234".

#include <cstddef>
#include <string>

#include "engine/app_state.h"

// Room for any count: 20 digits, 4 commas, a sign and the terminator.
constexpr size_t kCountTextSize = 32;

// Writes the grouped text of `value` (a whole number; a fraction is
// dropped) into `out`, always terminated. Values beyond +-2^63 are clamped
// there; counts never come near.
void FormatCount(Count value, char* out, size_t outSize);

// The same text as UTF-16, for the window's slots and texts.
std::wstring CountText(Count value);
