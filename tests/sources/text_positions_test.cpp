// Each control family's positions as indexes of the text it hands over.
#include "sources/text_positions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TextPositions, ARichEditCountsAParagraphEndOnce) {
  const std::u16string text = u"ab\r\ncd\r\n\r\nef";
  const struct {
    uint64_t position;
    size_t index;
  } cases[] = {
      {0, 0}, {2, 2},    // before the first paragraph end
      {3, 4}, {5, 6},    // past one CR LF
      {6, 8}, {7, 10},   // an empty paragraph
      {9, 12}, {99, 12}, // the end, and past it
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.index, RichEditPositionToIndex(text.data(), text.size(), c.position))
        << c.position;
  // A lone CR (or LF) is a position of its own, as the copy shows it.
  EXPECT_EQ(2u, RichEditPositionToIndex(u"\ra\n", 3, 2));
}

// Positions come from another program and may be anything. One inside a
// surrogate pair falls on the pair, as a byte inside a Scintilla character
// does, so no half of it is counted; one past the end (even beyond what a
// 32-bit size_t holds) is the end.
TEST(TextPositions, AnEditOrRichEditPositionInsideAPairFallsOnThePair) {
  const std::u16string text = u"a😀b";
  const struct {
    uint64_t position;
    size_t index;
  } cases[] = {
      {1, 1}, {2, 1}, {3, 3}, {4, 4}, {(uint64_t(1) << 32) + 2, 4}, {uint64_t(1) << 63, 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.index, Utf16PositionToIndex(text.data(), text.size(), c.position)) << c.position;
    EXPECT_EQ(c.index, RichEditPositionToIndex(text.data(), text.size(), c.position))
        << c.position;
  }
  // A lone high surrogate before a character is no pair: nothing moves.
  EXPECT_EQ(1u, Utf16PositionToIndex(u"\xD800" u"a", 2, 1));
}

// Scintilla counts bytes of its document's code page: a character outside
// the BMP is 4 UTF-8 bytes and 2 UTF-16 units, a hanzi 3 bytes in UTF-8 and
// 2 in GBK.
TEST(TextPositions, ScintillaBytePositionsFallOnTheirCharacters) {
  const std::u16string text = u"a中😀b";  // UTF-8: 1+3+4+1 bytes; GBK: 1+2+(none)+1
  const struct {
    const char* what;
    CodePointBytes bytes;
    uint64_t position;
    size_t index;
  } cases[] = {
      {"UTF-8, the start", Utf8Bytes, 0, 0},
      {"UTF-8, after a", Utf8Bytes, 1, 1},
      {"UTF-8, inside 中", Utf8Bytes, 2, 1},
      {"UTF-8, after 中", Utf8Bytes, 4, 2},
      {"UTF-8, after the emoji", Utf8Bytes, 8, 4},
      {"UTF-8, the end", Utf8Bytes, 9, 5},
      {"UTF-8, past the end", Utf8Bytes, 50, 5},
      {"GBK, after 中", Cp936Bytes, 3, 2},
      {"GBK, after the emoji held as ?", Cp936Bytes, 4, 4},
  };
  for (const auto& c : cases)
    EXPECT_EQ(std::vector<size_t>{c.index},
              BytePositionsToIndexes(text.data(), text.size(), {c.position}, c.bytes))
        << c.what;
  const std::u16string lone = u"\xD800" u"a";  // a lone surrogate: U+FFFD's 3 bytes
  EXPECT_EQ(std::vector<size_t>{1},
            BytePositionsToIndexes(lone.data(), lone.size(), {3}, Utf8Bytes));
  // The ranges of a rectangle come in any order and may repeat: each falls
  // where it would alone.
  EXPECT_EQ(std::vector<size_t>({5, 1, 2, 1, 0, 4}),
            BytePositionsToIndexes(text.data(), text.size(), {9, 2, 4, 1, 0, 8}, Utf8Bytes));
}

}  // namespace
