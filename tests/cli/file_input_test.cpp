// A file another program changes while vantorix-count reads it gives no
// count: the reader knows the file as it was opened.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "cli/platform.h"

namespace {

class FileChangedWhileRead : public ::testing::Test {
 protected:
  void SetUp() override { std::ofstream(path_, std::ios::binary) << std::string(kSize, 'a'); }
  void TearDown() override { unlink(path_.c_str()); }

  // Counts the file, doing `change` to it once the first chunk is read.
  StreamStatus CountChangingAfterFirstChunk(void (*change)(const std::string& path)) {
    std::string error;
    std::unique_ptr<InputSource> input = OpenInput(path_, error);
    EXPECT_TRUE(input) << error;
    if (!input) return StreamStatus::kReadFailed;
    bool changed = false;
    return CountTextStream(*input, EncodingChoice::kAuto, TextSink(), [&](uint64_t) {
             if (!changed) change(path_);
             changed = true;
             return true;
           })
        .status;
  }

  // Writes a byte over the first and sets the write time to that before it
  // plus the given seconds and nanoseconds (a second, where the file system
  // keeps no nanoseconds).
  static void RewriteWithWriteTime(const std::string& path, time_t seconds, long nanoseconds) {
    struct stat before, after;
    ASSERT_EQ(0, stat(path.c_str(), &before));
    std::fstream(path, std::ios::binary | std::ios::in | std::ios::out) << "b";
    timespec times[2] = {before.st_atim, before.st_mtim};
    times[1].tv_sec += seconds;
    times[1].tv_nsec = (times[1].tv_nsec + nanoseconds) % 1000000000;
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
    ASSERT_EQ(0, stat(path.c_str(), &after));
    if (after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
        after.st_mtim.tv_nsec == before.st_mtim.tv_nsec)
      RewriteWithWriteTime(path, 1, 0);
  }

  static constexpr size_t kSize = 4 * kTextChunkSize;
  const std::string path_ = "/tmp/vx-changed-" + std::to_string(getpid()) + ".txt";
};

TEST_F(FileChangedWhileRead, CutShortLengthenedOrRewrittenIsNoCount) {
  EXPECT_EQ(StreamStatus::kChanged, CountChangingAfterFirstChunk([](const std::string& p) {
              ASSERT_EQ(0, truncate(p.c_str(), kTextChunkSize + 5));
            }));
  EXPECT_EQ(StreamStatus::kChanged, CountChangingAfterFirstChunk([](const std::string& p) {
              std::ofstream(p, std::ios::binary | std::ios::app) << "more";
            }));
  // Rewritten in place, its size kept: told by the write time alone, within
  // the same second (a file system that keeps nanoseconds) or a second on.
  EXPECT_EQ(StreamStatus::kChanged, CountChangingAfterFirstChunk([](const std::string& p) {
              RewriteWithWriteTime(p, 0, 1);
            }));
  EXPECT_EQ(StreamStatus::kChanged, CountChangingAfterFirstChunk([](const std::string& p) {
              RewriteWithWriteTime(p, 1, 0);
            }));
  EXPECT_EQ(StreamStatus::kCounted, CountChangingAfterFirstChunk([](const std::string&) {}));
}

// A file that another program keeps lengthening faster than it is read is
// not chased to an end that may never come: past the size it had when
// opened, the change is known.
TEST_F(FileChangedWhileRead, AFileThatKeepsGrowingIsReadNoFurtherThanItsSizeWhenOpened) {
  std::string error;
  std::unique_ptr<InputSource> input = OpenInput(path_, error);
  ASSERT_TRUE(input) << error;
  int pieces = 0;
  uint64_t read = 0;
  const StreamStatus status =
      CountTextStream(*input, EncodingChoice::kAuto, TextSink(), [&](uint64_t bytesRead) {
        read = bytesRead;
        // Two chunks more for each piece read (bounded, so that a reader
        // that chases the growth still ends).
        if (++pieces <= 30)
          std::ofstream(path_, std::ios::binary | std::ios::app)
              << std::string(2 * kTextChunkSize, 'b');
        return true;
      }).status;
  EXPECT_EQ(StreamStatus::kChanged, status);
  EXPECT_LE(read, kSize + kTextChunkSize);
}

}  // namespace
