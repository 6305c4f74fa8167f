// The history file on disk: a kill mid-write never leaving half a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>

#include "writing/history_file.h"
#include "writing/history_csv.h"

#ifndef _WIN32
#include <signal.h>
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
