#pragma once
// How long the scan benchmarks time: kRuns runs, each repeating a pass for at
// least kMinSecondsPerRun. Natively Google Benchmark runs them; the Windows
// builds, which have no Google Benchmark, use the plain loop below (best and
// average rate).

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>

constexpr int kRuns = 10;
constexpr double kMinSecondsPerRun = 0.05;

struct Rate {
  double best = 0, mean = 0;  // GB/s
};

template <typename Pass>
Rate Measure(size_t bytes, Pass pass) {
  using Clock = std::chrono::steady_clock;
  pass();  // warm the buffer and the branch predictors
  Rate r;
  for (int run = 0; run < kRuns; ++run) {
    const Clock::time_point start = Clock::now();
    double seconds = 0;
    uint64_t passes = 0;
    do {
      pass();
      ++passes;
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < kMinSecondsPerRun);
    const double gbps = double(bytes) * double(passes) / seconds / 1e9;
    r.best = std::max(r.best, gbps);
    r.mean += gbps / kRuns;
  }
  return r;
}
