// The history file's form: dates as written or as Excel rewrites them,
// any document name through a record and back, and a damaged line set
// aside with the rest read, whatever the line ends.
#include "writing/history_csv.h"

#include <gtest/gtest.h>

namespace {

const std::string kFileStart = std::string(kUtf8Mark) + kHistoryHeader + "\r\n";

TEST(HistoryDates, ReadAsWrittenOrAsExcelRewritesThem) {
  const struct {
    const char* text;
    bool valid;
  } dates[] = {
      {"2024-02-29", true},  {"2023-02-29", false},  // leap years
      {"2000-02-29", true},  {"1900-02-29", false},  // and centuries
      {"2024/3/1", true},    {"2024-3-01", true},    // Excel's
      {"2024-13-01", false}, {"2024-04-31", false}, {"24-03-01", false},
      {"2024-03-01 ", false}, {"2024-03-001", false}, {"2024.03.01", false}, {"", false},
      {"2024-03-00", false}, {"2024-3/01", false},  // day 0; one separator of each
  };
  for (const auto& d : dates) {
    Day day = 0;
    EXPECT_EQ(d.valid, ParseDate(d.text, day)) << d.text;
  }
  // Every day of two centuries written and read back, one after another.
  Day day = 0;
  ASSERT_TRUE(ParseDate("1900-01-01", day));
  for (const Day last = DayOf(2100, 12, 31); day <= last; ++day) {
    Day back = 0;
    ASSERT_TRUE(ParseDate(DateText(day), back)) << DateText(day);
    ASSERT_EQ(day, back);
  }
  EXPECT_EQ(0, DayOf(1970, 1, 1));
  // The ends of the years a file holds, year 0's leap day among them.
  for (const char* edge : {"0000-01-01", "0000-02-29", "9999-12-31"}) {
    ASSERT_TRUE(ParseDate(edge, day)) << edge;
    EXPECT_EQ(edge, DateText(day));
  }
}

TEST(HistoryCsv, AnyDocumentNameComesBackAsItWas) {
  const char* const names[] = {
      "第一章.txt - 记事本", "a,b.txt", "say \"hi\".txt", "\"", "two\r\nlines",
      "lf\nonly", "cr\ronly", "草稿😀.txt", "", " spaced ",
  };
  std::string content = kFileStart;
  std::vector<HistoryRow> rows;
  for (const char* name : names) {
    rows.push_back({DayOf(2024, 3, 1), name, 100, 250, 150, 7});
    content += HistoryRecord(rows.back());
  }
  const HistoryText read = ParseHistory(content);
  EXPECT_TRUE(read.damaged.empty());
  ASSERT_EQ(rows.size(), read.records.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].document, read.records[i].row.document);
    EXPECT_EQ(HistoryRecord(rows[i]), read.records[i].text) << names[i];
  }
}

TEST(HistoryCsv, ADamagedLineIsSetAsideAndTheRestRead) {
  // A whole day of active minutes is the most a record holds.
  const std::string before = "2024-03-01,a.txt,1,2,1,1440\r\n", after = "2024-03-02,b,5,3,-2,1\r\n";
  const struct {
    const char* why;
    std::string line;
  } lines[] = {
      {"a field missing", "2024-03-01,a.txt,1,2,1\r\n"},
      {"a field too many", "2024-03-01,a.txt,1,2,1,0,0\r\n"},
      {"an impossible date", "2023-02-29,a.txt,1,2,1,0\r\n"},
      {"a total not in digits", "2024-03-01,a.txt,1e3,2,1,0\r\n"},
      {"a total beyond 2^53", "2024-03-01,a.txt,1,9007199254740993,1,0\r\n"},
      {"a total below zero", "2024-03-01,a.txt,-1,2,3,0\r\n"},
      {"a total left empty", "2024-03-01,a.txt,,2,1,0\r\n"},
      {"more active minutes than a day has", "2024-03-01,a.txt,1,2,1,1441\r\n"},
      {"a quote never closed: one line lost, not the rest", "2024-03-01,\"a.txt,1,2,1,0\r\n"},
      {"text after a closing quote", "2024-03-01,a,1,2,1,\"0\"x\n"},
      {"spaces", "   \r\n"},
      {"bytes of no text", std::string("\0\xFF\xFE\x01,,", 6) + "\n"},
  };
  for (const auto& l : lines) {
    const HistoryText read = ParseHistory(kFileStart + before + l.line + after);
    ASSERT_EQ(2u, read.records.size()) << l.why;
    EXPECT_EQ(before, read.records[0].text) << l.why;
    EXPECT_EQ(after, read.records[1].text) << l.why;
    EXPECT_EQ(std::vector<std::string>{l.line}, read.damaged) << l.why;
  }
}

// A file saved on an old Mac, or by an editor set so, ends its lines in CR
// alone: each line is still a line, not one damaged line holding the rest.
TEST(HistoryCsv, EveryKindOfLineEndEndsALine) {
  const std::string first = "2024-03-01,a,1,2,1,0", bad = "2024-03-02,\"a,1,2,1,0",
                    last = "2024-03-03,\"b\rc\",5,3,-2,1";
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    const HistoryText read = ParseHistory(std::string(kUtf8Mark) + kHistoryHeader + end + first +
                                          end + bad + end + end + last);
    const std::string kept = end == "\r" ? "\r\n" : end;  // as a line of ours ends
    ASSERT_EQ(2u, read.records.size()) << int(end[0]);
    EXPECT_EQ(first + kept, read.records[0].text);
    EXPECT_EQ(last + "\r\n", read.records[1].text);
    EXPECT_EQ("b\rc", read.records[1].row.document);
    EXPECT_EQ(std::vector<std::string>{bad + kept}, read.damaged);
  }
}

// Each line of these opens a quoted field that the next line closes and
// opens again: each is one damaged line. (Read from each line on to the
// end, as they once were, these 80 kB took seconds, and a damaged history
// of a few hundred kilobytes held the window for minutes.)
TEST(HistoryCsv, QuotesThatNeverEndARecordAreDamagedLineByLine) {
  std::string content = kFileStart;
  for (int i = 0; i < 20000; ++i) content += "x\",\"\n";
  content += "2024-03-01,a,1,2,1,0\r\n";
  const HistoryText read = ParseHistory(content);
  EXPECT_EQ(20000u, read.damaged.size());
  ASSERT_EQ(1u, read.records.size());
  EXPECT_EQ("a", read.records[0].row.document);
}

}  // namespace
