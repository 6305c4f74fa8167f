#include "engine/gbk_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/gbk_scan_kernels.h"
#include "tests/support/gbk_corpus.h"

namespace {

GbkCounts Whole(const std::string& text) {
  GbkScanState state;
  GbkCounts counts;
  ScanGbk(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
          state, counts);
  return counts;
}

GbkCounts Scalar(const std::string& text) {
  GbkScanState state;
  GbkCounts counts;
  ScanGbkScalar(reinterpret_cast<const unsigned char*>(text.data()),
                text.size(), state, counts);
  return counts;
}

// Feeds the text in pieces ending at the given offsets.
GbkCounts InPieces(const std::string& text, const std::vector<size_t>& cuts) {
  GbkScanState state;
  GbkCounts counts;
  size_t from = 0;
  std::vector<size_t> ends = cuts;
  ends.push_back(text.size());
  for (size_t to : ends) {
    ScanGbk(reinterpret_cast<const unsigned char*>(text.data()) + from,
            to - from, state, counts);
    from = to;
  }
  return counts;
}

::testing::AssertionResult Same(const GbkCounts& want, const GbkCounts& got) {
  if (want.cnChars == got.cnChars && want.cnPunct == got.cnPunct &&
      want.enChars == got.enChars && want.enPunct == got.enPunct)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "want " << want.cnChars << "/" << want.cnPunct << "/"
         << want.enChars << "/" << want.enPunct << " got " << got.cnChars
         << "/" << got.cnPunct << "/" << got.enChars << "/" << got.enPunct;
}

struct Case {
  const char* why;
  std::string text;
  GbkCounts want;  // cnChars, cnPunct, enChars, enPunct
};

GbkCounts C(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
  GbkCounts k;
  k.cnChars = a;
  k.cnPunct = b;
  k.enChars = c;
  k.enPunct = d;
  return k;
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"empty text", "", C(0, 0, 0, 0)},
      {"中文，abc 123。 CR LF", "\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n",
       C(2, 2, 6, 2)},
      {"three lone CRs are punctuation, never a negative count", "\r\r\r",
       C(0, 0, 0, 3)},
      {"CR LF counts once, as punctuation", "\r\n", C(0, 0, 0, 1)},
      {"lone LF is an English character", "\n", C(0, 0, 1, 0)},
      {"LF after CR LF is a new lone LF", "\r\n\n", C(0, 0, 1, 1)},
      {"LF CR: both counted", "\n\r", C(0, 0, 1, 1)},
      {"CR as a trail byte is not counted, the LF after it is",
       "\x81\r\n", C(0, 1, 1, 0)},
      {"tab is a character, space is punctuation", "\t ", C(0, 0, 1, 1)},
      {"lone lead byte at the end counts", "\xB0", C(1, 0, 0, 0)},
      {"lead bytes 0xB0 and 0xF7 are hanzi rows", "\xB0\xA1\xF7\xFE",
       C(2, 0, 0, 0)},
      {"lead bytes 0xAF and 0xF8 are punctuation", "\xAF\xA1\xF8\xA1",
       C(0, 2, 0, 0)},
      {"0x7F is a character, 0x7E punctuation", "\x7F~", C(0, 0, 1, 1)},
      {"a trail byte below 0x80 is not classified", "\x81\x41" "A",
       C(0, 1, 1, 0)},
      {"a run of three high bytes pairs the third with the next byte",
       "\xB0\xB0\xB0" "A", C(2, 0, 0, 0)},
      {"the first 0 byte ends the text", std::string("ab\0cd", 5),
       C(0, 0, 2, 0)},
      {"a 0 trail byte ends the text after its lead",
       std::string("\xB0\0" "ab", 4), C(1, 0, 0, 0)},
      {"English punctuation ranges, edges included",
       " /:@[`{~", C(0, 0, 0, 8)},
      {"just outside the punctuation ranges", "09AZaz\x1F", C(0, 0, 7, 0)},
  };
  return cases;
}

TEST(GbkScan, ClassifiesByTheRules) {
  for (const Case& c : Cases()) {
    EXPECT_TRUE(Same(c.want, Whole(c.text))) << c.why;
    EXPECT_TRUE(Same(c.want, Scalar(c.text))) << c.why;
  }
}

TEST(GbkScan, EveryTwoPieceSplitOfTheCasesEqualsTheWhole) {
  for (const Case& c : Cases())
    for (size_t cut = 0; cut <= c.text.size(); ++cut)
      EXPECT_TRUE(Same(c.want, InPieces(c.text, {cut}))) << c.why << " cut " << cut;
}

TEST(GbkScan, AnyThreePieceSplitOfAShortTextEqualsTheWhole) {
  const std::string text = "\xB0\xA1\r\n\x81\r\nA\xFF\xFF\xFF" " x\r";
  const GbkCounts want = Scalar(text);
  for (size_t a = 0; a <= text.size(); ++a)
    for (size_t b = a; b <= text.size(); ++b)
      EXPECT_TRUE(Same(want, InPieces(text, {a, b}))) << a << "," << b;
}

TEST(GbkScan, GeneratedProseMatchesItsTrueCounts) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    const GbkCorpus corpus = MakeGbkProse(3000 + seed * 37, seed);
    EXPECT_TRUE(Same(corpus.counts, Whole(corpus.text))) << "seed " << seed;
    EXPECT_TRUE(Same(corpus.counts, Scalar(corpus.text))) << "seed " << seed;
  }
}

TEST(GbkScan, WithoutCrTheCountsAddUpToTheCharacters) {
  // Every character counts exactly once when no CR LF pair merges two bytes.
  std::string text = MakeRandomBytes(5000, 7);
  for (char& ch : text)
    if (ch == '\r') ch = 'x';
  uint64_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i, ++characters)
    if (static_cast<unsigned char>(text[i]) >= 0x80) ++i;
  const GbkCounts k = Whole(text);
  EXPECT_EQ(characters, k.cnChars + k.cnPunct + k.enChars + k.enPunct);
}

// Lengths around the block width, at every alignment, so each kernel's
// block loop, its hand-over to the scalar tail, and the carries between
// blocks are all exercised.
TEST(GbkScan, FastKernelEqualsScalarAtEveryLengthAndAlignment) {
  const std::string prose = MakeGbkProse(600, 3).text;
  const std::string noise = MakeRandomBytes(600, 4);
  for (const std::string* source : {&prose, &noise})
    for (size_t offset = 0; offset < 33; ++offset)
      for (size_t len = 0; len < 3 * kGbkBlockSize + 2; ++len) {
        const std::string text = source->substr(offset, len);
        ASSERT_TRUE(Same(Scalar(text), Whole(text)))
            << "offset " << offset << " length " << len;
      }
}

// Runs of high bytes longer than a block carry the lead/trail parity from
// block to block; odd and even runs end differently.
TEST(GbkScan, LongRunsOfHighBytesPairAcrossBlocks) {
  for (size_t run = 1; run < 4 * kGbkBlockSize + 3; run += 7)
    for (size_t prefix = 0; prefix < 3; ++prefix) {
      const std::string text = std::string(prefix, 'a') + std::string(run, '\xB5') + "xy\r\n";
      const GbkCounts k = Whole(text);
      EXPECT_TRUE(Same(Scalar(text), k)) << run << "+" << prefix;
      EXPECT_EQ((run + 1) / 2, k.cnChars) << run;
      // An odd run takes the 'x' as its last trail byte.
      EXPECT_EQ(prefix + (run % 2 ? 1 : 2), k.enChars) << run;
    }
}

// The fastest kernel settles eight blocks at a time, each block taking its
// incoming trail from the nearest earlier block that is not all high bytes.
// Every pattern of all-high blocks, with CR LF pairs and lone CRs and LFs
// at block edges, against the byte loop.
TEST(GbkScan, EveryPatternOfAllHighBlocksInAnEightBlockRun) {
  std::mt19937 rng(17);
  const char lows[] = {'\r', '\n', 'a', ','};
  for (unsigned pattern = 0; pattern < 256; ++pattern)
    for (size_t prefix = 0; prefix < 3; ++prefix) {
      std::string text(prefix, '\xB0');
      for (unsigned block = 0; block < 16; ++block) {
        std::string bytes(64, ' ');
        for (char& ch : bytes) ch = char(0x81 + rng() % 0x7E);
        if (!(pattern >> (block % 8) & 1)) {
          for (unsigned n = 1 + rng() % 3; n > 0; --n)
            bytes[rng() % 64] = lows[rng() % 4];
          if (rng() % 3 == 0) bytes[63] = '\r';
          if (rng() % 3 == 0) bytes[0] = '\n';
        }
        text += bytes;
      }
      text += "tail\r";
      const GbkCounts want = Scalar(text);
      ASSERT_TRUE(Same(want, Whole(text))) << pattern << "+" << prefix;
      ASSERT_TRUE(Same(want, InPieces(text, {1, 600})))
          << pattern << "+" << prefix;
    }
}

TEST(GbkScan, RandomPiecesOfRandomBytesEqualTheWhole) {
  std::mt19937 rng(11);
  for (uint32_t seed = 0; seed < 50; ++seed) {
    std::string text = MakeRandomBytes(4096, seed);
    if (seed % 5 == 0) text[rng() % text.size()] = '\0';
    const GbkCounts want = Scalar(text);
    std::vector<size_t> cuts;
    for (size_t at = rng() % 200; at < text.size(); at += rng() % 300)
      cuts.push_back(at);
    EXPECT_TRUE(Same(want, Whole(text))) << "seed " << seed;
    EXPECT_TRUE(Same(want, InPieces(text, cuts))) << "seed " << seed;
  }
}

#ifdef VX_HAVE_X86_KERNELS
// The dispatcher picks one kernel; test each directly against the scalar loop.
TEST(GbkScan, EachVectorKernelEqualsScalar) {
  using Kernel = size_t (*)(const unsigned char*, size_t, GbkScanState&,
                            GbkCounts&);
  std::vector<Kernel> kernels = {ScanGbkBlocksSse2};
  if (CpuHasAvx2()) kernels.push_back(ScanGbkBlocksAvx2);
#ifdef VX_HAVE_AVX512_KERNEL
  if (CpuHasAvx512()) kernels.push_back(ScanGbkBlocksAvx512);
#endif
  // Few distinct bytes make the rare cases common: CR LF pairs across block
  // edges, CRs and LFs as trail bytes, long high runs, CR LF after a lead.
  const std::string alphabet = "\r\n\r\n\xB0\x81\x81\xFF" "a ";
  std::mt19937 rng(5);
  std::string dense(4096 + 17, ' ');
  for (char& ch : dense) ch = alphabet[rng() % alphabet.size()];
  const auto* bytes = reinterpret_cast<const unsigned char*>(dense.data());
  for (Kernel kernel : kernels)
    for (size_t from = 0; from < 66; ++from)
      for (size_t to = dense.size() - 66; to <= dense.size(); ++to) {
        // The prefix, scanned byte by byte, hands the kernel every state,
        // and the kernel hands its own to the rest.
        GbkScanState state;
        GbkCounts counts;
        ScanGbkScalar(bytes, from, state, counts);
        const size_t done = kernel(bytes + from, to - from, state, counts);
        ScanGbkScalar(bytes + from + done, to - from - done, state, counts);
        ASSERT_TRUE(Same(Scalar(dense.substr(0, to)), counts))
            << "from " << from << " to " << to;
      }
  for (Kernel kernel : kernels)
    for (uint32_t seed = 0; seed < 30; ++seed) {
      const std::string text = seed % 2 ? MakeRandomBytes(2048 + seed, seed)
                                        : MakeGbkProse(2048, seed).text;
      GbkScanState state;
      GbkCounts counts;
      const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
      const size_t done = kernel(bytes, text.size(), state, counts);
      EXPECT_EQ(0u, done % kGbkBlockSize);
      ScanGbkScalar(bytes + done, text.size() - done, state, counts);
      EXPECT_TRUE(Same(Scalar(text), counts)) << "seed " << seed;
    }
}
#endif

}  // namespace
