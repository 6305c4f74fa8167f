// Linux side: read(2) and write(2) on file descriptors.
#include <errno.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "cli/platform.h"

const char* const kNewline = "\n";

namespace {

// A file the system makes as it is read (/proc's, whose size is 0; /sys's,
// 4096 whatever they hold), whose size says nothing of its text: read as a
// pipe is.
bool MadeAsRead(int fd, const struct stat& st) {
  struct statfs fs;
  return st.st_size == 0 || (fstatfs(fd, &fs) == 0 && fs.f_type == SYSFS_MAGIC);
}

class FdSource : public InputSource {
 public:
  FdSource(int fd, bool owned) : fd_(fd), owned_(owned) {
    // Tells the kernel to read ahead generously; a pipe just refuses.
    posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    file_ = fstat(fd_, &opened_) == 0 && S_ISREG(opened_.st_mode) && !MadeAsRead(fd_, opened_);
    // Standard input may come at any offset of its file, a line of it
    // already read by a script: what is left is its text.
    start_ = file_ ? std::max<off_t>(lseek(fd_, 0, SEEK_CUR), 0) : 0;
    length_ = start_ < opened_.st_size ? uint64_t(opened_.st_size - start_) : 0;
  }
  ~FdSource() override {
    if (owned_) close(fd_);
  }
  int64_t Read(char* buffer, size_t capacity) override {
    // Read past the length it had when opened, a file has changed (as
    // Unchanged then says): one that keeps growing is not chased to an end
    // that may never come.
    if (file_ && read_ > length_) return 0;
    for (;;) {
      const ssize_t got = read(fd_, buffer, capacity);
      if (got >= 0) {
        read_ += uint64_t(got);
        return got;
      }
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      return -1;
    }
  }
  uint64_t PartsLength() const override { return file_ ? length_ : 0; }
  int64_t ReadAt(uint64_t offset, char* buffer, size_t capacity) override {
    for (;;) {
      const ssize_t got = pread(fd_, buffer, capacity, start_ + off_t(offset));
      if (got >= 0) return got;
      if (errno == EINTR) continue;
      // Parts are read on several threads: the first failure's words stand.
      if (!readAtFailed_.exchange(true)) error_ = std::strerror(errno);
      return -1;
    }
  }
  // Standard input shares its offset with the script that started us.
  void ReadInPartsTo(uint64_t offset) override {
    if (!owned_) lseek(fd_, start_ + off_t(offset), SEEK_SET);
  }
  bool IsFile() const override { return file_; }
  bool Unchanged(uint64_t bytesRead, bool toEnd) const override {
    if (!file_) return true;
    struct stat now;
    return fstat(fd_, &now) == 0 && now.st_size == opened_.st_size &&
           now.st_mtim.tv_sec == opened_.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == opened_.st_mtim.tv_nsec &&
           (toEnd ? bytesRead == length_ : bytesRead <= length_);
  }

 private:
  int fd_;
  bool owned_;
  struct stat opened_ = {};
  bool file_;
  off_t start_ = 0;      // where reading began
  uint64_t length_ = 0;  // a file's bytes from there when opened
  std::atomic<bool> readAtFailed_{false};
  uint64_t read_ = 0;
};

// False with the system's words in `error` when a write fails.
bool WriteAll(int fd, const std::string& text, std::string& error) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A write that takes nothing sets no errno: only a full device does that.
      error = std::strerror(n < 0 ? errno : ENOSPC);
      return false;
    }
    p += n;
    left -= size_t(n);
  }
  return true;
}

}  // namespace

std::vector<std::string> ExpandFileNames(const std::vector<std::string>& names) { return names; }

bool StandardInputIsConsole() { return isatty(0) != 0; }
const char* const kEndOfInputKeys = "Ctrl+D";

std::unique_ptr<InputSource> OpenInput(const std::string& name, std::string& error) {
  if (name == "-") return std::make_unique<FdSource>(0, false);
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<FdSource>(fd, true);
}

std::FILE* OpenTempFile(std::string& error) {
  const char* folder = std::getenv("TMPDIR");
  std::string path = std::string(folder && *folder ? folder : "/tmp") + "/vantorix-count-XXXXXX";
  int fd = mkostemp(&path[0], O_CLOEXEC);
  if (fd < 0) {
    error = path.substr(0, path.rfind('/')) + ": " + std::strerror(errno);
    return nullptr;
  }
  unlink(path.c_str());  // gone with its last descriptor
  if (fd <= 2) {
    // It took the place of a closed standard stream: move it up, and leave
    // that stream closed, so writing to it still fails as it should.
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    close(fd);
    fd = moved;
  }
  std::FILE* file = fd >= 0 ? fdopen(fd, "w+b") : nullptr;
  if (!file) {
    error = std::strerror(errno);
    if (fd >= 0) close(fd);
  }
  return file;
}

void InitConsole() {}

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool WriteOut(const std::string& text, std::string& error) {
  return WriteAll(1, text, error);
}
void WriteErr(const std::string& text) {
  std::string ignored;
  WriteAll(2, text, ignored);
}
