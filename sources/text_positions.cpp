#include "sources/text_positions.h"

#include <algorithm>
#include <numeric>

#include "engine/cp936_table.h"
#include "sources/text_encoding.h"

namespace {

// The controls never put a position inside a surrogate pair; one that
// claims to falls on the pair, so that no half of it is counted.
size_t OnWholePair(const char16_t* text, size_t length, size_t i) {
  const bool inPair =
      i > 0 && i < length && IsHighSurrogate(text[i - 1]) && IsLowSurrogate(text[i]);
  return inPair ? i - 1 : i;
}

}  // namespace

size_t Utf16PositionToIndex(const char16_t* text, size_t length, uint64_t position) {
  return OnWholePair(text, length, position < length ? size_t(position) : length);
}

size_t RichEditPositionToIndex(const char16_t* text, size_t length, uint64_t position) {
  size_t i = 0;
  for (uint64_t at = 0; at < position && i < length; ++at)
    i += text[i] == u'\r' && i + 1 < length && text[i + 1] == u'\n' ? 2 : 1;
  return OnWholePair(text, length, i);
}

unsigned Utf8Bytes(uint32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

unsigned Cp936Bytes(uint32_t c) {
  const uint16_t form = Cp936Form(c);
  return form == 0 ? 1 : form < 0x80 ? 1 : 2;  // no form: Scintilla would hold "?"
}

std::vector<size_t> BytePositionsToIndexes(const char16_t* text, size_t length,
                                           const std::vector<uint64_t>& positions,
                                           const CodePointBytes& bytesOf) {
  std::vector<size_t> order(positions.size());
  std::iota(order.begin(), order.end(), size_t(0));
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return positions[a] < positions[b]; });
  std::vector<size_t> indexes(positions.size());
  size_t i = 0;
  uint64_t at = 0;  // the bytes before text[i]
  for (const size_t k : order) {
    while (i < length) {
      uint32_t c = text[i];
      size_t units = 1;
      if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        units = 2;
      } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
        c = 0xFFFD;
      }
      const unsigned bytes = bytesOf(c);
      if (at + bytes > positions[k]) break;
      at += bytes;
      i += units;
    }
    indexes[k] = i;
  }
  return indexes;
}
