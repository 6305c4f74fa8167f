#include "tests/support/gbk_corpus.h"

#include <ostream>
#include <random>

#include "engine/cp936_table.h"
#include "engine/word_class.h"

// Sentences of 3 to 30 pieces, each ended by a full stop and CR LF: 70%
// hanzi, 8% full-width marks, 2% extension characters, 10% words, 5%
// numbers, 5% ASCII punctuation.
GbkCorpus MakeGbkProse(size_t minBytes, uint32_t seed) {
  std::mt19937 rng(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  GbkCorpus out;
  std::string& t = out.text;
  GbkCounts& k = out.counts;
  while (t.size() < minBytes) {
    for (int n = pick(3, 30); n > 0; --n) {
      const int kind = pick(0, 99);
      if (kind < 70) {
        t += {char(pick(0xB0, 0xF7)), char(pick(0xA1, 0xFE))};
        ++k.cnChars;
      } else if (kind < 78) {
        static const char* const kMarks[] = {"\xA3\xAC", "\xA1\xA3", "\xA1\xA2",
                                             "\xA3\xBA", "\xA1\xB0", "\xA1\xB1"};
        t += kMarks[pick(0, 5)];
        ++k.cnPunct;
      } else if (kind < 80) {  // GBK/3 or GBK/4, some with a trail byte below 0x80
        const int lead = pick(0, 1) ? pick(0x81, 0xA0) : pick(0xAA, 0xAF), trail = pick(0x40, 0xFE);
        t += {char(lead), char(trail == 0x7F ? 0x80 : trail)};
        ++k.cnPunct;
      } else if (kind < 95) {  // a word or a number
        for (int m = pick(1, 8); m > 0; --m, ++k.enChars)
          t += char(kind >= 90 ? pick('0', '9') : pick(0, 1) ? pick('a', 'z') : pick('A', 'Z'));
      } else {
        t += " ,.;:!?()-\"'"[pick(0, 11)];
        ++k.enPunct;
      }
    }
    t += "\xA1\xA3\r\n";  // full stop, CR LF
    ++k.cnPunct, ++k.enPunct;
  }
  return out;
}

std::string MakeRandomBytes(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> byte(1, 255);
  std::string s(size, '\0');
  for (char& c : s) c = char(byte(rng));
  return s;
}

Four FourOf(const GbkCounts& c) { return {c.cnChars, c.cnPunct, c.enChars, c.enPunct}; }
Four SixOf(const GbkCounts& c) {
  return {c.cnChars, c.cnPunct, c.enChars, c.enPunct, c.words, c.charsNoSpace};
}

std::ostream& operator<<(std::ostream& out, const WordFigures& f) {
  return out << "字数 " << f.words << ", 字符数 " << f.charsNoSpace;
}

WordFigures ReferenceWordFigures(const std::u32string& text) {
  WordFigures f;
  bool inRun = false;
  for (char32_t c : text) {
    const WordClass k = WordClassOf(c);
    if (k != WordClass::kSpace) ++f.charsNoSpace;
    if (k == WordClass::kEastAsian || (k == WordClass::kWordPart && !inRun)) ++f.words;
    inRun = k == WordClass::kWordPart;
  }
  return f;
}

WordFigures WordFiguresOf(const GbkCounts& c) { return {c.words, c.charsNoSpace}; }

std::string GbkOf(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    uint16_t form = Cp936Form(c);
    if (!form) form = NoGbkFormStandIn(c);
    if (form >= 0x100) out += char(form >> 8);
    out += char(form & 0xFF);
  }
  return out;
}

std::string Utf8Of(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      out += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
    } else {
      out += {char(0xF0 | c >> 18), char(0x80 | (c >> 12 & 0x3F)), char(0x80 | (c >> 6 & 0x3F)),
              char(0x80 | (c & 0x3F))};
    }
  }
  return out;
}

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string out;
  for (char16_t u : text) {
    const char hi = char(u >> 8), lo = char(u & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

std::string EveryBmpCharacter() {
  std::string out;
  for (uint32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
    } else {
      out += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
    }
  }
  return out;
}
