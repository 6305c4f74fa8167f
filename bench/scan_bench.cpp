// Throughput of the GBK scan against the machine's memory read bandwidth,
// taken as glibc memchr for a byte that is not there, on the same buffers.
// After the Google Benchmark table it prints, per buffer, the best scan
// throughput over the best memchr one, and warns when a best and an average
// are far apart (a busy machine, not the code).
//
//   scan_bench [--memchr_out=FILE] [Google Benchmark flags]
// --memchr_out writes the best memchr figures, one "name<TAB>GB/s" a line,
// for the Windows benchmark to state its ratio against the same bandwidth.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_buffers.h"
#include "engine/gbk_scan.h"

namespace {

constexpr int kRuns = 10;
constexpr double kMinSecondsPerRun = 0.05;
constexpr double kSpreadWarning = 0.10;

const std::vector<BenchBuffer>& Buffers() {
  static const std::vector<BenchBuffer> buffers = MakeBenchBuffers();
  return buffers;
}

void Memchr(benchmark::State& state, const std::string* text) {
  for (auto _ : state)
    benchmark::DoNotOptimize(std::memchr(text->data(), 0, text->size()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text->size()));
}

void Scan(benchmark::State& state, const std::string* text) {
  for (auto _ : state) {
    GbkScanState scan;
    GbkCounts counts;
    ScanGbk(reinterpret_cast<const unsigned char*>(text->data()),
            text->size(), scan, counts);
    benchmark::DoNotOptimize(counts);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text->size()));
  state.SetLabel(GbkKernelName());
}

// Shows the aggregates only and keeps every run's bytes per second.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> shown;
    for (const Run& run : runs) {
      const auto rate = run.counters.find("bytes_per_second");
      if (run.run_type == Run::RT_Iteration && !run.error_occurred &&
          rate != run.counters.end())
        rates_[run.run_name.function_name].push_back(rate->second.value);
      else
        shown.push_back(run);
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
  }

  struct Rate {
    double best = 0, mean = 0;
  };
  // In GB/s; zero when the benchmark did not run (filtered out).
  Rate Of(const std::string& name) const {
    Rate r;
    const auto it = rates_.find(name);
    if (it == rates_.end() || it->second.empty()) return r;
    for (double v : it->second) {
      r.best = std::max(r.best, v / 1e9);
      r.mean += v / 1e9 / double(it->second.size());
    }
    return r;
  }

 private:
  std::map<std::string, std::vector<double>> rates_;
};

bool WarnIfSpread(const char* what, const std::string& name,
                  RatioReporter::Rate r) {
  if (r.best <= 0 || (r.best - r.mean) / r.best <= kSpreadWarning) return false;
  std::printf(
      "warning: %s %s: best %.1f GB/s, average %.1f GB/s (%.0f%% apart); "
      "the machine was busy, the figures are unsure\n",
      what, name.c_str(), r.best, r.mean, 100 * (r.best - r.mean) / r.best);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string memchrOut;
  // Repetitions of memchr and of the scan take turns in random order, so a
  // busy spell of the machine falls on both alike; a flag given later wins.
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> args = {argv[0], interleave};
  for (int i = 1; i < argc; ++i) {
    const char* flag = "--memchr_out=";
    if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0)
      memchrOut = argv[i] + std::strlen(flag);
    else
      args.push_back(argv[i]);
  }
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

  for (const BenchBuffer& b : Buffers()) {
    benchmark::RegisterBenchmark(("memchr/" + b.name).c_str(), Memchr, &b.text)
        ->Repetitions(kRuns)
        ->MinTime(kMinSecondsPerRun);
    benchmark::RegisterBenchmark(("scan/" + b.name).c_str(), Scan, &b.text)
        ->Repetitions(kRuns)
        ->MinTime(kMinSecondsPerRun);
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nscan (%s) against memchr on one core, best of %d runs:\n",
              GbkKernelName(), kRuns);
  std::FILE* out = memchrOut.empty() ? nullptr : std::fopen(memchrOut.c_str(), "w");
  if (!memchrOut.empty() && !out)
    std::fprintf(stderr, "cannot write %s\n", memchrOut.c_str());
  bool spread = false;
  for (const BenchBuffer& b : Buffers()) {
    const RatioReporter::Rate scan = reporter.Of("scan/" + b.name);
    const RatioReporter::Rate mem = reporter.Of("memchr/" + b.name);
    if (mem.best > 0 && out) std::fprintf(out, "%s\t%.3f\n", b.name.c_str(), mem.best);
    if (scan.best <= 0 || mem.best <= 0) continue;
    std::printf("  scan/memchr %-13s %.2f   (scan %6.1f GB/s, memchr %6.1f GB/s)\n",
                (b.name + ":").c_str(), scan.best / mem.best, scan.best, mem.best);
  }
  if (out) std::fclose(out);
  for (const BenchBuffer& b : Buffers()) {
    spread |= WarnIfSpread("scan", b.name, reporter.Of("scan/" + b.name));
    spread |= WarnIfSpread("memchr", b.name, reporter.Of("memchr/" + b.name));
  }
  return 0;
}
