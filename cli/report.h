#pragma once
// The three output formats of the counts (and of --explain).

#include <string>
#include <vector>

#include "cli/char_tally.h"
#include "cli/options.h"
#include "engine/gbk_scan.h"

struct ReportRow {
  std::string name;
  GbkCounts counts;
  const CharTally* chars = nullptr;  // with --explain
};

// The whole output for `rows`; `withSums` adds the row of sums (the JSON
// output always has its totals object).
std::string FormatReport(const Options& options, const std::vector<ReportRow>& rows,
                         bool withSums);
