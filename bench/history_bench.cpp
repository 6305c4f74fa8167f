// Reading the writing history, which the window does at start and at each
// save (every 30 s): ten years of three documents a day as written, and a
// damaged file of the same size whose every line opens a quoted field that
// the next closes, so that a reader gone quadratic shows as a ratio of the
// two, not as a test's time limit.
#include <benchmark/benchmark.h>

#include <string>

#include "writing/history_csv.h"

namespace {

std::string TenYears() {
  std::string content = std::string(kUtf8Mark) + kHistoryHeader + "\r\n";
  const Day first = DayOf(2015, 1, 1);
  for (Day day = first; day < first + 3653; ++day)
    for (const char* document : {"第一章.txt - 记事本", "notes, draft 2", "稿子 - 写作"}) {
      HistoryRow row;
      row.day = day;
      row.document = document;
      row.firstTotal = 1000 + day % 97;
      row.latestTotal = row.firstTotal + day % 3001;
      row.activeMinutes = day % 240;
      content += HistoryRecord(row);
    }
  return content;
}

std::string DamagedLike(const std::string& model) {
  std::string content = std::string(kUtf8Mark) + kHistoryHeader + "\r\n";
  while (content.size() < model.size()) content += "x\",\"\n";
  return content;
}

void Read(benchmark::State& state, const std::string& content) {
  for (auto _ : state) benchmark::DoNotOptimize(ParseHistory(content));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(content.size()));
}

const std::string kTenYears = TenYears();
const std::string kDamaged = DamagedLike(kTenYears);

void BM_HistoryTenYears(benchmark::State& state) { Read(state, kTenYears); }
void BM_HistoryDamagedQuotes(benchmark::State& state) { Read(state, kDamaged); }
BENCHMARK(BM_HistoryTenYears)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryDamagedQuotes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
