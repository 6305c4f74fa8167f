#pragma once
// Generated GBK text whose true counts come from the generator itself, not
// from the code under test, and the four counts as one comparable value.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "engine/gbk_scan.h"

// Chinese characters, Chinese punctuation, English characters, English
// punctuation: compared and printed whole by the test framework.
using Four = std::vector<uint64_t>;
Four FourOf(const GbkCounts& counts);
// The four, then 字数 and 字符数(不计空格).
Four SixOf(const GbkCounts& counts);

// Word's two figures of a text of code points, worked out on the code
// points themselves: the reference the GBK scan must match.
struct WordFigures {
  uint64_t words = 0, charsNoSpace = 0;
  bool operator==(const WordFigures& o) const {
    return words == o.words && charsNoSpace == o.charsNoSpace;
  }
};
// For the test framework's messages: "字数 6, 字符数 10".
std::ostream& operator<<(std::ostream& out, const WordFigures& f);
WordFigures ReferenceWordFigures(const std::u32string& text);
WordFigures WordFiguresOf(const GbkCounts& counts);

// `text` in code page 936, a character without a GBK form as its stand-in
// (as the converters write it).
std::string GbkOf(const std::u32string& text);
std::string Utf8Of(const std::u32string& text);

struct GbkCorpus {
  std::string text;  // no 0 byte inside
  GbkCounts counts;  // what the text holds, by construction
};

// Realistic prose: hanzi, full-width punctuation, ASCII words and digits,
// spaces, CR LF line ends and a few GBK extension characters (some with a
// trail byte below 0x80). Deterministic for a given seed.
GbkCorpus MakeGbkProse(size_t minBytes, uint32_t seed);

// Uniformly random bytes 1..255 (no terminator inside).
std::string MakeRandomBytes(size_t size, uint32_t seed);

// `text` in UTF-16 of either byte order, without a byte-order mark.
std::string Utf16(const std::u16string& text, bool bigEndian);

// Every character of the Basic Multilingual Plane, U+0001 to U+FFFF but the
// surrogates, in order, in UTF-8; and its counts as Windows' code page 936
// gives them (measured there): 13,680 hanzi and 49,680 marks (every
// character without a GBK form one mark), and the ASCII controls, letters
// and digits (93) and marks (34, a lone CR among them).
std::string EveryBmpCharacter();
const Four kEveryBmpCharacterCounts = {13680, 49680, 92, 35};
