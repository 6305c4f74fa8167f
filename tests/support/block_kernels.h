#pragma once
// Every vector kernel of the GBK scan built in that this processor runs, not
// just the one ScanGbk picks, for the fuzzer and the kernel benchmarks. Uses
// only what every version of the kernels offers, so that
// bench/scan_before_after.sh can build it against an earlier engine.

#include <cstddef>
#include <vector>

#include "engine/gbk_scan.h"
#include "engine/gbk_scan_kernels.h"

using BlockKernel = size_t (*)(const unsigned char*, size_t, GbkScanState&, GbkCounts&);

struct NamedKernel {
  const char* name;
  BlockKernel kernel;
};

inline std::vector<NamedKernel> RunnableKernels() {
  std::vector<NamedKernel> out;
#ifdef VX_HAVE_X86_KERNELS
  out.push_back({"sse2", ScanGbkBlocksSse2});
  if (CpuHasAvx2()) out.push_back({"avx2", ScanGbkBlocksAvx2});
#endif
#ifdef VX_HAVE_AVX512_KERNEL
  if (CpuHasAvx512()) out.push_back({"avx512", ScanGbkBlocksAvx512});
#endif
  return out;
}

// A kernel's whole blocks, then the scalar loop for the rest, as ScanGbk
// does with the kernel it picks.
inline GbkCounts ScanWith(BlockKernel kernel, const unsigned char* data, size_t size) {
  GbkScanState scan;
  GbkCounts counts;
  const size_t done = kernel(data, size, scan, counts);
  ScanGbkScalar(data + done, size - done, scan, counts);
  return counts;
}
