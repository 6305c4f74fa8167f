// Counting a stream in chunks: the same counts as the whole text, in the
// encoding the text is in, bounded memory, and nothing counted from a
// stream that failed.
#include "sources/text_stream.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "engine/cp936_table.h"
#include "sources/read_ahead.h"
#include "tests/support/gbk_corpus.h"

namespace {

// Serves a text in reads of at most `step` bytes, failing at `failAt`; as
// a file, it is read ahead on a thread of its own. With `parts`, it can
// also be read at any offset: a read there holding byte `failAt` fails, and
// the text ends at `cutAt`, as if cut short.
class FakeSource : public ChunkSource {
 public:
  FakeSource(std::string text, size_t step, size_t failAt = SIZE_MAX, bool file = false)
      : text_(std::move(text)), step_(step), failAt_(failAt), file_(file) {}
  bool IsFile() const override { return file_; }
  int64_t Read(char* buffer, size_t capacity) override {
    if (at_ >= failAt_) return -1;
    const size_t n = std::min({capacity, step_, text_.size() - at_});
    std::memcpy(buffer, text_.data() + at_, n);
    at_ += n;
    ++reads_;
    return int64_t(n);
  }
  uint64_t PartsLength() const override { return parts_ ? text_.size() : 0; }
  int64_t ReadAt(uint64_t offset, char* buffer, size_t capacity) override {
    const size_t end = std::min(text_.size(), cutAt_);
    if (offset >= end) return 0;
    const size_t n = std::min({capacity, step_, end - size_t(offset)});
    if (offset <= failAt_ && failAt_ < offset + n) return -1;
    std::memcpy(buffer, text_.data() + offset, n);
    return int64_t(n);
  }
  size_t reads_ = 0;
  bool parts_ = false;
  size_t cutAt_ = SIZE_MAX;

 private:
  std::string text_;
  size_t step_, failAt_, at_ = 0;
  bool file_;
};

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

// 中文，abc 123。 CR LF in each form: 2 hanzi, 2 full-width marks, 6
// letters and digits, a space and a line end.
const std::string kGbkSample = "\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n";
const std::string kUtf8Sample = u8"中文，abc 123。\r\n";
const std::string kUtf16Sample = Utf16(u"中文，abc 123。\r\n", false);
const std::string kUtf16BeSample = Utf16(u"中文，abc 123。\r\n", true);
const Four kSampleCounts = {2, 2, 6, 2};
const std::string kUtf8Mark = "\xEF\xBB\xBF", kLeMark = "\xFF\xFE", kBeMark = "\xFE\xFF";

TEST(TextEncodings, EachFormOfATextCountsAsItsGbkForm) {
  std::string longUtf8;
  while (longUtf8.size() < 2 * kTextChunkSize) longUtf8 += kUtf8Sample;
  const std::string badNearTheEnd = longUtf8 + "\xE4\xB8" "ab", cutShort = kUtf8Sample + "\xE4\xB8";
  // A three-byte UTF-8 character and a UTF-16 surrogate pair (2 bytes
  // before the edge), each split by the 1 MiB edge of the reads.
  const std::string utf8Edge = std::string(kTextChunkSize - 1, 'a') + u8"中文";
  const std::string utf16Edge = kLeMark + Utf16(std::u16string(kTextChunkSize / 2 - 2, u'a') + u"😀b", false);
  const GbkCorpus prose = MakeGbkProse(kTextChunkSize * 2 + 12345, 9);
  const struct {
    const char* what;
    std::string text;
    Encoding read;
    Four counts;
    EncodingChoice choice = EncodingChoice::kAuto;
  } cases[] = {
      {"GBK, as always", kGbkSample, Encoding::kGbk, kSampleCounts},
      {"GBK prose over two chunks", prose.text, Encoding::kGbk, FourOf(prose.counts)},
      {"mark-less UTF-8", kUtf8Sample, Encoding::kUtf8, kSampleCounts},
      {"UTF-8 with its mark", kUtf8Mark + kUtf8Sample, Encoding::kUtf8, kSampleCounts},
      {"UTF-16LE with its mark", kLeMark + kUtf16Sample, Encoding::kUtf16Le, kSampleCounts},
      {"UTF-16BE with its mark", kBeMark + kUtf16BeSample, Encoding::kUtf16Be, kSampleCounts},
      {"no GBK form: one Chinese punctuation mark", u8"a😀b", Encoding::kUtf8, {0, 1, 2, 0}},
      {"the euro sign likewise, not a lead byte", u8"€ab", Encoding::kUtf8, {0, 1, 2, 0}},
      {"a GBK extension character", u8"丂", Encoding::kUtf8, {0, 1, 0, 0}},
      {"UTF-8 across the chunk edge", utf8Edge, Encoding::kUtf8, {2, 0, kTextChunkSize - 1, 0}},
      {"UTF-16 across the chunk edge", utf16Edge, Encoding::kUtf16Le,
       {0, 1, kTextChunkSize / 2 - 1, 0}},
      // Six counts: the pair's code point decides its class in 字数.
      {"a UTF-16 pair whose low half is 0xDFFF joins a word", kLeMark + Utf16(u"a🏿", false),
       Encoding::kUtf16Le, {0, 1, 1, 0, 1, 2}},
      {"UTF-8 but for a sequence two chunks on: GBK", badNearTheEnd, Encoding::kGbk,
       GbkCountsOf(badNearTheEnd)},
      {"UTF-8 but for a character cut short: GBK", cutShort, Encoding::kGbk, GbkCountsOf(cutShort)},
      {"the first U+0000 ends UTF-16", kLeMark + std::string("a\0\0\0\0\xDC", 6),
       Encoding::kUtf16Le, {0, 0, 1, 0}},
      {"a 0 before any high byte leaves GBK", std::string("ab\0\xE4\xB8\xAD", 6),
       Encoding::kGbk, {0, 0, 2, 0}},
      {"invalid bytes after the first 0 are not judged",
       kUtf8Sample + std::string("\0\xFF", 2), Encoding::kUtf8, kSampleCounts},
      {"forced GBK takes UTF-8 bytes as they are, a mark too", kUtf8Mark + kUtf8Sample,
       Encoding::kGbk, GbkCountsOf(kUtf8Mark + kUtf8Sample), EncodingChoice::kGbk},
      {"forced GBK takes mark-less UTF-8 as bytes", kUtf8Sample, Encoding::kGbk,
       GbkCountsOf(kUtf8Sample), EncodingChoice::kGbk},
      {"forced UTF-16 follows a big-endian mark", kBeMark + kUtf16BeSample, Encoding::kUtf16Be,
       kSampleCounts, EncodingChoice::kUtf16},
  };
  // Whole, read ahead as a file, in odd reads, and short texts in reads
  // that split every character.
  for (const auto& c : cases)
    for (size_t step : {kTextChunkSize, size_t(4099), size_t(1), size_t(2), size_t(5)})
      for (bool file : {false, true}) {
        if ((step < 10 && c.text.size() > 100000) || (file && step != kTextChunkSize)) continue;
        FakeSource source(c.text, step, SIZE_MAX, file);
        const StreamCount result = CountTextStream(source, c.choice, TextSink());
        ASSERT_EQ(StreamStatus::kCounted, result.status) << c.what << ", step " << step;
        EXPECT_EQ(c.read, result.encoding) << c.what;
        const GbkCounts& got = result.counts->Tally().Counts();
        EXPECT_EQ(c.counts, c.counts.size() == 6 ? SixOf(got) : FourOf(got))
            << c.what << ", step " << step << (file ? ", read ahead" : "");
      }
}

// A text is UTF-8 only when it is valid through and through: a form UTF-8
// leaves out, in the middle of a text (where the quick check judges it) or
// at its end (where the careful one does), makes the text GBK; so does GBK
// text whose pairs look like two-byte forms. scripts/mutants.py checks that
// a check weakened in either place fails here.
TEST(TextEncodings, TextThatIsNearlyUtf8IsGbk) {
  const std::string forms[] = {
      "\xC0\x80", "\xC1\xBF",                  // overlong two-byte forms
      "\xE0\x80\x80", "\xE0\x9F\xBF",          // overlong three-byte forms
      "\xED\xA0\x80", "\xED\xBF\xBF",          // surrogates
      "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF",  // overlong four-byte forms
      "\xF4\x90\x80\x80", "\xF8\x88\x80\x80",  // beyond U+10FFFF
  };
  std::vector<std::string> texts = {
      "\xC0\xA1\xC0\xA7\xC0\xB6\xC1\xB5",  // 馈困蓝恋 in GBK: C0 and C1 leads
  };
  for (const std::string& form : forms) {
    texts.push_back(u8"中" + form + u8"文，abc");  // the quick check's
    texts.push_back(u8"中文" + form);              // the careful one's
  }
  for (const std::string& text : texts) {
    const StreamCount counted = Count(text);
    ASSERT_EQ(StreamStatus::kCounted, counted.status);
    EXPECT_EQ(Encoding::kGbk, counted.encoding) << testing::PrintToString(text);
    EXPECT_EQ(GbkCountsOf(text), FourOf(counted.counts->Tally().Counts()));
  }
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

// A text the system handed over may hold lone surrogates, each a character
// without a GBK form, and its pieces may be split anywhere, also inside a
// unit just after a lone high surrogate. Each piece lies after a 0 byte that
// is not the text's: read, it would end the text early.
TEST(TextEncodings, HandedOverUtf16CountsAlikeHoweverItsPiecesAreSplit) {
  // A lone high surrogate, a pair, 'a', and a lone high one at the end.
  const char16_t units[] = {0xD800, 0xD800, 0xDC00, u'a', 0xD83D};
  const Four counts = {0, 3, 1, 0};
  for (bool big : {false, true}) {
    const std::string text = Utf16(std::u16string(units, 5), big);
    const auto countIn = [&](const std::vector<size_t>& ends) {
      GbkConverter converter(big ? Encoding::kUtf16Be : Encoding::kUtf16Le, 0,
                             GbkConverter::OnMalformed::kNoGbkForm);
      TextSink sink;
      size_t from = 0;
      for (size_t end : ends) {
        std::vector<unsigned char> piece(1, 0);
        piece.insert(piece.end(), text.begin() + from, text.begin() + end);
        EXPECT_TRUE(converter.Add(piece.data() + 1, end - from, sink));
        from = end;
      }
      EXPECT_TRUE(converter.Finish(sink));
      return FourOf(sink.Tally().Counts());
    };
    std::vector<size_t> bytes;
    for (size_t end = 1; end <= text.size(); ++end) bytes.push_back(end);
    EXPECT_EQ(counts, countIn(bytes)) << "byte by byte, big-endian " << big;
    for (size_t cut = 0; cut <= text.size(); ++cut)
      EXPECT_EQ(counts, countIn({cut, text.size()})) << "cut at " << cut << ", big-endian " << big;
  }
  // As the clipboard's text is counted: the lone high surrogate at the end too.
  const StreamCount handed = CountUtf16Text(units, 5, TextSink());
  ASSERT_EQ(StreamStatus::kCounted, handed.status);
  EXPECT_EQ(counts, FourOf(handed.counts->Tally().Counts()));
}

// A UTF-16 text shown or written in pieces (the status line, a console) is
// cut between characters, never between a surrogate pair's halves.
TEST(TextEncodings, Utf16IsCutBetweenCharacters) {
  const char16_t text[] = u"a\U0001F600b";  // a, high, low, b
  EXPECT_EQ(1u, WholeUtf16Prefix(text, 4, 2));
  EXPECT_EQ(3u, WholeUtf16Prefix(text, 4, 3));
  EXPECT_EQ(4u, WholeUtf16Prefix(text, 4, 9));
  EXPECT_EQ(0u, WholeUtf16Prefix(text + 1, 3, 1));
}

// A console's end of input (Ctrl+D) is one read of 0, and a read after it
// waits for more typing. A text shorter than the longest mark ends within
// the reads for the mark: it is counted as it is, without another read,
// and the file check hears that it was read to its end.
TEST(TextStream, AnInputShorterThanAMarkIsNotReadPastItsEnd) {
  class Console : public ChunkSource {
   public:
    explicit Console(std::string typed) : typed_(std::move(typed)) {}
    int64_t Read(char* buffer, size_t capacity) override {
      if (ended_) {  // "cd" typed on after the end, then the end again
        if (readsAfterEnd_++ > 0 || capacity < 2) return 0;
        std::memcpy(buffer, "cd", 2);
        return 2;
      }
      ended_ = at_ == typed_.size();
      if (ended_) return 0;
      buffer[0] = typed_[at_++];  // a byte a read, as keys come
      (void)capacity;
      return 1;
    }
    bool Unchanged(uint64_t bytesRead, bool toEnd) const override {
      EXPECT_EQ(typed_.size(), bytesRead);
      EXPECT_TRUE(toEnd);
      return true;
    }
    int readsAfterEnd_ = 0;

   private:
    std::string typed_;
    size_t at_ = 0;
    bool ended_ = false;
  };
  const struct {
    std::string typed;
    Four counts;
  } cases[] = {
      {"a", {0, 0, 1, 0}},
      {"a\n", {0, 0, 1, 1}},
      {"\xD6\xD0", {1, 0, 0, 0}},  // 中 in GBK
      {kLeMark, {0, 0, 0, 0}},     // a mark and nothing after it
  };
  for (const auto& c : cases) {
    Console console(c.typed);
    const StreamCount result = CountTextStream(console, EncodingChoice::kAuto, TextSink());
    ASSERT_EQ(StreamStatus::kCounted, result.status) << testing::PrintToString(c.typed);
    EXPECT_EQ(c.counts, FourOf(result.counts->Tally().Counts())) << testing::PrintToString(c.typed);
    EXPECT_EQ(0, console.readsAfterEnd_) << testing::PrintToString(c.typed);
  }
}

TEST(TextStream, EmptyRefusedFailedAndCancelledStreamsCountNothing) {
  EXPECT_EQ(StreamStatus::kEmpty, Count("").status);
  // GBK beginning with 0xFF is refused, as it always was, forced or not.
  EXPECT_EQ(StreamStatus::kNotAnsi, Count("\xFF\xA1" "ab").status);
  EXPECT_EQ(StreamStatus::kNotAnsi, Count(kLeMark + kUtf16Sample, 9, EncodingChoice::kGbk).status);
  const std::string text(8 * kTextChunkSize, 'a');
  for (bool file : {false, true})
    for (size_t failAt : {size_t(0), kTextChunkSize, 6 * kTextChunkSize}) {
      FakeSource source(text, kTextChunkSize, failAt, file);
      const StreamCount result = CountTextStream(source, EncodingChoice::kAuto, TextSink());
      EXPECT_EQ(StreamStatus::kReadFailed, result.status) << failAt << (file ? ", read ahead" : "");
      EXPECT_FALSE(result.counts);
    }
  // Progress goes by the chunks read; the count stops when told, also with
  // the reader chunks ahead.
  for (bool file : {false, true}) {
    FakeSource source(text, kTextChunkSize, SIZE_MAX, file);
    std::vector<uint64_t> seen;
    const StreamCount cancelled =
        CountTextStream(source, EncodingChoice::kAuto, TextSink(), [&](uint64_t done) {
          seen.push_back(done);
          return seen.size() < 2;
        });
    EXPECT_EQ(StreamStatus::kCancelled, cancelled.status);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(kTextChunkSize, seen[0]);
    if (!file) {
      EXPECT_EQ(2 * kTextChunkSize, seen[1]);
      EXPECT_EQ(2u, source.reads_);
    }
  }
}

// A slow count keeps the reader waiting on a full ring; each chunk is still
// counted whole before its buffer is read into again. A 0 ends the reading.
// A count that takes longer than reading (here it waits 3 ms before each
// piece it scans, long enough for the reader to refill every free slot)
// has its file read ahead, from the third chunk on.
TEST(TextStream, AFileReadAheadHandsOutEachChunkWholeAndStopsAtTheFirstZero) {
  class SlowSink : public TextSink {
   public:
    void Add(const char* piece, size_t size) override {
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
      TextSink::Add(piece, size);
    }
    std::unique_ptr<TextSink> Clone() const override { return std::make_unique<SlowSink>(*this); }
  };
  const GbkCorpus prose = MakeGbkProse(kTextChunkSize * 9 + 12345, 3);
  FakeSource whole(prose.text, kTextChunkSize, SIZE_MAX, true);
  const StreamCount counted = CountTextStream(whole, EncodingChoice::kAuto, SlowSink());
  ASSERT_EQ(StreamStatus::kCounted, counted.status);
  EXPECT_EQ(FourOf(prose.counts), FourOf(counted.counts->Tally().Counts()));
  EXPECT_GT(whole.reads_, 3 + 24u);  // three chunks in turn, the rest in quarters

  std::string text(9 * kTextChunkSize + 5, 'a');
  text[4 * kTextChunkSize + 7] = '\0';
  FakeSource source(text, kTextChunkSize, SIZE_MAX, true);
  const StreamCount result = CountTextStream(source, EncodingChoice::kAuto, SlowSink());
  ASSERT_EQ(StreamStatus::kCounted, result.status);
  EXPECT_EQ((Four{0, 0, 4 * kTextChunkSize + 7, 0}), FourOf(result.counts->Tally().Counts()));
  EXPECT_LT(source.reads_, 3 + 16u);  // the reader stopped soon after the count ended
}

// A big file on a machine of several cores is counted in parts from its
// fourth chunk on, here two, with the outcome of one pass: the counts where
// the second part starts within a word or a line end, in reads of any size,
// and where a 0 ends the text in either part; a failed read or an early end
// in the first part that meets it, whatever the other holds. Where the
// second part would start in Chinese without two single bytes in a row, or
// a caller follows the progress, the text is read in turn.
TEST(TextStream, ABigFileCountedInPartsCountsAsOnePass) {
  // Nine times 8 MiB of prose ending in a line end: nine times its counts.
  const GbkCorpus piece = MakeGbkProse(8u << 20, 8);
  GbkCorpus prose;
  for (int i = 0; i < 9; ++i) prose.text += piece.text, prose.counts += piece.counts;
  const size_t middle = 3 * kTextChunkSize + (prose.text.size() - 3 * kTextChunkSize) / 2;
  const size_t first = middle - 5000000, second = middle + 5000000;
  const auto zeroAt = [](size_t at) { return [at](std::string& t) { t[at] = '\0'; }; };
  const struct {
    const char* where;
    std::function<void(std::string&)> edit;
    StreamStatus status;
    bool inParts;
    size_t failAt = SIZE_MAX, cutAt = SIZE_MAX, step = kTextChunkSize;
    bool followed = false;
  } kCases[] = {
      {"the prose as it is", nullptr, StreamStatus::kCounted, true},
      {"the second part starts within a word",
       [&](std::string& t) { t.replace(middle, 5, "\xB0\xA1" "xyz"); }, StreamStatus::kCounted,
       true},
      {"the second part starts between a CR and its LF",
       [&](std::string& t) { t.replace(middle, 5, "\xB0\xA1" "a\r\n"); },
       StreamStatus::kCounted, true},
      {"reads of 4000 bytes at most", nullptr, StreamStatus::kCounted, true, SIZE_MAX, SIZE_MAX,
       4000},
      {"a 0 in the first part", zeroAt(first), StreamStatus::kCounted, true},
      {"a 0 in the second part", zeroAt(second), StreamStatus::kCounted, true},
      {"a 0 in the first part, a failed read in the second", zeroAt(first),
       StreamStatus::kCounted, true, second},
      {"a failed read in the first part, a 0 in the second", zeroAt(second),
       StreamStatus::kReadFailed, true, first},
      {"a failed read in the second part", nullptr, StreamStatus::kReadFailed, true, second},
      {"cut short in the second part", nullptr, StreamStatus::kChanged, true, SIZE_MAX, second},
      {"no sync point near the second part's start",
       [&](std::string& t) {
         for (size_t at = middle - 1000; at < middle + kTextChunkSize; at += 2)
           t.replace(at, 2, "\xB0\xA1");
       },
       StreamStatus::kCounted, false},
      {"a caller following the progress", nullptr, StreamStatus::kCounted, false, SIZE_MAX,
       SIZE_MAX, kTextChunkSize, true},
  };
  const bool severalCores = WorkerThread::Processors() > 1;
  for (const auto& c : kCases) {
    std::string text = prose.text;
    if (c.edit) c.edit(text);
    // A busy machine may read the first chunks too slowly to be judged fast,
    // and read on in turn: tried again.
    for (int attempt = 1;; ++attempt) {
      FakeSource source(text, c.step, c.failAt, true);
      source.parts_ = true;
      source.cutAt_ = c.cutAt;
      const StreamCount result =
          CountTextStream(source, EncodingChoice::kAuto, TextSink(),
                          c.followed ? [](uint64_t) { return true; } : StreamProgress());
      const bool inParts = source.reads_ <= 3;  // read in turn only up to the parts
      if (severalCores && inParts != c.inParts && attempt < 3) continue;
      if (severalCores) {
        EXPECT_EQ(c.inParts, inParts) << c.where;
      }
      ASSERT_EQ(c.status, result.status) << c.where;
      if (c.status == StreamStatus::kCounted) {
        TextTally whole;
        whole.Add(text.data(), text.size());
        EXPECT_EQ(SixOf(whole.Counts()), SixOf(result.counts->Tally().Counts())) << c.where;
      }
      break;
    }
  }
  TextTally whole;
  whole.Add(prose.text.data(), prose.text.size());
  EXPECT_EQ(FourOf(prose.counts), FourOf(whole.Counts()));
}

// One table of GBK forms on every system, code page 936's as Windows has
// it: every character of the Basic Multilingual Plane counts alike here
// and there, and under Wine the table is the system's own.
TEST(CodePage936, EveryCharacterOfTheBmpCountsAsOnWindows) {
  const StreamCount counted = Count(EveryBmpCharacter());
  ASSERT_EQ(StreamStatus::kCounted, counted.status);
  EXPECT_EQ(Encoding::kUtf8, counted.encoding);
  EXPECT_EQ(kEveryBmpCharacterCounts, FourOf(counted.counts->Tally().Counts()));
#ifdef _WIN32
  int differ = 0;
  for (uint32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const wchar_t in = wchar_t(c);
    unsigned char out[4];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &in, 1,
                                      reinterpret_cast<char*>(out), 4, nullptr, &usedDefault);
    uint16_t system = 0;
    if (!usedDefault && n == 1 && out[0] < 0x80) system = out[0];
    if (!usedDefault && n == 2) system = uint16_t(out[0] << 8 | out[1]);
    if (Cp936Form(c) != system && ++differ <= 10)
      ADD_FAILURE() << std::hex << "U+" << c << ": ours " << Cp936Form(c) << ", the system's "
                    << system;
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead)  // and back, as --explain shows characters
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const char pair[2] = {char(lead), char(trail)};
      wchar_t c = 0;
      if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, pair, 2, &c, 1) != 1) c = 0;
      if (Cp936Character(lead, trail) != c && ++differ <= 10)
        ADD_FAILURE() << std::hex << lead << trail << ": ours U+" << Cp936Character(lead, trail)
                      << ", the system's U+" << unsigned(c);
    }
  EXPECT_EQ(0, differ);
#endif
}

}  // namespace
