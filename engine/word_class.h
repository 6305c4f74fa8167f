#pragma once
// How the counts writers are paid and graded by see a character, as Word's
// 字数统计 counts them:
//   字符数(不计空格): every character but whitespace;
//   字数: every East Asian character on its own, plus every run of other
//   characters that are not whitespace (an East Asian character or a
//   whitespace ends a run).
// East Asian: the scripts Han, Hiragana, Katakana, Hangul and Bopomofo; the
// CJK blocks of symbols, forms, radicals and compatibility characters; the
// private use area, where GBK's user-defined areas (characters made by hand,
// mostly hanzi) live; and the marks a Chinese input method types from
// General Punctuation and Latin-1 (· — ― ‖ ‘ ’ “ ” … ※), which Chinese
// typesetting gives a character cell each.

#include <cstdint>

enum class WordClass : uint8_t {
  kEastAsian,  // a word by itself
  kWordPart,   // joins the characters beside it into one word
  kSpace,      // no character; ends a word. A byte-order mark and a
               // zero-width space are no characters either.
};

WordClass WordClassOf(uint32_t codePoint);

// The class of the double-byte GBK character `lead`, `trail` (any bytes, 0
// for a trail that never came): its code page 936 character's, and East
// Asian for a pair that is no character.
WordClass GbkWordClass(unsigned char lead, unsigned char trail);

// Leads whose characters differ in class by trail: 0xA1, 0xA2 and 0xA6..0xA9
// (symbols, Greek, Cyrillic, pinyin, box drawing beside Chinese marks).
// Every other lead's characters are East Asian.
constexpr bool IsMixedRowLead(unsigned b) {
  return b == 0xA1 || b == 0xA2 || (b >= 0xA6 && b <= 0xA9);
}

// For the scan's quick test: after lead 0xA1, these trails are the
// ideographic space (0xA1) or East Asian marks (、。· 〃々―～‖…‘’“”〔〕…【】),
// the row's characters of everyday prose.
constexpr bool IsCommonA1Trail(unsigned b) {
  return (b >= 0xA1 && b <= 0xA4) || (b >= 0xA8 && b <= 0xBF);
}

// Single bytes that are whitespace: tab, LF, VT, FF, CR and space.
constexpr bool IsSpaceByte(unsigned b) { return b == 0x20 || (b >= 0x09 && b <= 0x0D); }

// A stand-in for a character without a GBK form, of the same class: what a
// converter writes in its place, so the scan counts it as the character it
// is. Every stand-in is one Chinese punctuation mark: ？ (0xA3BF, East
// Asian), Α (0xA6A1, a word part) or the ideographic space (0xA1A1).
uint16_t NoGbkFormStandIn(uint32_t codePoint);
