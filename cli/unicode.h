#pragma once
// Just enough Unicode decoding to tell, where a converter stops, a character
// that has no GBK form (counted) from input that is not well-formed (an
// error). Both platforms' converters use it, so they agree on what is
// malformed.

#include <cstddef>
#include <cstdint>

// The length of the sequence at `p` when it is well-formed, 0 when the
// `avail` bytes are a valid but incomplete start, -1 when malformed
// (overlong forms, surrogates and values above U+10FFFF included).
inline int Utf8SequenceLength(const unsigned char* p, size_t avail) {
  const unsigned char b = p[0];
  if (b < 0x80) return 1;
  int len;
  unsigned char lo = 0x80, hi = 0xBF;  // the second byte's range
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return -1;
  }
  for (int i = 1; i < len; ++i) {
    if (size_t(i) >= avail) return 0;
    const unsigned char c = p[i];
    if (c < (i == 1 ? lo : 0x80) || c > (i == 1 ? hi : 0xBF)) return -1;
  }
  return len;
}

inline unsigned Utf16Unit(const unsigned char* p, bool bigEndian) {
  return bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
}

// As Utf8SequenceLength, for UTF-16: 2, 4 (a surrogate pair), 0 or -1.
inline int Utf16SequenceLength(const unsigned char* p, size_t avail, bool bigEndian) {
  if (avail < 2) return 0;
  const unsigned u = Utf16Unit(p, bigEndian);
  if (u >= 0xDC00 && u <= 0xDFFF) return -1;
  if (u < 0xD800 || u > 0xDBFF) return 2;
  if (avail < 4) return 0;
  const unsigned low = Utf16Unit(p + 2, bigEndian);
  return low >= 0xDC00 && low <= 0xDFFF ? 4 : -1;
}

// U+20AC: code page 936 gives it the single byte 0x80, which the engine
// (like the window) reads as a lead byte that swallows the next character.
// The converters count it as a character without a GBK form instead.
constexpr unsigned kEuroSign = 0x20AC;

// What a character without a GBK form becomes: the full-width question mark
// (lead 0xA3, outside the hanzi rows), so it counts as one Chinese
// punctuation mark.
constexpr char kNoGbkForm[2] = {'\xA3', '\xBF'};
