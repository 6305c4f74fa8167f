#pragma once
// The three output formats of the counts (and of --explain).

#include <string>
#include <vector>

#include "cli/char_tally.h"
#include "cli/options.h"
#include "engine/gbk_scan.h"

#include <cstdint>
#include <cstdio>
#include <functional>

// Each file's --explain text, kept in a temporary file from the moment the
// file is counted until the report is written: memory does not grow with
// the number of files. Without a temporary file, in memory.
class ExplainSpool {
 public:
  ExplainSpool();
  ~ExplainSpool();
  ExplainSpool(const ExplainSpool&) = delete;
  ExplainSpool& operator=(const ExplainSpool&) = delete;
  // Keeps `text`; where it is, for Read. False when it could not be kept.
  bool Add(const std::string& text, uint64_t& at);
  bool Read(uint64_t at, size_t size, std::string& text) const;

 private:
  std::FILE* file_;
  std::string memory_;
};

struct ReportRow {
  std::string name;
  GbkCounts counts;
  uint64_t explainAt = 0;  // with --explain: the file's text in the spool
  size_t explainSize = 0;
};

// A file's --explain text in the output's format (a table section, or the
// JSON object's "explain" member).
std::string ExplainText(const Options& options, const std::string& name, const CharTally& chars);

// Writes the output for `rows` piece by piece through `write`, the --explain
// texts from `spool` (null without --explain); `withSums` adds the row of sums (the JSON output always
// has its totals object). False when a write, or reading the spool, failed.
bool WriteReport(const Options& options, const std::vector<ReportRow>& rows, bool withSums,
                 const ExplainSpool* spool,
                 const std::function<bool(const std::string&)>& write);
