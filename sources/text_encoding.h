#pragma once
// How a text file's bytes are read: the encodings Vantorix understands, the
// byte-order marks that name them, and the code page 936 form of converted
// text. Shared by the window and the command line, so both read a file alike.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <typeinfo>

#include "engine/text_tally.h"

enum class Encoding { kGbk, kUtf8, kUtf16Le, kUtf16Be };

// What the reader is told to do: go by the file itself (kAuto) or force one
// reading. kUtf16 is little-endian unless a mark says big-endian.
enum class EncodingChoice { kAuto, kGbk, kUtf8, kUtf16, kUtf16Le, kUtf16Be };

// The name of `encoding` in messages ("GBK", "UTF-8", "UTF-16LE", "UTF-16BE").
const char* EncodingName(Encoding encoding);

// The encoding a byte-order mark at the start of `head` names (kGbk when
// there is none) and the mark's length in bytes.
Encoding EncodingOfMark(const unsigned char* head, size_t size, size_t& markSize);

// The length of the UTF-8 sequence at `p` when it is well-formed, 0 when
// the `avail` bytes are a valid but incomplete start, -1 when malformed
// (overlong forms, surrogates and values above U+10FFFF included).
int Utf8SequenceLength(const unsigned char* p, size_t avail);
// The code point of the well-formed UTF-8 sequence of `len` bytes at `p`.
uint32_t Utf8CodePoint(const unsigned char* p, int len);

// Appends `codePoint` to `out` in UTF-8; a surrogate as its three bytes, the
// form UTF-8 leaves out (so a lone one in a Windows name survives).
void AppendUtf8(uint32_t codePoint, std::string& out);

// UTF-16's surrogates: a high one starts a pair, a low one ends it.
constexpr bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// How many of a UTF-16 text's `length` units to take so that at most `max`
// are taken and no surrogate pair is cut in two.
template <typename Unit>
size_t WholeUtf16Prefix(const Unit* text, size_t length, size_t max) {
  if (max >= length) return length;
  return max > 0 && IsHighSurrogate(text[max - 1]) ? max - 1 : max;
}

// The first byte >= 0x80 in [data, data + size), or size when there is none.
size_t FirstHighByte(const unsigned char* data, size_t size);

// Where counts go: a tally of the GBK text read so far. A reading that
// needs more (the command line's --explain) derives from it.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void Add(const char* piece, size_t size) { tally_.Add(piece, size); }
  // Told of each character the converter gives as a stand-in because it has
  // no GBK form (U+10FFFF for a malformed unit), before the piece holding it
  // is added.
  virtual void NoteNoGbkForm(uint32_t codePoint) { (void)codePoint; }
  // A copy with everything added so far, to go on with another reading.
  virtual std::unique_ptr<TextSink> Clone() const { return std::make_unique<TextSink>(*this); }
  // Whether the parts of a GBK text may be counted apart, each into a Clone
  // started at a sync point (StartAfter), and joined (Join): only for this
  // plain sink, since Join joins the tally alone and a derived sink's
  // Add may keep more.
  bool Joinable() const { return typeid(*this) == typeid(TextSink); }
  void StartAfter(const unsigned char* before) { tally_.StartAfter(before); }
  void Join(const TextSink& next) { tally_.Join(next.tally_); }
  bool Ended() const { return tally_.Ended(); }
  const TextTally& Tally() const { return tally_; }

 protected:
  TextTally tally_;
};

// Converts UTF-8 or UTF-16 text, given in pieces split anywhere, into its
// code page 936 form and adds that to a sink. A character with no GBK form
// (and the euro sign, whose single byte 0x80 the engine would read as a
// lead byte) becomes a stand-in of its word class (NoGbkFormStandIn): one
// Chinese punctuation mark, counted in Word's figures as what it is. The first U+0000 ends the text: nothing after it is converted or
// judged. The forms are code page 936's as Windows defines it, on every
// system (engine/cp936_table.h).
class GbkConverter {
 public:
  // What a sequence that is not well-formed does: fail the conversion (a
  // file's), or count as a character without a GBK form (a text the system
  // handed over, which may hold a lone surrogate).
  enum class OnMalformed { kFail, kNoGbkForm };

  // `from` is not kGbk; `firstOffset` is where the first byte given lies in
  // the file, for error offsets.
  GbkConverter(Encoding from, uint64_t firstOffset,
               OnMalformed onMalformed = OnMalformed::kFail);
  ~GbkConverter();
  GbkConverter(const GbkConverter&) = delete;
  GbkConverter& operator=(const GbkConverter&) = delete;

  // Converts the next piece. False when the text is not well-formed.
  bool Add(const unsigned char* data, size_t size, TextSink& out);
  // The end of the text. False when it ends inside a character.
  bool Finish(TextSink& out);

  bool Ended() const { return ended_; }
  // After a failure: the file offset of the malformed sequence.
  uint64_t ErrorOffset() const { return errorOffset_; }

 private:
  size_t Convert(const unsigned char* data, size_t size, uint64_t at0, TextSink& out);
  bool Fail(uint64_t offset);

  const Encoding from_;
  const OnMalformed onMalformed_;
  uint64_t offset_;  // file offset of the next byte given
  unsigned char carry_[4];
  size_t carrySize_ = 0;  // an incomplete character from the last piece
  bool ended_ = false;
  bool failed_ = false;
  uint64_t errorOffset_ = 0;
  std::unique_ptr<char[]> out_;  // converted text waiting for the sink
};
