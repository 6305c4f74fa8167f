#pragma once
// Today's writing: the growth of each document's whole-text total since it
// was first seen today, the minutes spent writing, and the history of past
// days kept in a CSV file (writing/history_csv.h). The window feeds it the
// whole-text total of the document in front as it counts it (never a
// selection's count, nor the clipboard's or a file's); the tracker never
// reads the clock: every call takes the local time (writing/local_time.h).
// Portable: no window code, tested natively. One thread uses it.
//
// A document is known by its caption without modified marks
// (writing/document_name.h). Its row of the day holds its total when first
// seen that day and its latest total; today's growth is the sum over
// today's rows of latest minus first, so deleting lowers it. At local
// midnight every document known since the program started begins the new
// day at its last total: the day before's rows are finished and today
// starts at no growth. A document's active minutes are the distinct clock
// minutes of the day in which its total changed.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "writing/history_csv.h"
#include "writing/local_time.h"

// What Load found.
struct HistoryLoad {
  enum class File { kRead, kMissing, kUnreadable } file = File::kMissing;
  size_t rows = 0;     // valid records read
  size_t damaged = 0;  // lines that are no record: set aside at the next save
};

// The picture of recent days.
struct WritingPicture {
  Day firstDay = 0;             // the day of growth[0]
  std::vector<int64_t> growth;  // net growth of each day, the last one today
  std::optional<Day> bestDay;   // the day of most growth in the whole history
  int64_t bestGrowth = 0;
  double weekAverage = 0;  // over the last 7 days, today included
};

// The part of `span` pixels that the picture gives `value` on a scale up to
// `top` (above 0): none at 0 or below, all of it at `top` or above. Any
// int64_t values: the product of a large day or target and the span would
// overflow.
int ShareOfSpan(int64_t value, int64_t top, int span);

// The side file for a history's lines that are no record: beside it, its
// name's stem followed by "-damaged.txt" (history.csv: history-damaged.txt),
// UTF-8 with a byte-order mark.
std::filesystem::path DamagedLinesPath(const std::filesystem::path& history);

class WritingTracker {
 public:
  // Reads the history at `path` (at start). Past days are taken as they
  // are; today's rows become the tracker's own again, with each document's
  // first total, latest total and active minutes, so a restart carries the
  // day on. Replaces whatever the tracker held. A missing, unreadable or
  // damaged file never fails: the tracker starts from what could be read.
  // A file unreadable here is joined at the first save that reads it: the
  // rows the tracker holds then start where the file's rows of their day
  // and document do.
  HistoryLoad Load(const std::filesystem::path& path, LocalTime now);

  // Notes that the document whose window has `caption` has the whole-text
  // `total` at `now`. True when that changed what Save writes: a document
  // first seen today, a total that moved, a new day. An editor left in
  // front is seen ten times a second, and an unchanged sighting must not
  // cost a rewrite of the whole history. Nothing is noted for a caption that
  // is only modified marks or a total outside 0 to kLargestTotal. A time
  // earlier than today (the clock set back) counts as today.
  bool Observe(const std::wstring& caption, int64_t total, LocalTime now);

  // Today's net growth over all documents, and its pace: growth per hour
  // of active minutes, none while there is no active minute.
  int64_t TodayGrowth(LocalTime now) const;
  int ActiveMinutes(LocalTime now) const;
  std::optional<double> SpeedPerHour(LocalTime now) const;

  // Today's rows, as Save writes them, in the order of the documents' names.
  std::vector<HistoryRow> TodayRows(LocalTime now) const;

  // Writes the history to `path` (the caller's choice of when: at most
  // every 30 s and at exit), creating its folder if needed. The file is
  // read again first: past days' records are kept exactly as they are
  // there, hand edits included, and only the rows the tracker holds (today,
  // and a day finished since the last save) are written anew. Lines that
  // are no record go to the side file (DamagedLinesPath) under a line
  // saying when, each once, whatever the number of saves; where the side
  // file cannot be written they stay in the history. The file is replaced
  // in one step (ReplaceFileContent). False, with the file as it was, when
  // it cannot be read or written; the next save tries again.
  bool Save(const std::filesystem::path& path, LocalTime now);
  // True when the last save found the history over kLargestHistoryFile: no
  // save can take it until the file is moved away.
  bool TooLargeToSave() const { return tooLargeToSave_; }

  // Net growth of each of the last `days` days (at least 1) ending today,
  // days without rows as 0; the best day over the whole history; the
  // average of the last 7 days.
  WritingPicture Picture(int days, LocalTime now) const;

 private:
  struct Row {
    int64_t firstTotal = 0;
    int64_t latestTotal = 0;
    int restoredMinutes = 0;              // read back from the file
    std::bitset<kMinutesPerDay> minutes;  // those with a change since
    int64_t Growth() const { return latestTotal - firstTotal; }
    int ActiveMinutes() const;
  };
  using Rows = std::map<std::string, Row>;

  void PassTo(LocalTime now);
  bool IsToday(LocalTime now) const { return today_ && now.day <= *today_; }
  void Restore(const HistoryRow& row);
  // The rows the tracker holds of `day` (today's, or a day ended since the
  // last save); null for none.
  const Rows* RowsOn(Day day) const;
  bool Holds(Day day, const std::string& document) const;
  Row* HeldRow(Day day, const std::string& document);
  void JoinFileRows(const HistoryText& file);
  std::string HistoryContent(const HistoryText& file, bool keepDamaged) const;
  void CountFileDays(const HistoryText& file);
  int64_t GrowthOn(Day day) const;

  std::optional<Day> today_;
  Rows rows_;                             // today's
  std::map<Day, Rows> finished_;          // days ended since the last save
  std::map<std::string, int64_t> known_;  // every document's last total
  std::map<Day, int64_t> fileDays_;       // growth of the file's records the tracker does not hold
  bool fileRead_ = false;                 // by Load or a save: its rows are joined
  bool tooLargeToSave_ = false;
};
