#include "engine/gbk_scan.h"

#include "engine/gbk_scan_kernels.h"

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
    } else if (b >= 0x80) {
      if (IsHanziLead(b))
        ++counts.cnChars;
      else
        ++counts.cnPunct;
      state.trailNext = true;
    } else if (b == '\r') {
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

void ScanGbk(const unsigned char* data, size_t size, GbkScanState& state,
             GbkCounts& counts) {
  if (state.ended) return;
  size_t done = 0;
  if (kKernel && size >= kGbkBlockSize)
    done = kKernel(data, size, state, counts);
  if (!state.ended) ScanGbkScalar(data + done, size - done, state, counts);
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
