// libFuzzer target over the GBK scan and the ticked total.
//
// Input: byte 0 holds the category ticks (low 4 bits); byte 1 the number of
// piece lengths that follow (low 4 bits), one byte each, and in its high 4
// bits where the long form's chunk edge falls in the text (0: at its start,
// 15: at its end); the rest is the text. The text is counted whole and in
// pieces of those lengths (cycled), by the dispatched scan, by every vector
// kernel this processor runs, each on its own and named when it strays, and
// by the scalar reference; the kernels count it spread out too (Spread).
// Every piece is copied into an allocation of exactly its size, so
// AddressSanitizer reports any read before or after it.
//
// The text is also counted in two parts joined at a sync point.
//
// The long form streams the text after spaces through CountTextStream, so
// that its 1 MiB read chunk ends inside the text. Spaces leave no state
// behind, count one English punctuation mark each and no word or character
// of Word's, so the reference is still the text's own scalar count. It
// costs a hundred short inputs, so it runs for 1 input in 16, picked by the
// sum of the input's bytes rather than by a flag, which the fuzzer came to
// set on nearly half its corpus.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/app_state.h"
#include "engine/gbk_scan.h"
#include "engine/gbk_scan_kernels.h"
#include "engine/recount.h"
#include "engine/text_tally.h"
#include "sources/text_stream.h"
#include "tests/support/avx512_emulated.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool Same(const GbkCounts& a, const GbkCounts& b) {
  return a.cnChars == b.cnChars && a.cnPunct == b.cnPunct &&
         a.enChars == b.enChars && a.enPunct == b.enPunct && a.words == b.words &&
         a.charsNoSpace == b.charsNoSpace;
}

// Stops the run, naming the scan that strayed from the reference.
void CheckSame(const GbkCounts& want, const GbkCounts& got, const char* what) {
  if (Same(want, got)) return;
  std::fprintf(stderr, "%s: counts differ from the scalar scan's\n", what);
  std::abort();
}

// Calls take(piece, size) for consecutive pieces of [text, text + size)
// with the given lengths, cycled (0 gives an empty piece), the last one cut
// short; every piece is a copy in its own exact allocation.
template <typename Take>
void ForEachPiece(const unsigned char* text, size_t size,
                  const std::vector<size_t>& lengths, Take take) {
  size_t at = 0, next = 0;
  bool progress = false;
  do {
    size_t len = size - at;
    if (!lengths.empty()) {
      len = std::min(len, lengths[next % lengths.size()]);
      progress |= len > 0;
      // Lengths all 0: one pass of empty pieces, then the rest whole.
      if (++next % lengths.size() == 0 && !progress) len = size - at;
    }
    std::vector<unsigned char> piece(text + at, text + at + len);
    take(piece.data(), piece.size());
    at += len;
  } while (at < size);
}

template <typename ScanFn>
GbkCounts InPieces(ScanFn scan, const unsigned char* text, size_t size,
                   const std::vector<size_t>& lengths) {
  GbkScanState state;
  GbkCounts counts;
  ForEachPiece(text, size, lengths, [&](const unsigned char* p, size_t n) {
    scan(p, n, state, counts);
  });
  return counts;
}

const std::vector<NamedKernel>& Kernels() {
  static const std::vector<NamedKernel> kernels = TestedKernels();
  return kernels;
}

// The kernel's whole blocks, then the scalar scan for the rest, as ScanGbk
// does with the kernel it picks.
auto KernelThenScalar(BlockKernel kernel) {
  return [kernel](const unsigned char* data, size_t size, GbkScanState& state,
                  GbkCounts& counts) {
    if (state.ended) return;
    // A mixed row's lead waiting for its trail is settled first.
    size_t start = 0;
    if (state.pendingLead && size > 0) {
      ScanGbkScalar(data, 1, state, counts);
      start = 1;
      if (state.ended) return;
    }
    const size_t done = size - start >= kGbkBlockSize
                            ? kernel(data + start, size - start, state, counts)
                            : 0;
    Check(done <= size - start && done % kGbkBlockSize == 0);
    Check(done == 0 || state.pendingLead == 0);
    ScanGbkScalar(data + start + done, size - start - done, state, counts);
  };
}

// `spaces` spaces, then the text, read as a file is: as much as each read
// asks. The spaces are written straight into the reader's buffer, which
// spares the fuzzer a second megabyte per input.
class SpacesThenText : public ChunkSource {
 public:
  SpacesThenText(size_t spaces, const unsigned char* text, size_t size)
      : spaces_(spaces), text_(text), size_(size) {}
  int64_t Read(char* buffer, size_t capacity) override {
    size_t n = 0;
    if (at_ < spaces_) {
      n = std::min(capacity, spaces_ - at_);
      std::memset(buffer, ' ', n);
      at_ += n;
    }
    if (at_ >= spaces_ && n < capacity) {
      const size_t copied = std::min(capacity - n, spaces_ + size_ - at_);
      std::memcpy(buffer + n, text_ + (at_ - spaces_), copied);
      at_ += copied;
      n += copied;
    }
    return int64_t(n);
  }

 private:
  size_t spaces_;
  const unsigned char* text_;
  size_t size_;
  size_t at_ = 0;
};

bool TakesLongForm(const uint8_t* data, size_t size) {
  unsigned sum = 0;
  for (size_t i = 0; i < size; ++i) sum += data[i];
  return sum % 16 == 0;
}

// The text, whose scalar count is `textCounts`, streamed after spaces that
// end the first read chunk `edgeIn` bytes into it.
void CheckAcrossTheChunkEdge(const unsigned char* text, size_t size,
                             const GbkCounts& textCounts, size_t edgeIn) {
  const size_t spaces = kTextChunkSize - edgeIn;
  GbkCounts want = textCounts;
  want.enPunct += spaces;
  SpacesThenText source(spaces, text, size);
  const StreamCount result = CountTextStream(source, EncodingChoice::kGbk, TextSink());
  Check(result.status == StreamStatus::kCounted);
  CheckSame(want, result.counts->Tally().Counts(), "CountTextStream across its chunk edge");
}

// The text's first bytes in threes between runs of 'x'. Random bytes put a
// lead the kernels leave to their exact step (a mixed row's) in nearly
// every stretch their widest loops take; spread out, most stretches have
// none, so those loops meet the pairs the fuzzer makes.
std::vector<unsigned char> Spread(const unsigned char* text, size_t size) {
  constexpr size_t kGroup = 3, kStride = 32, kMostBytes = 384;
  std::vector<unsigned char> out;
  for (size_t at = 0; at < std::min(size, kMostBytes); at += kGroup) {
    out.insert(out.end(), kStride - kGroup, 'x');
    out.insert(out.end(), text + at, text + std::min(size, at + kGroup));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::fprintf(stderr, "kernels fuzzed on this processor:");
  for (const NamedKernel& k : Kernels()) std::fprintf(stderr, " %s", k.name);
  std::fprintf(stderr, " (and ScanGbk's pick, %s)\n", GbkKernelName());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const unsigned ticks = data[0] & 0xF;
  const size_t cuts = std::min<size_t>(data[1] & 0xF, size - 2);
  std::vector<size_t> lengths(data + 2, data + 2 + cuts);
  const unsigned char* text = data + 2 + cuts;
  const size_t textSize = size - 2 - cuts;

  const GbkCounts want = InPieces(ScanGbkScalar, text, textSize, {});
  // Nothing counted beyond the bytes before the first 0, no wrap-around.
  const size_t untilZero = std::find(text, text + textSize, 0) - text;
  const uint64_t total =
      want.cnChars + want.cnPunct + want.enChars + want.enPunct;
  Check(want.cnChars <= untilZero && want.cnPunct <= untilZero &&
        want.enChars <= untilZero && want.enPunct <= untilZero &&
        total >= want.cnChars && total <= untilZero);
  // Word's figures: a word holds at least one character, and no character
  // is counted that the four categories do not count.
  Check(want.words <= want.charsNoSpace && want.charsNoSpace <= total);

  CheckSame(want, InPieces(ScanGbk, text, textSize, {}), "ScanGbk");
  CheckSame(want, InPieces(ScanGbk, text, textSize, lengths), "ScanGbk in pieces");
  CheckSame(want, InPieces(ScanGbkScalar, text, textSize, lengths), "scalar in pieces");
  for (const NamedKernel& k : Kernels()) {
    CheckSame(want, InPieces(KernelThenScalar(k.kernel), text, textSize, {}), k.name);
    CheckSame(want, InPieces(KernelThenScalar(k.kernel), text, textSize, lengths), k.name);
  }
  const std::vector<unsigned char> spread = Spread(text, textSize);
  const GbkCounts spreadWant = InPieces(ScanGbkScalar, spread.data(), spread.size(), {});
  for (const NamedKernel& k : Kernels())
    CheckSame(spreadWant, InPieces(KernelThenScalar(k.kernel), spread.data(), spread.size(), {}),
              k.name);
  if (textSize > 0 && TakesLongForm(data, size))
    CheckAcrossTheChunkEdge(text, textSize, want, textSize * (data[1] >> 4) / 15);

  // Counted in two parts, the second apart from a sync point at or after
  // the first piece's end: joined, the whole's counts.
  const size_t from = lengths.empty() || textSize == 0 ? 0 : lengths[0] % textSize;
  if (const size_t sync = GbkSyncPoint(text + from, textSize - from)) {
    const size_t at = from + sync;
    TextTally first, second;
    first.Add(reinterpret_cast<const char*>(text), at);
    second.StartAfter(text + at - 2);
    second.Add(reinterpret_cast<const char*>(text + at), textSize - at);
    first.Join(second);
    CheckSame(want, first.Counts(), "two parts joined at a sync point");
  }

  // The published counts make up the total by the ticks.
  TextTally tally;
  ForEachPiece(text, textSize, lengths, [&](const unsigned char* p, size_t n) {
    tally.Add(reinterpret_cast<const char*>(p), n);
  });
  Check(Same(want, tally.Counts()));
  g_cnCharsOn = ticks & 1;
  g_cnPunctOn = (ticks >> 1) & 1;
  g_enCharsOn = (ticks >> 2) & 1;
  g_enPunctOn = (ticks >> 3) & 1;
  tally.Publish();
  const uint64_t ticked = (ticks & 1 ? want.cnChars : 0) +
                          (ticks & 2 ? want.cnPunct : 0) +
                          (ticks & 4 ? want.enChars : 0) +
                          (ticks & 8 ? want.enPunct : 0);
  Check(TickedTotal() == Count(ticked));
  Check(TickedTotal() >= 0);
  return 0;
}
