// Word's 字数 and 字符数(不计空格), as the GBK scan counts them in the same
// pass as the four categories.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/cp936_table.h"
#include "engine/gbk_scan.h"
#include "engine/gbk_scan_kernels.h"
#include "engine/word_class.h"
#include "tests/support/gbk_corpus.h"

namespace {

GbkCounts ScanWhole(const std::string& gbk, bool scalar = false) {
  GbkScanState state;
  GbkCounts counts;
  (scalar ? ScanGbkScalar : ScanGbk)(reinterpret_cast<const unsigned char*>(gbk.data()),
                                     gbk.size(), state, counts);
  return counts;
}

struct Case {
  const char* why;
  std::u32string text;
  WordFigures want;  // 字数, 字符数(不计空格)
};

const Case kCases[] = {
    {"the counts a writer sees in Word", U"中文，abc 123。", {6, 10}},
    {"Latin inside Chinese is one word", U"我爱Python编程。", {6, 11}},
    {"digits are one word; 年月日 one each", U"2024年12月7日", {6, 10}},
    {"mail and dashes stay one word", U"e-mail: a@b.cn", {2, 13}},
    {"the input method's marks count one each", U"——好……", {5, 5}},
    {"a full-width mark ends a word", U"Hello、World。", {4, 12}},
    {"3.14, vis-a-vis, 2024: one word each", U"3.14 vis-a-vis 2024", {3, 17}},
    {"full-width letters and digits are East Asian", U"ＡＢ１２", {4, 4}},
    {"kana and katakana's dot and long mark", U"カタカナ・ひらがなー", {10, 10}},
    {"Hangul syllables (no GBK form) are East Asian", U"한국어", {3, 3}},
    {"half-width katakana, hanzi after U+9FA5, Extension G (no GBK form) are East Asian",
     U"ｶﾀ鿏鿏\U00030000\U00030001", {6, 6}},
    {"an emoji (no GBK form) joins a word", U"Hello👍World", {1, 11}},
    {"circled digits are not East Asian: one word", U"①②③", {1, 3}},
    {"Greek and Cyrillic letters join words", U"αβγ Привет", {2, 9}},
    {"pinyin with tones is one word", U"nǐ hǎo", {2, 5}},
    {"°C and ℃ join the number before them", U"30℃ 5°", {2, 5}},
    {"math signs join: one word", U"1×2÷3≈4", {1, 7}},
    {"box drawing joins", U"┌─┐", {1, 3}},
    {"middle dot, curly quotes, reference mark, ‖ between letters", U"·‘’“”※a‖b", {9, 9}},
    {"ideographic space is whitespace", U"　　第一章　开始", {5, 5}},
    {"every ASCII whitespace, a no-break space", U"a\tb\nc\vd\fe\rf g\u00A0h", {8, 8}},
    {"the spaces U+2000 to U+200A end words", U"a\u2000b\u200Ac", {3, 3}},
    {"CR LF, LF and CR end words alike", U"ab\r\ncd\nef\rgh", {4, 8}},
    {"a byte-order mark and a zero-width space are no characters", U"ab\uFEFFcd\u200Bef", {3, 6}},
    {"only whitespace", U" \t\r\n　", {0, 0}},
    {"private use (GBK's user-defined areas) is East Asian", U"\uE000\uE001x", {3, 3}},
    {"ASCII controls other than whitespace are characters", U"a\x01" U"b", {1, 3}},
};

// The cases by the code-point reference, by the scalar scan, by the
// dispatched scan, and cut in two at every byte.
TEST(WordCount, CountsAsWordDoes) {
  for (const Case& c : kCases) {
    EXPECT_EQ(c.want, ReferenceWordFigures(c.text)) << c.why << " (reference)";
    const std::string gbk = GbkOf(c.text);
    EXPECT_EQ(c.want, WordFiguresOf(ScanWhole(gbk, true))) << c.why;
    for (size_t cut = 0; cut <= gbk.size(); ++cut) {
      GbkScanState state;
      GbkCounts counts;
      const auto* bytes = reinterpret_cast<const unsigned char*>(gbk.data());
      ScanGbk(bytes, cut, state, counts);
      ScanGbk(bytes + cut, gbk.size() - cut, state, counts);
      EXPECT_EQ(c.want, WordFiguresOf(counts)) << c.why << ", cut at " << cut;
    }
  }
}

// A run never ends at a piece's edge; a lead cut from its trail settles
// when the trail comes, even a piece later.
TEST(WordCount, AWordAcrossAPieceEdgeCountsOnce) {
  const std::string gbk = GbkOf(U"word×word αβ 中 ");
  for (size_t cut = 0; cut <= gbk.size(); ++cut)
    for (size_t second = cut; second <= gbk.size(); ++second) {
      GbkScanState state;
      GbkCounts counts;
      const auto* bytes = reinterpret_cast<const unsigned char*>(gbk.data());
      ScanGbkScalar(bytes, cut, state, counts);
      ScanGbkScalar(bytes + cut, second - cut, state, counts);
      ScanGbkScalar(bytes + second, gbk.size() - second, state, counts);
      EXPECT_EQ((WordFigures{3, 12}), WordFiguresOf(counts)) << cut << ", " << second;
    }
}

// The scan knows a GBK character's class by its lead, or by the table for
// the mixed rows; every character of code page 936 must agree with its code
// point's class.
TEST(WordCount, EveryGbkCharacterHasItsCodePointsClass) {
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      const uint32_t c = Cp936Character(static_cast<unsigned char>(lead),
                                        static_cast<unsigned char>(trail));
      if (!c) continue;
      ASSERT_EQ(WordClassOf(c), GbkWordClass(static_cast<unsigned char>(lead),
                                             static_cast<unsigned char>(trail)))
          << std::hex << lead << trail << " U+" << c;
    }
}

// Characters without a GBK form stand in as a GBK character of their class.
TEST(WordCount, AStandInHasTheClassOfWhatItStandsFor) {
  for (char32_t c : {U'😀', U'한', U'\u00A0', U'\uFEFF', U'\u200B', U'ก', U'\U0010FFFF'}) {
    const uint16_t standIn = NoGbkFormStandIn(c);
    EXPECT_EQ(WordClassOf(c), GbkWordClass(static_cast<unsigned char>(standIn >> 8),
                                           static_cast<unsigned char>(standIn & 0xFF)))
        << std::hex << uint32_t(c);
  }
}

// Random texts over characters of every class, long enough for every
// kernel's blocks and chunks: the scan against the code-point reference.
TEST(WordCount, RandomTextsMatchTheCodePointReference) {
  const std::u32string alphabet =
      U"中文字。，、“”《》…—·ａＢ１かカー한😀αПǎ×℃①┌─ \t\r\n　abcXYZ019-.@"
      U"\u00A0\uFEFF\uE000〇㈠︰";
  std::mt19937 rng(11);
  for (int round = 0; round < 40; ++round) {
    std::u32string text(size_t(rng() % 1500), U' ');
    // Runs of one character make long words and long stretches of one row.
    for (size_t i = 0; i < text.size();) {
      const char32_t c = alphabet[rng() % alphabet.size()];
      for (size_t n = 1 + rng() % 4; n > 0 && i < text.size(); --n) text[i++] = c;
    }
    const std::string gbk = GbkOf(text);
    const WordFigures want = ReferenceWordFigures(text);
    EXPECT_EQ(want, WordFiguresOf(ScanWhole(gbk, true))) << "scalar, round " << round;
    EXPECT_EQ(want, WordFiguresOf(ScanWhole(gbk))) << GbkKernelName() << ", round " << round;
    // In pieces of any length: a mixed row's lead cut from its trail, then
    // a piece long enough for a kernel.
    GbkScanState state;
    GbkCounts pieces;
    const auto* bytes = reinterpret_cast<const unsigned char*>(gbk.data());
    for (size_t at = 0, n; at < gbk.size(); at += n) {
      n = std::min(gbk.size() - at, size_t(1 + rng() % 300));
      ScanGbk(bytes + at, n, state, pieces);
    }
    EXPECT_EQ(want, WordFiguresOf(pieces)) << "in pieces, round " << round;
  }
}

}  // namespace
