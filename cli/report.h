#pragma once
// The three output formats of the counts (and of --explain).

#include <string>
#include <vector>

#include "cli/char_tally.h"
#include "cli/options.h"
#include "engine/gbk_scan.h"

#include <cstddef>
#include <functional>

#include "cli/explain_spool.h"

struct ReportRow {
  std::string name;
  GbkCounts counts;
  size_t explain = 0;  // with --explain: the number of the file's text in the spool
};

// A file's name as the table and the error messages give it: as it is, or,
// when it holds a control character, a character that acts on the line or
// a byte of no UTF-8 character, quoted for the shell as wc quotes it.
std::string QuotedName(const std::string& name);

// A file's --explain text in the output's format (a table section, or the
// JSON object's "explain" member).
std::string ExplainText(const Options& options, const std::string& name, const CharTally& chars);

// Writes the output for `rows` piece by piece through `write`, the --explain
// texts from `spool` (null without --explain); `withSums` adds the row of
// sums (the JSON output always has its totals object). A text that cannot
// be read back is left out, its file's JSON object complete without it, and
// told to `unreadable` with the file's name and why. False when a write
// failed.
using UnreadableExplain = std::function<void(const std::string& name, const std::string& why)>;
bool WriteReport(const Options& options, const std::vector<ReportRow>& rows, bool withSums,
                 const ExplainSpool* spool,
                 const std::function<bool(const std::string&)>& write,
                 const UnreadableExplain& unreadable);
