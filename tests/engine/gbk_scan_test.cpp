#include "engine/gbk_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "engine/gbk_scan_kernels.h"
#include "engine/text_tally.h"
#include "tests/support/avx512_emulated.h"
#include "tests/support/gbk_corpus.h"

namespace {

// The counts of `text` fed in pieces ending at `cuts`, by the dispatcher or,
// with `scalar`, by the byte loop alone.
Four Scan(const std::string& text, std::vector<size_t> cuts = {}, bool scalar = false) {
  GbkScanState state;
  GbkCounts counts;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t from = 0;
  cuts.push_back(text.size());
  for (size_t to : cuts) {
    (scalar ? ScanGbkScalar : ScanGbk)(bytes + from, to - from, state, counts);
    from = to;
  }
  return FourOf(counts);
}
Four Scalar(const std::string& text) { return Scan(text, {}, true); }

struct Case {
  const char* why;
  std::string text;
  Four want;  // cnChars, cnPunct, enChars, enPunct
};

const Case kCases[] = {
    {"empty text", "", {0, 0, 0, 0}},
    {"中文，abc 123。 CR LF", "\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n", {2, 2, 6, 2}},
    {"three lone CRs are punctuation, never a negative count", "\r\r\r", {0, 0, 0, 3}},
    {"CR LF counts once, as punctuation", "\r\n", {0, 0, 0, 1}},
    {"a lone LF is punctuation, as a line end", "\n", {0, 0, 0, 1}},
    {"LF after CR LF is a new line end", "\r\n\n", {0, 0, 0, 2}},
    {"LF CR: two line ends", "\n\r", {0, 0, 0, 2}},
    {"CR as a trail byte is not counted, the LF after it is", "\x81\r\n", {0, 1, 0, 1}},
    {"a line end counts alike as LF", "ab\ncd\n", {0, 0, 4, 2}},
    {"a line end counts alike as CR LF", "ab\r\ncd\r\n", {0, 0, 4, 2}},
    {"a line end counts alike as CR", "ab\rcd\r", {0, 0, 4, 2}},
    {"a blank line between, LF", "ab\n\ncd", {0, 0, 4, 2}},
    {"a blank line between, CR LF", "ab\r\n\r\ncd", {0, 0, 4, 2}},
    {"an LF after a lead is its trail", "\xB0\nA", {1, 0, 1, 0}},
    {"lone lead byte at the end counts", "\xB0", {1, 0, 0, 0}},
    {"lead bytes 0xB0 and 0xF7 are hanzi rows", "\xB0\xA1\xF7\xFE", {2, 0, 0, 0}},
    {"lead bytes 0xAF and 0xF8 are punctuation", "\xAF\xA1\xF8\xA1", {0, 2, 0, 0}},
    {"a trail byte below 0x80 is not classified", "\x81\x41" "A", {0, 1, 1, 0}},
    {"a run of three high bytes pairs the third with the next byte", "\xB0\xB0\xB0" "A",
     {2, 0, 0, 0}},
    {"the first 0 byte ends the text", std::string("ab\0cd", 5), {0, 0, 2, 0}},
    {"a 0 trail byte ends the text after its lead", std::string("\xB0\0" "ab", 4), {1, 0, 0, 0}},
    {"English punctuation ranges, edges included", " /:@[`{~", {0, 0, 0, 8}},
    {"just outside the punctuation ranges, tab, VT, FF and 0x7F", "09AZaz\x1F\t\v\f\x7F",
     {0, 0, 11, 0}},
};

// Each case whole, by the byte loop, and cut in two at every offset.
TEST(GbkScan, ClassifiesByTheRulesHoweverTheTextIsCut) {
  for (const Case& c : kCases) {
    EXPECT_EQ(c.want, Scalar(c.text)) << c.why;
    for (size_t cut = 0; cut <= c.text.size(); ++cut)
      EXPECT_EQ(c.want, Scan(c.text, {cut})) << c.why << ", cut at " << cut;
  }
}

// A text counted in two parts, the second apart from the first from a sync
// point, joins to the count of the whole, at every sync point: through line
// ends, words, trail bytes below 0x80, mixed rows' leads and a 0 in either
// part. The joined tally goes on as the whole's would.
TEST(GbkScan, TextCountedApartFromASyncPointJoinsToTheWholeCount) {
  const auto sixOf = [](const TextTally& t) { return SixOf(t.Counts()); };
  std::string few = MakeRandomBytes(3000, 5);
  // Few distinct bytes make CR LF, words and trails at a sync point common.
  for (char& c : few) c = "\r\n a.\x81\xA1\xA3\xB0@"[static_cast<unsigned char>(c) % 10];
  std::string withZero = MakeGbkProse(2000, 3).text;
  withZero[1500] = '\0';
  for (const std::string& text :
       {few, withZero, MakeGbkProse(3000, 4).text, MakeRandomBytes(3000, 6)}) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::string more = "\nx y";
    TextTally whole;
    whole.Add(text.data(), text.size());
    whole.Add(more.data(), more.size());
    for (size_t at = 0; at < text.size(); ++at) {
      const size_t sync = GbkSyncPoint(bytes + at, text.size() - at);
      if (sync == 0) break;
      const size_t p = at + sync;
      ASSERT_LT(bytes[p - 2] - 1u, 0x7Fu);
      ASSERT_LT(bytes[p - 1] - 1u, 0x7Fu);
      TextTally first, second;
      first.Add(text.data(), p);
      second.StartAfter(bytes + p - 2);
      second.Add(text.data() + p, text.size() - p);
      first.Join(second);
      first.Add(more.data(), more.size());
      ASSERT_EQ(sixOf(whole), sixOf(first)) << "parted at " << p;
      at = p - 2;  // on to the next sync point
    }
  }
  const unsigned char noSingleBytesInARow[] = {'a', 0xB0, 'b', 0xA1, '\0', 'c', 0xD6};
  EXPECT_EQ(0u, GbkSyncPoint(noSingleBytesInARow, sizeof noSingleBytesInARow));
}

#ifdef VX_HAVE_X86_KERNELS
// The counts of bytes[from, to) scanned as ScanGbk does, with `kernel`
// between two scalar stretches: the prefix, scanned byte by byte, hands the
// kernel every state, and the kernel hands its own to the rest.
Four KernelCounts(BlockKernel kernel, const unsigned char* bytes, size_t from, size_t to) {
  GbkScanState state;
  GbkCounts counts;
  ScanGbkScalar(bytes, from, state, counts);
  // As ScanGbk does: a kernel starts with no mixed row's lead waiting, and
  // none starts after the text's end.
  size_t start = from;
  if (state.pendingLead && start < to) ScanGbkScalar(bytes + start++, 1, state, counts);
  const size_t done = state.ended ? 0 : kernel(bytes + start, to - start, state, counts);
  EXPECT_EQ(0u, done % kGbkBlockSize);
  if (done) {
    EXPECT_EQ(0, state.pendingLead);
  }
  ScanGbkScalar(bytes + start + done, to - start - done, state, counts);
  return SixOf(counts);
}

Four ScalarCounts(const std::string& text) {
  GbkScanState state;
  GbkCounts counts;
  ScanGbkScalar(reinterpret_cast<const unsigned char*>(text.data()), text.size(), state,
                counts);
  return SixOf(counts);
}

// The dispatcher picks one kernel; each is tested against the scalar loop,
// from every alignment, over lengths around the block width (the block
// loop, its hand-over to the tail, the carries between blocks) and long
// ones.
TEST(GbkScan, EachVectorKernelEqualsScalarWhereverItStartsAndEnds) {
  const std::vector<NamedKernel> kernels = TestedKernels();
  // Few distinct bytes make the rare cases common: CR LF pairs across block
  // edges, CRs and LFs as trail bytes, long high runs, CR LF after a lead,
  // words across block edges, the mixed rows' leads before every kind of
  // trail (0xA1 0xA1 is the ideographic space).
  // The same without the mixed rows, whose leads send the widest loops to
  // their exact steps: blank lines, CR CR LF and the like in those loops,
  // and a CR before a lead that the low 7 bits would make an LF (0x8A).
  std::mt19937 rng(5);
  auto denseOf = [&rng](const std::string& alphabet) {
    std::string text(4096 + 17, ' ');
    for (char& ch : text) ch = alphabet[rng() % alphabet.size()];
    return text;
  };
  const std::string dense = denseOf("\r\n\r\n\xB0\x81\x81\xFF" "a " "\xA1\xA1\xA3\xC1\xA6\xA9\t");
  const std::string settled = denseOf("\r\n\r\n\xB0\x81\x8A\xFF" "a \t");
  const std::string prose = MakeGbkProse(4096, 6).text, noise = MakeRandomBytes(4096, 4);
  std::vector<const std::string*> texts = {&dense, &settled, &prose, &noise};
  // One pair at a time every 67 bytes, which puts it across every block
  // edge as the start moves: a CR as a trail byte before an LF, which then
  // counts; a word part (Α) ending a block, whose run goes on after its
  // trail; 0xA1 before a common mark, before the ideographic space's 0xA1,
  // and before a word part (ˉ); the trails at both edges of the common
  // marks after 0xA1 (A4 and A8..BF are, A7 and C0 are not).
  const char* const kEdgePairs[] = {
      "\x81\r\n",        "\xA6\xA1" "ab",     "\xA6\xA1\xA6\xA2", "\xA1\xA3" "a",
      "\xA1\xA1" "a",    "a\xA1\xA5" "a",     "\xA1\xA4" "a",      "\xA1\xA7" "a",
      "\xA1\xA8" "a",    "\xA1\xBF" "a",      "\xA1\xC0" "a",     "\xA1!a"};
  std::vector<std::string> edges;
  for (const char* pair : kEdgePairs) {
    std::string text(40 * 67, 'x');
    for (size_t at = 60; at + 8 < text.size(); at += 67) text.replace(at, strlen(pair), pair);
    edges.push_back(text);
  }
  for (const std::string& text : edges) texts.push_back(&text);
  for (const std::string* text : texts) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text->data());
    std::vector<Four> upTo = {SixOf(GbkCounts())};  // the scalar counts of each prefix
    GbkScanState whole;
    GbkCounts prefix;
    for (size_t i = 0; i < text->size(); ++i) {
      ScanGbkScalar(bytes + i, 1, whole, prefix);
      upTo.push_back(SixOf(prefix));
    }
    for (const NamedKernel& k : kernels)
      for (size_t from = 0; from < 66; ++from)
        for (size_t to = from; to <= text->size(); ++to) {
          if (to == from + 3 * kGbkBlockSize + 2) to = std::max(to, text->size() - 66);
          ASSERT_EQ(upTo[to], KernelCounts(k.kernel, bytes, from, to))
              << k.name << " from " << from << " to " << to;
        }
  }
}

// Runs of high bytes longer than a block carry the lead/trail parity from
// block to block, through blocks of nothing else (the widest loop takes
// eight blocks at a time); odd and even runs end differently.
TEST(GbkScan, LongRunsOfHighBytesPairAcrossBlocks) {
  for (size_t run = 1; run < 20 * kGbkBlockSize + 3; run += 7)
    for (size_t prefix = 0; prefix < 3; ++prefix) {
      const std::string text = std::string(prefix, 'a') + std::string(run, '\xB5') + "xy\r\n";
      // An odd run takes the 'x' as its last trail byte.
      const Four want = {(run + 1) / 2, 0, prefix + (run % 2 ? 1 : 2), 1};
      EXPECT_EQ(want, Scan(text)) << run << "+" << prefix;
      const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
      for (const NamedKernel& k : TestedKernels())
        EXPECT_EQ(ScalarCounts(text), KernelCounts(k.kernel, bytes, 0, text.size()))
            << k.name << ", " << run << "+" << prefix;
    }
}

// Every trail after 0xA1 (whose characters differ in class by trail) and
// after two leads that do not, each pair alone among 'x's, so that the
// kernels' widest loops meet it rather than their exact steps, and at every
// place in a block as the pairs go on: the kernels that classify a byte by
// its low 7 bits must not read a low trail as the high byte it resembles
// (0xA1 0x21 is no ideographic space).
TEST(GbkScan, EachVectorKernelClassifiesEveryTrailAfterTheMixedRowLead) {
  std::string text;
  for (unsigned lead : {0xA1, 0xA3, 0xB0})
    for (unsigned trail = 1; trail < 256; ++trail) {
      text += std::string(519, 'x');
      text += {char(lead), char(trail)};
    }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (const NamedKernel& k : TestedKernels())
    for (size_t from = 0; from < 3; ++from)
      EXPECT_EQ(ScalarCounts(text), KernelCounts(k.kernel, bytes, from, text.size()))
          << k.name << " from " << from;
}

// The first 0 byte ends the text, wherever it is: in the first block, in a
// later one, at a block's edges, where the kernels sum their counts (every
// 31 blocks and more), and as a trail byte.
TEST(GbkScan, EachVectorKernelStopsAtTheFirst0) {
  const std::string prose = MakeGbkProse(5000, 7).text;
  const size_t b = kGbkBlockSize;
  for (size_t at : std::vector<size_t>{0, 5, b - 1, b, 2 * b - 1, 2 * b + 7, 31 * b, 31 * b + 1,
                                       32 * b - 1, 2047, 2048, 2563, 63 * b, 4095}) {
    std::string text = prose;
    text[at] = '\0';
    std::string trail = prose;  // a 0 after a lead
    trail.replace(at, 2, std::string("\xB0\0", 2));
    for (const std::string& t : {text, trail}) {
      const auto* bytes = reinterpret_cast<const unsigned char*>(t.data());
      for (const NamedKernel& k : TestedKernels())
        for (size_t from : {size_t(0), size_t(1), size_t(7)})
          EXPECT_EQ(ScalarCounts(t), KernelCounts(k.kernel, bytes, from, t.size()))
              << k.name << ", a 0 at " << at << ", from " << from;
    }
  }
}

// Texts of one character repeated over 30 to 70 blocks: the kernels add up
// counts in narrow lanes (a byte per 8 bits, or per CR LF pair) between
// their sums, and every block fills those lanes alike.
TEST(GbkScan, EachVectorKernelCountsLongUniformTexts) {
  for (const char* unit : {"a", ".", " ", "\r\n", "\xB0\xA1", "\xA1\xA3", "\xA1\xA1"}) {
    std::string text;
    while (text.size() < 70 * kGbkBlockSize + 3) text += unit;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (const NamedKernel& k : TestedKernels())
      for (size_t blocks = 30; blocks <= 70; blocks += 1)
        for (size_t extra : {size_t(1), size_t(2)}) {
          const size_t to = blocks * kGbkBlockSize + extra;
          EXPECT_EQ(ScalarCounts(text.substr(0, to)), KernelCounts(k.kernel, bytes, 0, to))
              << k.name << ", '" << unit << "' for " << to << " bytes";
        }
  }
}
#endif

}  // namespace
