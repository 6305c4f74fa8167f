#include "writing/history_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t wrote = write(fd, data, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    data += wrote;
    size -= size_t(wrote);
  }
  return true;
}

bool ReadAll(int fd, std::string& content) {
  size_t got = 0;
  while (got < content.size()) {
    const ssize_t n = read(fd, &content[got], content.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += size_t(n);
  }
  return true;
}

// A rename is lasting only once the folder that holds the name is flushed.
void FlushFolderOf(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

FileRead ReadWholeFile(const std::filesystem::path& path, std::string& content) {
  content.clear();
  // Without O_NONBLOCK, a pipe in the file's place would keep the open
  // waiting for a writer; a regular file reads the same either way.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? FileRead::kMissing : FileRead::kFailed;
  struct stat state;
  bool read = fstat(fd, &state) == 0 && S_ISREG(state.st_mode);
  const bool tooLarge = read && uint64_t(state.st_size) > kLargestHistoryFile;
  if (read && !tooLarge) {
    content.resize(size_t(state.st_size));
    read = ReadAll(fd, content);
  }
  close(fd);
  if (!read || tooLarge) content.clear();
  return tooLarge ? FileRead::kTooLarge : read ? FileRead::kRead : FileRead::kFailed;
}

bool ReplaceFileContent(const std::filesystem::path& path, const std::string& content) {
  const std::string temporary = path.native() + "." + std::to_string(getpid()) + ".tmp";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, content.data(), content.size()) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  FlushFolderOf(path);
  return true;
}
