// libFuzzer target over the GBK scan and the ticked total.
//
// Input: byte 0 holds the category ticks (low 4 bits); byte 1 the number of
// piece lengths that follow (low 4 bits), one byte each; the rest is the
// text. The text is counted whole and in pieces of those lengths (cycled),
// by the dispatched scan, by each vector kernel on its own and by the
// scalar reference. Every piece is copied into an allocation of exactly its
// size, so AddressSanitizer reports any read before or after it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/app_state.h"
#include "engine/gbk_scan.h"
#include "engine/gbk_scan_kernels.h"
#include "engine/recount.h"
#include "engine/text_tally.h"

namespace {

using Scan = void (*)(const unsigned char*, size_t, GbkScanState&, GbkCounts&);

void Check(bool ok) {
  if (!ok) std::abort();
}

bool Same(const GbkCounts& a, const GbkCounts& b) {
  return a.cnChars == b.cnChars && a.cnPunct == b.cnPunct &&
         a.enChars == b.enChars && a.enPunct == b.enPunct;
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

GbkCounts InPieces(Scan scan, const unsigned char* text, size_t size,
                   const std::vector<size_t>& lengths) {
  GbkScanState state;
  GbkCounts counts;
  ForEachPiece(text, size, lengths, [&](const unsigned char* p, size_t n) {
    scan(p, n, state, counts);
  });
  return counts;
}

#ifdef VX_HAVE_X86_KERNELS
using Kernel = size_t (*)(const unsigned char*, size_t, GbkScanState&,
                          GbkCounts&);
template <Kernel K>
void KernelThenScalar(const unsigned char* data, size_t size,
                      GbkScanState& state, GbkCounts& counts) {
  if (state.ended) return;
  const size_t done = size >= kGbkBlockSize ? K(data, size, state, counts) : 0;
  Check(done <= size && done % kGbkBlockSize == 0);
  ScanGbkScalar(data + done, size - done, state, counts);
}
#endif

}  // namespace

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

  Check(Same(want, InPieces(ScanGbk, text, textSize, {})));
  Check(Same(want, InPieces(ScanGbk, text, textSize, lengths)));
  Check(Same(want, InPieces(ScanGbkScalar, text, textSize, lengths)));
#ifdef VX_HAVE_X86_KERNELS
  Check(Same(want, InPieces(KernelThenScalar<ScanGbkBlocksSse2>, text,
                            textSize, lengths)));
  static const bool avx2 = CpuHasAvx2();
  if (avx2) {
    Check(Same(want, InPieces(KernelThenScalar<ScanGbkBlocksAvx2>, text,
                              textSize, {})));
    Check(Same(want, InPieces(KernelThenScalar<ScanGbkBlocksAvx2>, text,
                              textSize, lengths)));
  }
#endif

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
