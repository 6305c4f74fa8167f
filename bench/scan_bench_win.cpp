// The scan's throughput in the Windows build (run under Wine), with the
// plain timing loop of bench_timing.h.
//
//   scan_bench_win.exe [MEMCHR_FILE]
// MEMCHR_FILE holds the native benchmark's best memchr figures ("name<TAB>
// GB/s" lines, scan_bench --memchr_out): the ratio is then taken against the
// machine's memory read bandwidth, as natively. Without it, or for a buffer
// it lacks, the ratio is against this program's own memchr, which under Wine
// is the emulated C runtime's and says little about the machine.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "bench/bench_buffers.h"
#include "bench/bench_timing.h"
#include "engine/gbk_scan.h"

namespace {

constexpr double kSpreadWarning = 0.10;

volatile uint64_t g_sink;

std::map<std::string, double> ReadMemchrFile(const char* path) {
  std::map<std::string, double> rates;
  std::FILE* in = std::fopen(path, "r");
  if (!in) {
    std::fprintf(stderr, "cannot read %s: ratios against this program's memchr\n", path);
    return rates;
  }
  char line[256];
  while (std::fgets(line, sizeof line, in)) {
    char* tab = std::strchr(line, '\t');
    if (!tab) continue;
    *tab = '\0';
    rates[line] = std::atof(tab + 1);
  }
  std::fclose(in);
  return rates;
}

void WarnIfSpread(const char* what, const std::string& name, Rate r) {
  if (r.best > 0 && (r.best - r.mean) / r.best > kSpreadWarning)
    std::printf("warning: %s %s: best %.1f GB/s, average %.1f GB/s (%.0f%% apart); "
                "the machine was busy, the figures are unsure\n",
                what, name.c_str(), r.best, r.mean,
                100 * (r.best - r.mean) / r.best);
}

}  // namespace

int main(int argc, char** argv) {
  const std::map<std::string, double> native =
      argc > 1 ? ReadMemchrFile(argv[1]) : std::map<std::string, double>();
  std::printf("Windows build (%d-bit), scan (%s), best of %d runs:\n",
              int(sizeof(void*) * 8), GbkKernelName(), kRuns);
  for (const BenchBuffer& b : MakeBenchBuffers()) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(b.text.data());
    const Rate scan = Measure(b.text.size(), [&] {
      GbkScanState state;
      GbkCounts counts;
      ScanGbk(bytes, b.text.size(), state, counts);
      g_sink = counts.cnChars + counts.enChars;
    });
    const Rate own = Measure(b.text.size(), [&] {
      g_sink = uint64_t(std::memchr(b.text.data(), 0, b.text.size()) != nullptr);
    });
    const auto it = native.find(b.name);
    const bool against = it != native.end() && it->second > 0;
    const double mem = against ? it->second : own.best;
    std::printf("  scan/memchr %-13s %.2f   (scan %6.1f GB/s, %s memchr %6.1f GB/s;"
                " Wine's memchr %.1f GB/s)\n",
                (b.name + ":").c_str(), scan.best / mem, scan.best,
                against ? "native" : "Wine's", mem, own.best);
    WarnIfSpread("scan", b.name, scan);
  }
  return 0;
}
