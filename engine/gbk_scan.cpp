#include "engine/gbk_scan.h"

#include "engine/gbk_scan_kernels.h"
#include "engine/word_class.h"

namespace {

using BlockKernel = size_t (*)(const unsigned char*, size_t, GbkScanState&,
                               GbkCounts&);

BlockKernel PickKernel() {
#ifdef VX_HAVE_X86_KERNELS
#ifdef VX_HAVE_AVX512_KERNEL
  if (CpuHasAvx512()) return ScanGbkBlocksAvx512;
#endif
  return CpuHasAvx2() ? ScanGbkBlocksAvx2 : ScanGbkBlocksSse2;
#else
  return nullptr;
#endif
}

const BlockKernel kKernel = PickKernel();

// A mixed row's lead was counted as an East Asian character; its trail says
// what it is.
void SettleMixedLead(unsigned char trail, GbkScanState& state, GbkCounts& counts) {
  switch (GbkWordClass(state.pendingLead, trail)) {
    case WordClass::kEastAsian:
      break;
    case WordClass::kWordPart:
      counts.words -= state.wordPartBeforeLead ? 1 : 0;
      state.afterWordPart = true;
      break;
    case WordClass::kSpace:
      --counts.words;
      --counts.charsNoSpace;
      break;
  }
  state.pendingLead = 0;
}

void CountLead(unsigned char b, GbkScanState& state, GbkCounts& counts) {
  if (IsHanziLead(b))
    ++counts.cnChars;
  else
    ++counts.cnPunct;
  ++counts.words;
  ++counts.charsNoSpace;
  state.wordPartBeforeLead = state.afterWordPart;
  state.afterWordPart = false;
  state.pendingLead = IsMixedRowLead(b) ? b : 0;
  state.trailNext = true;
}

void CountSingleForWords(unsigned char b, GbkScanState& state, GbkCounts& counts) {
  if (IsSpaceByte(b)) {
    state.afterWordPart = false;
    return;
  }
  ++counts.charsNoSpace;
  if (!state.afterWordPart) ++counts.words;
  state.afterWordPart = true;
}

}  // namespace

void ScanGbkScalar(const unsigned char* data, size_t size,
                   GbkScanState& state, GbkCounts& counts) {
  for (size_t i = 0; i < size && !state.ended; ++i) {
    const unsigned char b = data[i];
    const bool afterCr = state.afterCr;
    state.afterCr = false;
    if (b == 0) {
      state.ended = true;
    } else if (state.trailNext) {
      state.trailNext = false;
      if (state.pendingLead) SettleMixedLead(b, state, counts);
    } else if (b >= 0x80) {
      CountLead(b, state, counts);
    } else {
      CountSingleForWords(b, state, counts);
      if (b == '\r') {
        ++counts.enPunct;
        state.afterCr = true;
      } else if (b == '\n') {
        if (!afterCr) ++counts.enPunct;  // a CR LF line end counts once
      } else if (IsEnglishPunct(b)) {
        ++counts.enPunct;
      } else {
        ++counts.enChars;
      }
    }
  }
}

void ScanGbk(const unsigned char* data, size_t size, GbkScanState& state,
             GbkCounts& counts) {
  if (state.ended) return;
  size_t done = 0;
  // The kernels start at a character whose class they can see whole.
  if (state.pendingLead && size > 0) {
    ScanGbkScalar(data, 1, state, counts);
    done = 1;
  }
  if (kKernel && !state.ended && size - done > kGbkBlockSize)
    done += kKernel(data + done, size - done, state, counts);
  if (!state.ended) ScanGbkScalar(data + done, size - done, state, counts);
}

size_t GbkSyncPoint(const unsigned char* data, size_t size) {
  const auto single = [](unsigned char b) { return b != 0 && b < 0x80; };
  for (size_t p = 2; p <= size; ++p)
    if (single(data[p - 1]) && single(data[p - 2])) return p;
  return 0;
}

const char* GbkKernelName() {
#ifdef VX_HAVE_X86_KERNELS
#ifdef VX_HAVE_AVX512_KERNEL
  if (kKernel == ScanGbkBlocksAvx512) return "avx512";
#endif
  return kKernel == ScanGbkBlocksAvx2 ? "avx2" : "sse2";
#else
  return "scalar";
#endif
}
