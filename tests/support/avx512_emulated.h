#pragma once
// The AVX-512 kernel built from its own source with every vector operation
// emulated in plain code, so that the tests and the fuzzer check its logic
// on processors that cannot run it. Far slower than the real one: never
// timed, never picked by ScanGbk.

#include <vector>

#include "tests/support/block_kernels.h"

#if defined(VX_HAVE_AVX512_KERNEL) && defined(VX_AVX512_EMULATED)
size_t ScanGbkBlocksAvx512Emulated(const unsigned char* data, size_t size,
                                   GbkScanState& state, GbkCounts& counts);
#endif

// The kernels this processor runs, and the emulated AVX-512 kernel where the
// real one cannot run.
inline std::vector<NamedKernel> TestedKernels() {
  std::vector<NamedKernel> out = RunnableKernels();
#if defined(VX_HAVE_AVX512_KERNEL) && defined(VX_AVX512_EMULATED)
  if (!CpuHasAvx512()) out.push_back({"avx512 (emulated)", ScanGbkBlocksAvx512Emulated});
#endif
  return out;
}
