#include "engine/word_class.h"

#include <vector>

#include "engine/cp936_table.h"

namespace {

struct Range {
  uint32_t first, last;
};

// Sorted, not overlapping.
constexpr Range kEastAsian[] = {
    {0x00B7, 0x00B7},    // · middle dot
    {0x1100, 0x11FF},    // Hangul Jamo
    {0x2014, 0x2016},    // — ― ‖
    {0x2018, 0x2019},    // ‘ ’
    {0x201C, 0x201D},    // “ ”
    {0x2026, 0x2026},    // …
    {0x203B, 0x203B},    // ※
    {0x2E80, 0x2FDF},    // CJK Radicals Supplement, Kangxi Radicals
    {0x3001, 0x303F},    // CJK Symbols and Punctuation (0x3000 is a space)
    {0x3040, 0x30FF},    // Hiragana, Katakana
    {0x3100, 0x312F},    // Bopomofo
    {0x3130, 0x318F},    // Hangul Compatibility Jamo
    {0x31A0, 0x31BF},    // Bopomofo Extended
    {0x31F0, 0x31FF},    // Katakana Phonetic Extensions
    {0x3200, 0x33FF},    // Enclosed CJK Letters and Months, CJK Compatibility
    {0x3400, 0x4DBF},    // CJK Unified Ideographs Extension A
    {0x4E00, 0x9FFF},    // CJK Unified Ideographs
    {0xA960, 0xA97F},    // Hangul Jamo Extended-A
    {0xAC00, 0xD7FF},    // Hangul Syllables, Jamo Extended-B
    {0xE000, 0xF8FF},    // private use: GBK's user-defined areas
    {0xF900, 0xFAFF},    // CJK Compatibility Ideographs
    {0xFE10, 0xFE1F},    // Vertical Forms
    {0xFE30, 0xFE4F},    // CJK Compatibility Forms
    {0xFF00, 0xFFEF},    // Halfwidth and Fullwidth Forms
    {0x1B000, 0x1B16F},  // Kana Supplement and Extended
    {0x20000, 0x3FFFF},  // the supplementary ideographic planes
};

constexpr uint32_t kSpaces[] = {0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020,
                                0x0085, 0x00A0, 0x1680, 0x2028, 0x2029, 0x202F,
                                0x205F, 0x3000,
                                0x200B, 0xFEFF};  // no characters

bool IsSpace(uint32_t c) {
  if (c >= 0x2000 && c <= 0x200A) return true;
  for (uint32_t s : kSpaces)
    if (c == s) return true;
  return false;
}

bool IsEastAsian(uint32_t c) {
  for (const Range& r : kEastAsian) {
    if (c < r.first) return false;
    if (c <= r.last) return true;
  }
  return false;
}

constexpr unsigned kFirstMixedLead = 0xA1, kMixedLeads = 0xA9 - 0xA1 + 1;

// The classes of leads 0xA1..0xA9 by trail; built once, never destroyed (a
// count's thread may still be at work while the process ends).
const std::vector<WordClass>& MixedRows() {
  static const std::vector<WordClass>& rows = *[] {
    auto* t = new std::vector<WordClass>(kMixedLeads * 256, WordClass::kEastAsian);
    for (unsigned lead = 0; lead < kMixedLeads; ++lead)
      for (unsigned trail = 0; trail < 256; ++trail) {
        const uint32_t c = Cp936Character(static_cast<unsigned char>(kFirstMixedLead + lead),
                                          static_cast<unsigned char>(trail));
        if (c) (*t)[lead * 256 + trail] = WordClassOf(c);
      }
    return t;
  }();
  return rows;
}

}  // namespace

WordClass WordClassOf(uint32_t codePoint) {
  if (IsSpace(codePoint)) return WordClass::kSpace;
  return IsEastAsian(codePoint) ? WordClass::kEastAsian : WordClass::kWordPart;
}

WordClass GbkWordClass(unsigned char lead, unsigned char trail) {
  if (!IsMixedRowLead(lead)) return WordClass::kEastAsian;
  return MixedRows()[(lead - kFirstMixedLead) * 256u + trail];
}

uint16_t NoGbkFormStandIn(uint32_t codePoint) {
  switch (WordClassOf(codePoint)) {
    case WordClass::kEastAsian: return 0xA3BF;
    case WordClass::kWordPart: return 0xA6A1;
    case WordClass::kSpace: return 0xA1A1;
  }
  return 0xA3BF;
}
