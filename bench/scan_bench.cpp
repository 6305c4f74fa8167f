// Throughput of the GBK scan against the machine's memory read bandwidth
// (memchr for a byte that is not there), on the same buffers.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "engine/gbk_scan.h"
#include "tests/support/gbk_corpus.h"

namespace {

const std::string& Prose(size_t size) {
  static std::string small = MakeGbkProse(1 << 20, 1).text.substr(0, 1 << 20);
  static std::string large;
  if (size == small.size()) return small;
  if (large.empty()) {
    large.reserve(size);
    while (large.size() < size) large += small;
    large.resize(size);
  }
  return large;
}

void BM_Memchr(benchmark::State& state) {
  const std::string& text = Prose(size_t(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(std::memchr(text.data(), 0, text.size()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_ScanGbk(benchmark::State& state) {
  const std::string& text = Prose(size_t(state.range(0)));
  for (auto _ : state) {
    GbkScanState scan;
    GbkCounts counts;
    ScanGbk(reinterpret_cast<const unsigned char*>(text.data()), text.size(),
            scan, counts);
    benchmark::DoNotOptimize(counts);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.SetLabel(GbkKernelName());
}

BENCHMARK(BM_Memchr)->Arg(1 << 20)->Arg(100 << 20);
BENCHMARK(BM_ScanGbk)->Arg(1 << 20)->Arg(100 << 20);

}  // namespace

BENCHMARK_MAIN();
