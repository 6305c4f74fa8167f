// Counting a stream in chunks: the same counts as the whole text, bounded
// memory, and nothing published from a stream that failed.
#include "sources/text_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

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

bool SameCounts(const GbkCounts& a, const GbkCounts& b) {
  return a.cnChars == b.cnChars && a.cnPunct == b.cnPunct && a.enChars == b.enChars &&
         a.enPunct == b.enPunct;
}

TEST(TextStream, ChunksStraddlingDoubleByteCharactersCountAsTheWhole) {
  // Larger than a chunk; odd read sizes put lead and trail in different reads.
  const GbkCorpus corpus = MakeGbkProse(kTextChunkSize * 2 + 12345, 9);
  for (size_t step : {size_t(1) << 20, size_t(65537), size_t(4099)}) {
    FakeSource source(corpus.text, step);
    TextTally tally;
    ASSERT_EQ(StreamCount::kCounted, CountTextStream(source, tally));
    EXPECT_TRUE(SameCounts(corpus.counts, tally.Counts())) << "step " << step;
  }
}

TEST(TextStream, StopsReadingAtTheFirstZeroByte) {
  std::string text = "abc";
  text += '\0';
  text += std::string(3 * kTextChunkSize, 'x');
  FakeSource source(text, kTextChunkSize);
  TextTally tally;
  EXPECT_EQ(StreamCount::kCounted, CountTextStream(source, tally));
  EXPECT_EQ(3u, tally.Counts().enChars);
  EXPECT_EQ(1u, source.reads_);
}

TEST(TextStream, RefusesATextBeginningWithFF) {
  FakeSource source(std::string("\xFF\xFE" "a\0b\0", 6), 100);
  TextTally tally;
  EXPECT_EQ(StreamCount::kNotAnsi, CountTextStream(source, tally));
}

TEST(TextStream, AByteFFAfterTheFirstChunkIsText) {
  FakeSource source("ab\xFF\xA1", 2);
  TextTally tally;
  EXPECT_EQ(StreamCount::kCounted, CountTextStream(source, tally));
  EXPECT_EQ(1u, tally.Counts().cnPunct);
}

TEST(TextStream, ReportsAnEmptyStream) {
  FakeSource source("", 100);
  TextTally tally;
  EXPECT_EQ(StreamCount::kEmpty, CountTextStream(source, tally));
}

TEST(TextStream, AFailedReadAnywhereIsReported) {
  const std::string text(3 * kTextChunkSize, 'a');
  for (size_t failAt : {size_t(0), kTextChunkSize, 2 * kTextChunkSize}) {
    FakeSource source(text, kTextChunkSize, failAt);
    TextTally tally;
    EXPECT_EQ(StreamCount::kReadFailed, CountTextStream(source, tally)) << failAt;
  }
}

}  // namespace
