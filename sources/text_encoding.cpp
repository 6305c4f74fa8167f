#include "sources/text_encoding.h"

#include <algorithm>
#include <cstring>

#include "engine/cp936_table.h"
#include "engine/word_class.h"

namespace {

// A code point that stands for a malformed unit counted as a character
// without a GBK form (beyond the Basic Multilingual Plane, as those are).
constexpr uint32_t kNoFormMark = 0x10FFFF;

// Converted text is handed to the sink in pieces of this size.
constexpr size_t kOutSize = 64 * 1024;

}  // namespace

int Utf8SequenceLength(const unsigned char* p, size_t avail) {
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

uint32_t Utf8CodePoint(const unsigned char* p, int len) {
  uint32_t cp = len == 1 ? p[0] : p[0] & (0xFF >> (len + 1));
  for (int i = 1; i < len; ++i) cp = cp << 6 | (p[i] & 0x3F);
  return cp;
}

namespace {

unsigned Utf16Unit(const unsigned char* p, bool bigEndian) {
  return bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
}

// As Utf8SequenceLength, for UTF-16: 2, 4 (a surrogate pair), 0 or -1.
int Utf16SequenceLength(const unsigned char* p, size_t avail, bool bigEndian) {
  if (avail < 2) return 0;
  const unsigned u = Utf16Unit(p, bigEndian);
  if (IsLowSurrogate(u)) return -1;
  if (!IsHighSurrogate(u)) return 2;
  if (avail < 4) return 0;
  return IsLowSurrogate(Utf16Unit(p + 2, bigEndian)) ? 4 : -1;
}

// The character at `p`: its length as the functions above give it, and its
// code point when the length is positive.
int DecodeOne(Encoding from, const unsigned char* p, size_t avail, uint32_t& cp) {
  if (from == Encoding::kUtf8) {
    // One, two and three-byte characters without a branch on which (mixed
    // Chinese and English text would mispredict them all); the rest, and
    // anything odd, through the careful path below.
    if (avail >= 3) {
      const uint32_t b = p[0], c1 = p[1], c2 = p[2];
      const uint32_t len = 1 + (b >= 0xC0) + (b >= 0xE0);
      const uint32_t two = (b & 0x1F) << 6 | (c1 & 0x3F);
      const uint32_t three = (b & 0x0F) << 12 | (c1 & 0x3F) << 6 | (c2 & 0x3F);
      cp = len == 1 ? b : len == 2 ? two : three;
      const bool good = b < 0x80 || (len == 2 && (c1 & 0xC0) == 0x80 && b >= 0xC2) ||
                        (b < 0xF0 && ((c1 & 0xC0) == 0x80) & ((c2 & 0xC0) == 0x80) &
                                         (cp >= 0x800) & ((cp & 0xF800) != 0xD800));
      if (good) return int(len);
    }
    const int len = Utf8SequenceLength(p, avail);
    if (len > 0) cp = Utf8CodePoint(p, len);
    return len;
  }
  const bool big = from == Encoding::kUtf16Be;
  const int len = Utf16SequenceLength(p, avail, big);
  if (len > 0) {
    cp = Utf16Unit(p, big);
    if (len == 4) cp = 0x10000 + ((cp - 0xD800) << 10) + (Utf16Unit(p + 2, big) - 0xDC00);
  }
  return len;
}

}  // namespace

const char* EncodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kGbk: return "GBK";
    case Encoding::kUtf8: return "UTF-8";
    case Encoding::kUtf16Le: return "UTF-16LE";
    case Encoding::kUtf16Be: return "UTF-16BE";
  }
  return "?";
}

Encoding EncodingOfMark(const unsigned char* head, size_t size, size_t& markSize) {
  markSize = 0;
  if (size >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
    markSize = 3;
    return Encoding::kUtf8;
  }
  if (size >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
    markSize = 2;
    return Encoding::kUtf16Le;
  }
  if (size >= 2 && head[0] == 0xFE && head[1] == 0xFF) {
    markSize = 2;
    return Encoding::kUtf16Be;
  }
  return Encoding::kGbk;
}

void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6);
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12);
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18);
    out += char(0x80 | (c >> 12 & 0x3F));
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

size_t FirstHighByte(const unsigned char* data, size_t size) {
  size_t i = 0;
  // Eight bytes at a time: text that is ASCII for long is read at memory speed.
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    if (word & 0x8080808080808080ull) break;
  }
  while (i < size && data[i] < 0x80) ++i;
  return i;
}

GbkConverter::GbkConverter(Encoding from, uint64_t firstOffset, OnMalformed onMalformed)
    : from_(from), onMalformed_(onMalformed), offset_(firstOffset), out_(new char[kOutSize]) {}

GbkConverter::~GbkConverter() = default;

bool GbkConverter::Fail(uint64_t offset) {
  failed_ = true;
  errorOffset_ = offset;
  return false;
}

bool GbkConverter::Add(const unsigned char* data, size_t size, TextSink& out) {
  if (failed_) return false;
  // First the character the last piece left incomplete, completed from this one.
  while (carrySize_ > 0 && size > 0 && !ended_) {
    const size_t before = carrySize_;
    const size_t take = std::min(size, sizeof carry_ - before);
    std::memcpy(carry_ + before, data, take);
    const size_t used = Convert(carry_, before + take, offset_ - before, out);
    if (failed_) return false;
    if (used > 0 && used < before) {
      // A lone high surrogate stood for a character (kNoGbkForm) and the
      // unit after it is still incomplete: what is left of the carry stays
      // carried, none of this piece taken yet.
      carrySize_ = before - used;
      std::memmove(carry_, carry_ + used, carrySize_);
      continue;
    }
    const size_t fromData = used ? used - before : take;  // still incomplete: all of it
    carrySize_ = used ? 0 : before + take;
    data += fromData;
    size -= fromData;
    offset_ += fromData;
  }
  if (ended_ || size == 0) return true;
  const size_t used = Convert(data, size, offset_, out);
  if (failed_) return false;
  if (!ended_) {
    carrySize_ = size - used;  // at most three bytes of an incomplete character
    std::memcpy(carry_, data + used, carrySize_);
  }
  offset_ += size;
  return true;
}

bool GbkConverter::Finish(TextSink& out) {
  if (failed_) return false;
  if (ended_ || carrySize_ == 0) return true;
  if (onMalformed_ == OnMalformed::kFail) return Fail(offset_ - carrySize_);  // a character cut short
  const uint16_t standIn = NoGbkFormStandIn(kNoFormMark);
  const char noForm[2] = {char(standIn >> 8), char(standIn & 0xFF)};
  out.NoteNoGbkForm(kNoFormMark);
  out.Add(noForm, 2);
  carrySize_ = 0;
  return true;
}

// Converts whole characters from [data, data + size), which begins at file
// offset `at0`, into the sink; returns the bytes consumed (the rest starts
// an incomplete character).
size_t GbkConverter::Convert(const unsigned char* data, size_t size, uint64_t at0,
                             TextSink& out) {
  // Code page 936's table is built on the first character past ASCII: GBK
  // text, whose UTF-8 reading fails at once, never pays for it.
  const uint16_t* forms = nullptr;
  char* buffer = out_.get();
  size_t made = 0, at = 0;
  while (at < size) {
    uint32_t cp = 0;
    int len = DecodeOne(from_, data + at, size - at, cp);
    if (len < 0) {
      if (onMalformed_ == OnMalformed::kFail) {
        Fail(at0 + at);
        return at;
      }
      len = from_ == Encoding::kUtf8 ? 1 : 2;  // one unit stands for a character
      cp = kNoFormMark;
    }
    if (len == 0) break;  // completes in the next piece (or fails at the end)
    if (cp == 0) {  // the text ends here, for the sink too
      ended_ = true;
      buffer[made++] = '\0';
      at += size_t(len);
      break;
    }
    if (!forms && cp >= 0x80 && cp < 0x10000) forms = Cp936Forms();
    const unsigned form = cp < 0x80 ? cp : cp < 0x10000 ? forms[cp] : 0;
    if (!form) out.NoteNoGbkForm(cp);  // cp is not 0 here
    const unsigned v = form ? form : NoGbkFormStandIn(cp);
    // One byte or two, without a branch on which.
    const bool two = v >= 0x100;
    buffer[made] = char(two ? v >> 8 : v);
    buffer[made + 1] = char(v);
    made += 1 + two;
    at += size_t(len);
    if (made > kOutSize - 2) {
      out.Add(buffer, made);
      made = 0;
    }
  }
  out.Add(buffer, made);
  return at;
}
