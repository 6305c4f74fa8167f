// The history file on disk: a restart carrying the day on, midnight
// finishing the day before, past days kept as they are, damaged lines set
// aside once, an unreadable file left alone and joined once readable, huge
// growths summed without wrapping, ten years read rightly, and a kill
// mid-write never leaving half a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <future>
#include <limits>
#include <random>

#include "writing/history_file.h"
#include "writing/writing_tracker.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const std::string kFileStart = std::string(kUtf8Mark) + kHistoryHeader + "\r\n";

class HistoryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("vx-writing-" + std::to_string(std::random_device()()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    path_ = folder_ / "history.csv";
  }
  void TearDown() override { fs::remove_all(folder_); }

  static std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    std::string text(file ? size_t(file.tellg()) : 0, '\0');
    file.seekg(0).read(&text[0], std::streamsize(text.size()));
    text.resize(size_t(file.gcount()));
    return text;
  }
  static void Write(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  fs::path folder_, path_;
};

const Day kToday = DayOf(2024, 3, 10);
LocalTime At(int minute, int daysLater = 0) { return {kToday + daysLater, minute}; }

TEST_F(HistoryFile, ARestartTheSameDayCarriesTodayOn) {
  WritingTracker first;
  EXPECT_EQ(HistoryLoad::File::kMissing, first.Load(path_, At(540)).file);
  const wchar_t* const captions[] = {L"*第一章, 初稿.txt - 记事本", L"\"引号\"😀.txt", L"a\nb"};
  for (int i = 0; i < 3; ++i) {
    first.Observe(captions[i], 1000, At(540 + i));
    first.Observe(captions[i], 1300 + i, At(541 + i));
  }
  ASSERT_TRUE(first.Save(path_, At(545)));

  WritingTracker again;
  const HistoryLoad load = again.Load(path_, At(600));
  EXPECT_EQ(HistoryLoad::File::kRead, load.file);
  EXPECT_EQ(3u, load.rows);
  auto records = [](const WritingTracker& tracker) {
    std::vector<std::string> records;
    for (const HistoryRow& row : tracker.TodayRows(At(600))) records.push_back(HistoryRecord(row));
    return records;
  };
  EXPECT_EQ(records(first), records(again));
  again.Observe(captions[0], 1400, At(610));  // 100 more, in a new minute
  EXPECT_EQ(903 + 100, again.TodayGrowth(At(610)));
  EXPECT_EQ(4, again.ActiveMinutes(At(610)));

  // Started the next day, yesterday's rows are history, not today's.
  WritingTracker tomorrow;
  tomorrow.Load(path_, At(0, 1));
  EXPECT_EQ(0, tomorrow.TodayGrowth(At(0, 1)));
  EXPECT_EQ((std::vector<int64_t>{903, 0}), tomorrow.Picture(2, At(0, 1)).growth);
}

// The first save after midnight finishes the day before: its rows as they
// ended, in place of those saved before, then today's.
TEST_F(HistoryFile, MidnightFinishesTheDayBeforeAtTheNextSave) {
  const int k2350 = 23 * 60 + 50;
  WritingTracker tracker;
  tracker.Load(path_, At(k2350, -1));
  tracker.Observe(L"a", 100, At(k2350, -1));
  tracker.Observe(L"a", 120, At(k2350, -1));
  ASSERT_TRUE(tracker.Save(path_, At(k2350, -1)));
  tracker.Observe(L"a", 150, At(k2350 + 9, -1));
  tracker.Observe(L"b", 10, At(k2350 + 9, -1));  // a day's documents add up
  tracker.Observe(L"b", 15, At(k2350 + 9, -1));
  tracker.Observe(L"a", 170, At(1));
  ASSERT_TRUE(tracker.Save(path_, At(2)));
  EXPECT_EQ(kFileStart + "2024-03-09,a,100,150,50,2\r\n2024-03-09,b,10,15,5,1\r\n" +
                "2024-03-10,a,150,170,20,1\r\n",
            Read(path_));
  EXPECT_EQ((std::vector<int64_t>{55, 20}), tracker.Picture(2, At(2)).growth);
}

// Past records stay byte for byte, hand edits included (Excel's dates, LF
// line ends, a changed growth); only today's rows are written anew. The
// file read was saved by hand: no mark, blank lines, the header again, two
// rows of one document today (joined: the first's start, minutes summed up
// to a day's), no line end at the end.
TEST_F(HistoryFile, PastDaysAreKeptAsTheyAreWritten) {
  const std::string past = "2024/3/1,a,1,2,99,0\n2024-03-09,\"b,c\",5,3,-2,1\r\n";
  Write(path_, std::string(kHistoryHeader) + "\n" + past + "\n" + kHistoryHeader +
                   "\n2024-03-10,a,10,10,0,1439\n2024-03-10,a,12,15,3,2");
  WritingTracker tracker;
  tracker.Load(path_, At(600));
  tracker.Observe(L"a", 30, At(601));
  ASSERT_TRUE(tracker.Save(path_, At(602)));
  EXPECT_EQ(kFileStart + past + "2024-03-10,a,10,30,20,1440\r\n", Read(path_));
  EXPECT_EQ((std::vector<int64_t>{99, 0, 0, 0, 0, 0, 0, 0, -2, 20}),
            tracker.Picture(10, At(602)).growth);
}

TEST_F(HistoryFile, DamagedLinesGoToTheSideFileOnce) {
  const std::string good = "2024-03-01,a,1,2,1,0\r\n", bad = "2024-03-02,\"a,1,2,1,0\r\n";
  const std::string damaged = kFileStart + good + bad;
  Write(path_, damaged);
  WritingTracker tracker;
  const HistoryLoad load = tracker.Load(path_, At(600));
  EXPECT_EQ(1u, load.rows);
  EXPECT_EQ(1u, load.damaged);
  ASSERT_TRUE(tracker.Save(path_, At(601)));
  EXPECT_EQ(kFileStart + good, Read(path_));
  const fs::path side = folder_ / "history-damaged.txt";
  const std::string kept = Read(side);
  EXPECT_EQ(std::string(kUtf8Mark) + "# 2024-03-10 10:01 从写作记录中移出的无法读取的行：\r\n" + bad,
            kept);

  // Saved again, loaded again, or saved after a crash that set the line
  // aside but left the history as it was: still one copy.
  ASSERT_TRUE(tracker.Save(path_, At(602)));
  tracker.Load(path_, At(603));
  Write(path_, damaged);
  ASSERT_TRUE(tracker.Save(path_, At(604)));
  EXPECT_EQ(kept, Read(side));
  EXPECT_EQ(kFileStart + good, Read(path_));

  // Where no side file can be written, the line stays in the history.
  fs::remove(side);
  fs::create_directory(side);
  Write(path_, damaged);
  ASSERT_TRUE(tracker.Save(path_, At(605)));
  EXPECT_EQ(damaged, Read(path_));
}

// A file that cannot be read is never written over: its content may be
// whole.
TEST_F(HistoryFile, AnUnreadableHistoryIsLeftAlone) {
  fs::create_directory(path_);
  WritingTracker tracker;
  EXPECT_EQ(HistoryLoad::File::kUnreadable, tracker.Load(path_, At(600)).file);
  EXPECT_TRUE(tracker.Observe(L"a", 10, At(600)));
  EXPECT_FALSE(tracker.Save(path_, At(601)));
  EXPECT_TRUE(fs::is_directory(path_));
}

// A history grown past what is read cannot take today's rows: the save
// says why, so the user is told to move it rather than to close Excel,
// and once it is moved the day goes to a new file.
TEST_F(HistoryFile, AHistoryTooLargeToReadIsLeftAloneAndSaysSo) {
  Write(path_, kFileStart);
  fs::resize_file(path_, kLargestHistoryFile + 1);
  WritingTracker tracker;
  EXPECT_EQ(HistoryLoad::File::kUnreadable, tracker.Load(path_, At(600)).file);
  tracker.Observe(L"a", 10, At(600));
  tracker.Observe(L"a", 30, At(601));
  EXPECT_FALSE(tracker.Save(path_, At(602)));
  EXPECT_TRUE(tracker.TooLargeToSave());
  EXPECT_EQ(kLargestHistoryFile + 1, fs::file_size(path_));
  fs::rename(path_, folder_ / "old.csv");
  ASSERT_TRUE(tracker.Save(path_, At(603)));
  EXPECT_FALSE(tracker.TooLargeToSave());
  EXPECT_EQ(kFileStart + "2024-03-10,a,10,30,20,1\r\n", Read(path_));
}

// Unreadable at start (a folder then, or a file another program held), the
// history read at a later save gives today's rows their start of the day,
// as a load would have: the writing done before the restart is kept.
TEST_F(HistoryFile, AHistoryUnreadableAtStartJoinsTodayAtTheFirstSave) {
  fs::create_directory(path_);
  WritingTracker tracker;
  EXPECT_EQ(HistoryLoad::File::kUnreadable, tracker.Load(path_, At(600)).file);
  tracker.Observe(L"a", 500, At(601));
  tracker.Observe(L"a", 520, At(602));
  EXPECT_FALSE(tracker.Save(path_, At(603)));
  fs::remove(path_);
  Write(path_, kFileStart + "2024-03-09,a,0,100,100,9\r\n2024-03-10,a,100,300,200,20\r\n" +
                   "2024-03-10,a,250,480,230,10\r\n");  // the day starts at its first row
  ASSERT_TRUE(tracker.Save(path_, At(604)));
  ASSERT_TRUE(tracker.Save(path_, At(605)));
  EXPECT_EQ(kFileStart + "2024-03-09,a,0,100,100,9\r\n2024-03-10,a,100,520,420,31\r\n",
            Read(path_));
  EXPECT_EQ(420, tracker.TodayGrowth(At(605)));
}

#ifndef _WIN32
// A pipe in the history's place holds no history, and opening it to read
// waited for a writer that never came: the window hung at start.
TEST_F(HistoryFile, APipeInItsPlaceIsUnreadableAtOnce) {
  ASSERT_EQ(0, mkfifo(path_.c_str(), 0600));
  auto load = std::async(std::launch::async, [&] { return WritingTracker().Load(path_, At(600)); });
  if (load.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
    close(open(path_.c_str(), O_WRONLY | O_NONBLOCK));  // lets the reader go
    ADD_FAILURE() << "opening a pipe waited for a writer";
  }
  EXPECT_EQ(HistoryLoad::File::kUnreadable, load.get().file);
}
#endif

// A file of a thousand rows a day, each of the largest growth a record
// holds either way: the day's sums stop at the ends of int64_t rather than
// wrap round.
TEST_F(HistoryFile, HugeGrowthsAddUpWithoutWrappingRound) {
  std::string content = kFileStart;
  for (const char* date : {"2024-03-09", "2024-03-10"})
    for (int i = 0; i < 1100; ++i)
      content += std::string(date) + ",d" + std::to_string(i) +
                 ",0,9007199254740992,9007199254740992,0\r\n";
  for (int i = 0; i < 1100; ++i)
    content += "2024-03-08,d" + std::to_string(i) + ",9007199254740992,0,-9007199254740992,0\r\n";
  Write(path_, content);
  WritingTracker tracker;
  ASSERT_EQ(3300u, tracker.Load(path_, At(600)).rows);
  const int64_t most = std::numeric_limits<int64_t>::max();
  EXPECT_EQ(most, tracker.TodayGrowth(At(600)));
  const WritingPicture picture = tracker.Picture(3, At(600));
  EXPECT_EQ((std::vector<int64_t>{std::numeric_limits<int64_t>::min(), most, most}),
            picture.growth);
  EXPECT_EQ(most, picture.bestGrowth);
  EXPECT_GT(picture.weekAverage, 0);
}

// Ten years of three documents a day, and each day's growth as made.
struct Years {
  std::string content = kFileStart;
  std::vector<int64_t> growth;  // of each day, from the first
  Day firstDay;
};

Years MakeYears(int years, Day lastDay) {
  Years made;
  const int days = years * 365;
  made.firstDay = lastDay - days + 1;
  for (int i = 0; i < days; ++i) {
    int64_t sum = 0;
    for (int d = 0; d < 3; ++d) {
      const int64_t first = 1000 * d + i, latest = first + (i * 7 + d * 13) % 500 - 100;
      made.content += HistoryRecord({made.firstDay + i, "章节 " + std::to_string(d) + ", 稿",
                                     first, std::max<int64_t>(latest, 0), 0, i % 60});
      sum += std::max<int64_t>(latest, 0) - first;
    }
    made.growth.push_back(sum);
  }
  return made;
}

TEST_F(HistoryFile, TenYearsAreReadRightly) {
  const Years years = MakeYears(10, kToday - 1);
  Write(path_, years.content);
  WritingTracker tracker;
  const HistoryLoad load = tracker.Load(path_, At(600));
  tracker.Observe(L"今天", 5, At(600));
  ASSERT_TRUE(tracker.Save(path_, At(601)));
  const WritingPicture picture = tracker.Picture(30, At(601));

  EXPECT_EQ(3650u * 3, load.rows);
  EXPECT_EQ(0u, load.damaged);
  // Compared whole but not printed: half a megabyte.
  EXPECT_TRUE(years.content + HistoryRecord({kToday, "今天", 5, 5, 0, 0}) == Read(path_));
  std::vector<int64_t> last30(years.growth.end() - 29, years.growth.end());
  last30.push_back(0);
  EXPECT_EQ(last30, picture.growth);
  const auto best = std::max_element(years.growth.begin(), years.growth.end());
  EXPECT_EQ(years.firstDay + (best - years.growth.begin()), picture.bestDay);
  EXPECT_EQ(*best, picture.bestGrowth);
  int64_t week = 0;
  for (int i = 0; i < 6; ++i) week += years.growth.end()[-1 - i];
  EXPECT_DOUBLE_EQ(week / 7.0, picture.weekAverage);
}

#ifndef _WIN32
// A child saves a large history over and over and is killed at random
// moments: the file is always the old one or a new one, whole, whether
// read while the child writes or after the kill. The child saves by the
// tracker's own door (ReplaceFileContent) so that the write is most of its
// time, where a kill would find a half-written file.
TEST_F(HistoryFile, AKillMidWriteLeavesTheOldFileOrTheNewOne) {
  const std::string initial = MakeYears(10, kToday - 1).content;
  const std::string contents[] = {initial, initial + "2024-03-10,a,1,2,1,1\r\n",
                                  initial + "2024-03-10,a,1,3,2,2\r\n"};
  Write(path_, initial);
  auto isWhole = [&](const std::string& content) {
    return std::count(std::begin(contents), std::end(contents), content) == 1;
  };
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    const pid_t child = fork();
    if (child == 0) {
      alarm(10);  // never outlives a parent that failed to kill it
      for (int i = 1;; i = 3 - i) ReplaceFileContent(path_, contents[i]);
    }
    const auto killAt =
        std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 10000);
    bool wasWhole = true;
    while (wasWhole && std::chrono::steady_clock::now() < killAt) wasWhole = isWhole(Read(path_));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(wasWhole) << "read while writing, round " << round;
    ASSERT_TRUE(isWhole(Read(path_))) << "after the kill, round " << round;
  }
}
#endif

}  // namespace
