// Each vector kernel of the GBK scan this processor runs, on its own, over
// the prose buffers (whole blocks by the kernel, the rest by the scalar
// loop, as ScanGbk does). Prints after the table one line per kernel and
// buffer, "kernel<TAB>buffer<TAB>best GB/s", for bench/scan_before_after.sh,
// which builds this same file against an earlier engine and compares
// (kernel_bench_win.cpp is its twin for the Windows builds).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_buffers.h"
#include "bench/bench_timing.h"
#include "tests/support/block_kernels.h"

namespace {

void RunKernel(benchmark::State& state, BlockKernel kernel, const std::string* text) {
  const auto* data = reinterpret_cast<const unsigned char*>(text->data());
  for (auto _ : state) {
    GbkCounts counts = ScanWith(kernel, data, text->size());
    benchmark::DoNotOptimize(counts);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text->size()));
}

// Keeps the best bytes per second of every benchmark, and shows nothing
// but the aggregates.
class BestReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> shown;
    for (const Run& run : runs) {
      const auto rate = run.counters.find("bytes_per_second");
      if (run.run_type == Run::RT_Iteration && !run.error_occurred &&
          rate != run.counters.end()) {
        double& best = best_[run.run_name.function_name];
        best = std::max(best, rate->second.value / 1e9);
      } else {
        shown.push_back(run);
      }
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
  }
  const std::map<std::string, double>& Best() const { return best_; }

 private:
  std::map<std::string, double> best_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::vector<BenchBuffer> buffers;
  for (BenchBuffer& b : MakeBenchBuffers())
    if (b.name.rfind("prose", 0) == 0) buffers.push_back(std::move(b));
  for (const NamedKernel& k : RunnableKernels())
    for (const BenchBuffer& b : buffers)
      benchmark::RegisterBenchmark((std::string(k.name) + "\t" + b.name).c_str(), RunKernel,
                                   k.kernel, &b.text)
          ->Repetitions(kRuns)
          ->MinTime(kMinSecondsPerRun);
  BestReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const auto& [name, gbs] : reporter.Best()) std::printf("%s\t%.2f\n", name.c_str(), gbs);
  return 0;
}
