// Counting a stream in chunks: the same counts as the whole text, in the
// encoding the text is in, bounded memory, and nothing counted from a
// stream that failed.
#include "sources/text_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/gbk_corpus.h"

namespace {

// Serves a text in reads of at most `step` bytes, failing at `failAt`.
class FakeSource : public ChunkSource {
 public:
  FakeSource(std::string text, size_t step, size_t failAt = SIZE_MAX)
      : text_(std::move(text)), step_(step), failAt_(failAt) {}
  int64_t Read(char* buffer, size_t capacity) override {
    if (at_ >= failAt_) return -1;
    const size_t n = std::min({capacity, step_, text_.size() - at_});
    std::memcpy(buffer, text_.data() + at_, n);
    at_ += n;
    ++reads_;
    return int64_t(n);
  }
  size_t reads_ = 0;

 private:
  std::string text_;
  size_t step_, failAt_, at_ = 0;
};

using Four = std::vector<uint64_t>;
Four FourOf(const GbkCounts& c) { return {c.cnChars, c.cnPunct, c.enChars, c.enPunct}; }

// The counts of `text` as plain GBK bytes, by the engine alone.
Four GbkCountsOf(const std::string& text) {
  TextTally tally;
  tally.Add(text.data(), text.size());
  return FourOf(tally.Counts());
}

StreamCount Count(const std::string& text, size_t step = kTextChunkSize,
                  EncodingChoice choice = EncodingChoice::kAuto) {
  FakeSource source(text, step);
  return CountTextStream(source, choice, TextSink());
}

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string out;
  for (char16_t u : text) {
    const char hi = char(u >> 8), lo = char(u & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

// 中文，abc 123。 CR LF in each form: 2 hanzi, 2 full-width marks, 6
// letters and digits, a space and a line end.
const std::string kGbkSample = "\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n";
const std::string kUtf8Sample = u8"中文，abc 123。\r\n";
const std::u16string kUtf16Sample = u"中文，abc 123。\r\n";
const Four kSampleCounts = {2, 2, 6, 2};
const std::string kUtf8Mark = "\xEF\xBB\xBF", kLeMark = "\xFF\xFE", kBeMark = "\xFE\xFF";

TEST(TextEncodings, EachFormOfATextCountsAsItsGbkForm) {
  const struct {
    const char* what;
    std::string text;
    Encoding read;
    Four counts;
  } cases[] = {
      {"GBK, as always", kGbkSample, Encoding::kGbk, kSampleCounts},
      {"mark-less UTF-8", kUtf8Sample, Encoding::kUtf8, kSampleCounts},
      {"UTF-8 with its mark", kUtf8Mark + kUtf8Sample, Encoding::kUtf8, kSampleCounts},
      {"UTF-16LE with its mark", kLeMark + Utf16(kUtf16Sample, false), Encoding::kUtf16Le,
       kSampleCounts},
      {"UTF-16BE with its mark", kBeMark + Utf16(kUtf16Sample, true), Encoding::kUtf16Be,
       kSampleCounts},
      {"ASCII alone reads the same either way", "ab c\r\n", Encoding::kGbk, {0, 0, 3, 2}},
      {"no GBK form: one Chinese punctuation mark", u8"a😀b", Encoding::kUtf8, {0, 1, 2, 0}},
      {"the euro sign likewise, not a lead byte", u8"€ab", Encoding::kUtf8, {0, 1, 2, 0}},
      {"a GBK extension character", u8"丂", Encoding::kUtf8, {0, 1, 0, 0}},
      {"the first U+0000 ends UTF-16", kLeMark + std::string("a\0\0\0\0\xDC", 6),
       Encoding::kUtf16Le, {0, 0, 1, 0}},
      {"a 0 before any high byte leaves GBK", std::string("ab\0\xE4\xB8\xAD", 6),
       Encoding::kGbk, {0, 0, 2, 0}},
      {"invalid bytes after the first 0 are not judged",
       kUtf8Sample + std::string("\0\xFF", 2), Encoding::kUtf8, kSampleCounts},
  };
  // Whole, and in reads that split every character somewhere.
  for (const auto& c : cases)
    for (size_t step : {kTextChunkSize, size_t(1), size_t(2), size_t(5)}) {
      const StreamCount result = Count(c.text, step);
      ASSERT_EQ(StreamStatus::kCounted, result.status) << c.what << ", step " << step;
      EXPECT_EQ(c.read, result.encoding) << c.what;
      EXPECT_EQ(c.counts, FourOf(result.counts->Tally().Counts())) << c.what << ", step " << step;
    }
}

TEST(TextEncodings, TextThatIsNotWholeUtf8IsGbk) {
  std::string text;
  while (text.size() < 2 * kTextChunkSize) text += kUtf8Sample;
  for (const std::string& bad : {std::string("\xFF"), std::string("\xE4\xB8")}) {
    const std::string nearEnd = text + bad + "ab";  // one bad sequence near the end
    const StreamCount result = Count(nearEnd);
    ASSERT_EQ(StreamStatus::kCounted, result.status);
    EXPECT_EQ(Encoding::kGbk, result.encoding);
    EXPECT_EQ(GbkCountsOf(nearEnd), FourOf(result.counts->Tally().Counts()));
  }
  const std::string cutShort = kUtf8Sample + "\xE4\xB8";  // ends inside a character
  EXPECT_EQ(Encoding::kGbk, Count(cutShort).encoding);
  EXPECT_EQ(Encoding::kGbk, Count(kGbkSample).encoding);
}

TEST(TextEncodings, MalformedMarkedOrForcedTextIsRefusedWithItsOffset) {
  const struct {
    std::string text;
    EncodingChoice choice;
    uint64_t offset;
  } cases[] = {
      {kUtf8Mark + "ab\xC3(", EncodingChoice::kAuto, 5},
      {kUtf8Mark + "ab\xE4\xB8", EncodingChoice::kAuto, 5},  // cut short at the end
      {kLeMark + std::string("a\0\x00\xDC", 4), EncodingChoice::kAuto, 4},  // lone low surrogate
      {kLeMark + std::string("a\0b", 3), EncodingChoice::kAuto, 4},         // odd length
      {"\xED\xA0\x80", EncodingChoice::kUtf8, 0},  // an encoded surrogate
      {"\xC0\xAF", EncodingChoice::kUtf8, 0},      // overlong
  };
  for (const auto& c : cases)
    for (size_t step : {kTextChunkSize, size_t(1)}) {
      const StreamCount result = Count(c.text, step, c.choice);
      EXPECT_EQ(StreamStatus::kMalformed, result.status) << c.offset;
      EXPECT_EQ(c.offset, result.errorOffset);
      EXPECT_FALSE(result.counts);
    }
}

TEST(TextEncodings, ForcedReadingsOverrideTheFile) {
  const std::string le = kLeMark + Utf16(kUtf16Sample, false);
  EXPECT_EQ(GbkCountsOf(kUtf8Sample),
            FourOf(Count(kUtf8Sample, kTextChunkSize, EncodingChoice::kGbk).counts->Tally().Counts()));
  EXPECT_EQ(kSampleCounts, FourOf(Count(Utf16(kUtf16Sample, false), kTextChunkSize,
                                        EncodingChoice::kUtf16).counts->Tally().Counts()));
  EXPECT_EQ(kSampleCounts,
            FourOf(Count(kBeMark + Utf16(kUtf16Sample, true), kTextChunkSize,
                         EncodingChoice::kUtf16).counts->Tally().Counts()));
  // A file beginning with 0xFF read as GBK is refused, as it always was.
  EXPECT_EQ(StreamStatus::kNotAnsi, Count(le, kTextChunkSize, EncodingChoice::kGbk).status);
  EXPECT_EQ(StreamStatus::kNotAnsi, Count("\xFF\xA1" "ab").status);
}

TEST(TextEncodings, CharactersAcrossTheChunkEdgeCountOnce) {
  // A three-byte UTF-8 character and a UTF-16 surrogate pair, each split by
  // the 1 MiB edge of the reads.
  const std::string utf8 = std::string(kTextChunkSize - 1, 'a') + u8"中文";
  std::u16string units(kTextChunkSize / 2 - 2, u'a');  // the pair starts 2 bytes before the edge
  units += u"😀b";
  const std::string utf16 = kLeMark + Utf16(units, false);
  const Four utf8Counts = {2, 0, kTextChunkSize - 1, 0};
  const Four utf16Counts = {0, 1, kTextChunkSize / 2 - 1, 0};
  EXPECT_EQ(utf8Counts, FourOf(Count(utf8).counts->Tally().Counts()));
  EXPECT_EQ(utf16Counts, FourOf(Count(utf16).counts->Tally().Counts()));
  EXPECT_EQ(utf8Counts, FourOf(Count(utf8, 4099).counts->Tally().Counts()));
}

TEST(TextStream, ChunksStraddlingDoubleByteCharactersCountAsTheWhole) {
  // Larger than a chunk; odd read sizes put lead and trail in different reads.
  const GbkCorpus corpus = MakeGbkProse(kTextChunkSize * 2 + 12345, 9);
  for (size_t step : {size_t(1) << 20, size_t(65537), size_t(4099)}) {
    const StreamCount result = Count(corpus.text, step);
    ASSERT_EQ(StreamStatus::kCounted, result.status);
    EXPECT_EQ(FourOf(corpus.counts), FourOf(result.counts->Tally().Counts())) << "step " << step;
  }
}

TEST(TextStream, StopsReadingAtTheFirstZeroByte) {
  std::string text = "abc";
  text += '\0';
  text += std::string(3 * kTextChunkSize, 'x');
  FakeSource source(text, kTextChunkSize);
  const StreamCount result = CountTextStream(source, EncodingChoice::kAuto, TextSink());
  EXPECT_EQ(3u, result.counts->Tally().Counts().enChars);
  EXPECT_EQ(1u, source.reads_);
}

TEST(TextStream, EmptyFailedAndCancelledStreamsCountNothing) {
  EXPECT_EQ(StreamStatus::kEmpty, Count("").status);
  const std::string text(3 * kTextChunkSize, 'a');
  for (size_t failAt : {size_t(0), kTextChunkSize, 2 * kTextChunkSize}) {
    FakeSource source(text, kTextChunkSize, failAt);
    const StreamCount result = CountTextStream(source, EncodingChoice::kAuto, TextSink());
    EXPECT_EQ(StreamStatus::kReadFailed, result.status) << failAt;
    EXPECT_FALSE(result.counts);
  }
  // Progress goes by whole chunks; the count stops when told.
  FakeSource source(text, kTextChunkSize);
  std::vector<uint64_t> seen;
  const StreamCount cancelled =
      CountTextStream(source, EncodingChoice::kAuto, TextSink(), [&](uint64_t done) {
        seen.push_back(done);
        return seen.size() < 2;
      });
  EXPECT_EQ(StreamStatus::kCancelled, cancelled.status);
  EXPECT_EQ((std::vector<uint64_t>{kTextChunkSize, 2 * kTextChunkSize}), seen);
  EXPECT_EQ(2u, source.reads_);
}

}  // namespace
