#include "engine/format_count.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

void FormatCount(Count value, char* out, size_t outSize) {
  if (outSize == 0) return;
  constexpr double kLimit = 9223372036854775807.0;  // 2^63
  const bool negative = value < 0;
  const double magnitude = std::min(negative ? -value : value, kLimit);
  uint64_t n = magnitude >= kLimit ? UINT64_C(9223372036854775807)
                                   : uint64_t(magnitude);

  // Built backwards from the last digit; the sign stays outside the groups.
  char text[kCountTextSize];
  size_t len = 0;
  int inGroup = 0;
  do {
    if (inGroup == 4) {
      text[len++] = ',';
      inGroup = 0;
    }
    text[len++] = char('0' + n % 10);
    n /= 10;
    ++inGroup;
  } while (n != 0);
  if (negative && magnitude >= 1.0) text[len++] = '-';
  std::reverse(text, text + len);

  const size_t kept = std::min(len, outSize - 1);
  std::memcpy(out, text, kept);
  out[kept] = '\0';
}

std::wstring CountText(Count value) {
  char text[kCountTextSize];
  FormatCount(value, text, sizeof text);
  return std::wstring(text, text + std::char_traits<char>::length(text));  // ASCII
}
