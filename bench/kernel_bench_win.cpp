// kernel_bench.cpp's twin for the Windows builds, run under Wine, where the
// 32-bit product's own kernels can be timed: each vector kernel this
// processor runs, over the prose buffers, one line per kernel and buffer,
// "kernel<TAB>buffer<TAB>best GB/s", for bench/scan_before_after.sh.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_buffers.h"
#include "bench/bench_timing.h"
#include "tests/support/block_kernels.h"

namespace {

volatile uint64_t g_sink;

}  // namespace

int main() {
  std::vector<BenchBuffer> buffers;
  for (BenchBuffer& b : MakeBenchBuffers())
    if (b.name.rfind("prose", 0) == 0) buffers.push_back(std::move(b));
  for (const NamedKernel& k : RunnableKernels())
    for (const BenchBuffer& b : buffers) {
      const auto* data = reinterpret_cast<const unsigned char*>(b.text.data());
      const Rate rate = Measure(b.text.size(), [&] {
        g_sink = ScanWith(k.kernel, data, b.text.size()).cnChars;
      });
      std::printf("%s\t%s\t%.2f\n", k.name, b.name.c_str(), rate.best);
    }
  return 0;
}
