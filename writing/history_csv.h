#pragma once
// The writing history's file: one CSV record per day and document, UTF-8
// with a byte-order mark so that Excel reads it right, a header line in
// Chinese, and RFC 4180 quoting. A file edited by hand or damaged is read
// as far as it is valid: each line that is no record is handed back as it
// is, never dropped in silence. Portable and free of I/O: text in, text out.

#include <cstdint>
#include <string>
#include <vector>

#include "writing/local_time.h"

// A document's writing on one day.
struct HistoryRow {
  Day day = 0;
  std::string document;     // the caption without modified marks, UTF-8
  int64_t firstTotal = 0;   // its total when first seen that day
  int64_t latestTotal = 0;  // its total when last seen
  int64_t growth = 0;       // latestTotal - firstTotal when written by us
  int activeMinutes = 0;    // clock minutes in which its total changed
};

// Totals beyond 2^53 are no count (a Count is a double); a record holding
// one is damaged.
constexpr int64_t kLargestTotal = int64_t(1) << 53;

inline constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
// The header line, without its line end.
inline constexpr char kHistoryHeader[] = "日期,文档,初见合计,最新合计,净增,活跃分钟";

// `row` as one record ending in CR LF; its growth is written as
// latestTotal - firstTotal. The document is quoted when it holds a comma,
// a quote or a line break.
std::string HistoryRecord(const HistoryRow& row);

// A record read back, with its text exactly as the file has it (line end
// included; CR LF added where the file's last line had none, LF after a
// line end of CR alone).
struct ReadRecord {
  HistoryRow row;
  std::string text;
};

struct HistoryText {
  std::vector<ReadRecord> records;   // in the file's order
  std::vector<std::string> damaged;  // lines that are no record, each as above
};

// Reads a history file's whole content, its lines ended by CR LF, LF or a
// CR alone. A byte-order mark, header lines and blank lines are skipped. A
// record is six fields: a date (ParseDate), the document, two totals from
// 0 to kLargestTotal, a growth of at most kLargestTotal either way and 0 to
// 1440 active minutes, numbers in plain digits. Anything else is damaged:
// its first line is set aside and the reading goes on at the next line, so
// a stray quote costs one line, never the rest of the file. Linear in the
// size of `content`.
HistoryText ParseHistory(const std::string& content);
