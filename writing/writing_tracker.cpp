#include "writing/writing_tracker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>
#include <system_error>
#include <unordered_set>

#include "writing/document_name.h"
#include "writing/history_file.h"

namespace {

// A picture longer than this many days is cut to it: a century.
constexpr int kLongestPicture = 36525;
constexpr int kWeek = 7;

// `sum` + `growth`, held at the ends of int64_t: a row's growth is within
// 2^53 either way, but a file may hold any number of rows a day, and a
// thousand of the largest would wrap a plain sum round to below zero.
int64_t AddGrowth(int64_t sum, int64_t growth) {
  constexpr int64_t kMost = std::numeric_limits<int64_t>::max();
  constexpr int64_t kLeast = std::numeric_limits<int64_t>::min();
  if (growth > 0 && sum > kMost - growth) return kMost;
  if (growth < 0 && sum < kLeast - growth) return kLeast;
  return sum + growth;
}

std::string ClockText(LocalTime now) {
  const int minute = std::clamp(now.minute, 0, kMinutesPerDay - 1);
  char text[24];  // room for any two ints
  std::snprintf(text, sizeof text, "%02d:%02d", minute / 60, minute % 60);
  return text;
}

// The side file's lines, each with its line end, as the damaged lines are.
std::unordered_set<std::string> LinesOf(const std::string& text) {
  std::unordered_set<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    if (end == std::string::npos) break;
    lines.insert(text.substr(at, end + 1 - at));
    at = end + 1;
  }
  return lines;
}

// Appends the lines not already kept in the side file, under a line saying
// when; the side file is replaced whole, as the history is. Lines kept by
// an earlier save that did not get to replace the history are not kept
// twice.
bool SetAside(const std::filesystem::path& history, const std::vector<std::string>& damaged,
              LocalTime now) {
  const std::filesystem::path sidePath = DamagedLinesPath(history);
  std::string side;
  const FileRead sideRead = ReadWholeFile(sidePath, side);
  if (sideRead != FileRead::kRead && sideRead != FileRead::kMissing) return false;
  const std::unordered_set<std::string> kept = LinesOf(side);
  std::string lines;
  for (const std::string& line : damaged)
    if (!kept.count(line)) lines += line;
  if (lines.empty()) return true;
  if (side.empty())
    side = kUtf8Mark;
  else if (side.back() != '\n' && side != kUtf8Mark)
    side += "\r\n";
  side += "# " + DateText(now.day) + " " + ClockText(now) +
          " 从写作记录中移出的无法读取的行：\r\n" + lines;
  return ReplaceFileContent(sidePath, side);
}

}  // namespace

int ShareOfSpan(int64_t value, int64_t top, int span) {
  if (value <= 0 || top <= 0) return 0;
  if (value >= top) return span;
  return int(std::llround(double(value) / double(top) * span));
}

std::filesystem::path DamagedLinesPath(const std::filesystem::path& history) {
  std::filesystem::path name = history.stem();
  name += "-damaged.txt";
  return history.parent_path() / name;
}

int WritingTracker::Row::ActiveMinutes() const {
  return std::min<int>(kMinutesPerDay, restoredMinutes + int(minutes.count()));
}

HistoryLoad WritingTracker::Load(const std::filesystem::path& path, LocalTime now) {
  *this = WritingTracker();
  today_ = now.day;
  HistoryLoad load;
  std::string content;
  switch (ReadWholeFile(path, content)) {
    case FileRead::kRead:
      load.file = HistoryLoad::File::kRead;
      break;
    case FileRead::kMissing:
      load.file = HistoryLoad::File::kMissing;
      break;
    case FileRead::kTooLarge:
    case FileRead::kFailed:
      load.file = HistoryLoad::File::kUnreadable;
      break;
  }
  fileRead_ = load.file != HistoryLoad::File::kUnreadable;
  const HistoryText file = ParseHistory(content);
  for (const ReadRecord& record : file.records)
    if (record.row.day == now.day) Restore(record.row);
  CountFileDays(file);
  load.rows = file.records.size();
  load.damaged = file.damaged.size();
  return load;
}

// A second row of the same document on the same day (a hand edit) joins
// the first: its first total stays, the later row's latest counts.
void WritingTracker::Restore(const HistoryRow& stored) {
  auto [entry, fresh] = rows_.try_emplace(stored.document);
  Row& row = entry->second;
  if (fresh) row.firstTotal = stored.firstTotal;
  row.latestTotal = stored.latestTotal;
  row.restoredMinutes = std::min(kMinutesPerDay, row.restoredMinutes + stored.activeMinutes);
  known_[stored.document] = stored.latestTotal;
}

bool WritingTracker::Observe(const std::wstring& caption, int64_t total, LocalTime now) {
  if (total < 0 || total > kLargestTotal) return false;
  const std::string document = DocumentName(caption);
  if (document.empty()) return false;
  const std::optional<Day> before = today_;
  PassTo(now);
  auto [entry, fresh] = rows_.try_emplace(document);
  Row& row = entry->second;
  if (fresh) {
    // Known from an earlier day: it starts today where that day left it.
    const auto last = known_.find(document);
    row.firstTotal = row.latestTotal = last != known_.end() ? last->second : total;
  }
  const bool moved = total != row.latestTotal;
  if (moved) row.minutes.set(size_t(std::clamp(now.minute, 0, kMinutesPerDay - 1)));
  row.latestTotal = total;
  known_[document] = total;
  return fresh || moved || today_ != before;
}

void WritingTracker::PassTo(LocalTime now) {
  if (today_ && now.day <= *today_) return;
  if (today_ && !rows_.empty()) finished_[*today_] = std::move(rows_);
  rows_.clear();
  today_ = now.day;
}

int64_t WritingTracker::TodayGrowth(LocalTime now) const {
  if (!IsToday(now)) return 0;
  int64_t growth = 0;
  for (const auto& [document, row] : rows_) growth = AddGrowth(growth, row.Growth());
  return growth;
}

int WritingTracker::ActiveMinutes(LocalTime now) const {
  if (!IsToday(now)) return 0;
  int minutes = 0;
  for (const auto& [document, row] : rows_) minutes += row.ActiveMinutes();
  return minutes;
}

std::optional<double> WritingTracker::SpeedPerHour(LocalTime now) const {
  const int minutes = ActiveMinutes(now);
  if (minutes == 0) return std::nullopt;
  return double(TodayGrowth(now)) * 60.0 / minutes;
}

std::vector<HistoryRow> WritingTracker::TodayRows(LocalTime now) const {
  std::vector<HistoryRow> rows;
  if (!IsToday(now)) return rows;
  for (const auto& [document, row] : rows_)
    rows.push_back(
        {*today_, document, row.firstTotal, row.latestTotal, row.Growth(), row.ActiveMinutes()});
  return rows;
}

const WritingTracker::Rows* WritingTracker::RowsOn(Day day) const {
  if (const auto found = finished_.find(day); found != finished_.end()) return &found->second;
  return today_ && day == *today_ ? &rows_ : nullptr;
}

bool WritingTracker::Holds(Day day, const std::string& document) const {
  const Rows* rows = RowsOn(day);
  return rows && rows->count(document) > 0;
}

WritingTracker::Row* WritingTracker::HeldRow(Day day, const std::string& document) {
  Rows* rows = const_cast<Rows*>(RowsOn(day));
  if (!rows) return nullptr;
  const auto found = rows->find(document);
  return found != rows->end() ? &found->second : nullptr;
}

// Rows begun while the file could not be read (at Load) start their day
// where the file's rows of that day and document do, once it can be: as if
// Load had restored them and the sightings since had followed. Otherwise
// the save would put the rows since the restart in place of the day's.
void WritingTracker::JoinFileRows(const HistoryText& file) {
  std::set<const Row*> started;
  for (const ReadRecord& record : file.records) {
    Row* row = HeldRow(record.row.day, record.row.document);
    if (!row) continue;
    if (started.insert(row).second) row->firstTotal = record.row.firstTotal;
    row->restoredMinutes =
        std::min(kMinutesPerDay, row->restoredMinutes + record.row.activeMinutes);
  }
}

bool WritingTracker::Save(const std::filesystem::path& path, LocalTime now) {
  PassTo(now);
  std::error_code ignored;  // a folder that cannot be made fails the write below
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
  std::string content;
  const FileRead read = ReadWholeFile(path, content);
  tooLargeToSave_ = read == FileRead::kTooLarge;
  if (read != FileRead::kRead && read != FileRead::kMissing) return false;
  const HistoryText file = ParseHistory(content);
  if (!fileRead_) JoinFileRows(file);
  fileRead_ = true;
  const bool setAside = file.damaged.empty() || SetAside(path, file.damaged, now);
  if (!ReplaceFileContent(path, HistoryContent(file, !setAside))) return false;
  CountFileDays(file);
  for (const auto& [day, rows] : finished_)
    for (const auto& [document, row] : rows)
      fileDays_[day] = AddGrowth(fileDays_[day], row.Growth());
  finished_.clear();
  return true;
}

std::string WritingTracker::HistoryContent(const HistoryText& file, bool keepDamaged) const {
  std::string content = std::string(kUtf8Mark) + kHistoryHeader + "\r\n";
  for (const ReadRecord& record : file.records)
    if (!Holds(record.row.day, record.row.document)) content += record.text;
  if (keepDamaged)
    for (const std::string& line : file.damaged) content += line;
  auto write = [&](Day day, const Rows& rows) {
    for (const auto& [document, row] : rows)
      content += HistoryRecord(
          {day, document, row.firstTotal, row.latestTotal, row.Growth(), row.ActiveMinutes()});
  };
  for (const auto& [day, rows] : finished_) write(day, rows);
  if (today_) write(*today_, rows_);
  return content;
}

// The growth of the file's records that are not the tracker's own.
void WritingTracker::CountFileDays(const HistoryText& file) {
  fileDays_.clear();
  for (const ReadRecord& record : file.records)
    if (!Holds(record.row.day, record.row.document))
      fileDays_[record.row.day] = AddGrowth(fileDays_[record.row.day], record.row.growth);
}

int64_t WritingTracker::GrowthOn(Day day) const {
  int64_t growth = 0;
  if (const auto found = fileDays_.find(day); found != fileDays_.end()) growth += found->second;
  if (const Rows* rows = RowsOn(day))
    for (const auto& [document, row] : *rows) growth = AddGrowth(growth, row.Growth());
  return growth;
}

WritingPicture WritingTracker::Picture(int days, LocalTime now) const {
  WritingPicture picture;
  const Day today = std::max(now.day, today_.value_or(now.day));
  days = std::clamp(days, 1, kLongestPicture);
  picture.firstDay = today - days + 1;
  for (Day day = picture.firstDay; day <= today; ++day) picture.growth.push_back(GrowthOn(day));

  int64_t week = 0;
  for (Day day = today - kWeek + 1; day <= today; ++day) week = AddGrowth(week, GrowthOn(day));
  picture.weekAverage = double(week) / kWeek;

  // Every day with a row, in order: the first of equal best days wins.
  std::set<Day> written;
  for (const auto& entry : fileDays_) written.insert(entry.first);
  for (const auto& entry : finished_) written.insert(entry.first);
  if (today_ && !rows_.empty()) written.insert(*today_);
  for (const Day day : written) {
    const int64_t growth = GrowthOn(day);
    if (!picture.bestDay || growth > picture.bestGrowth) {
      picture.bestDay = day;
      picture.bestGrowth = growth;
    }
  }
  return picture;
}
