#include "sources/text_positions.h"

#include "engine/cp936_table.h"
#include "sources/text_encoding.h"

size_t RichEditPositionToIndex(const char16_t* text, size_t length, uint64_t position) {
  size_t i = 0;
  for (uint64_t at = 0; at < position && i < length; ++at)
    i += text[i] == u'\r' && i + 1 < length && text[i + 1] == u'\n' ? 2 : 1;
  return i;
}

unsigned Utf8Bytes(uint32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

unsigned Cp936Bytes(uint32_t c) {
  const uint16_t form = Cp936Form(c);
  return form == 0 ? 1 : form < 0x80 ? 1 : 2;  // no form: Scintilla would hold "?"
}

size_t BytePositionToIndex(const char16_t* text, size_t length, uint64_t position,
                           const CodePointBytes& bytesOf) {
  size_t i = 0;
  for (uint64_t at = 0; i < length;) {
    uint32_t c = text[i];
    size_t units = 1;
    if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      units = 2;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = 0xFFFD;
    }
    at += bytesOf(c);
    if (at > position) break;
    i += units;
  }
  return i;
}
