#include "cli/explain_spool.h"

#include <cerrno>
#include <cstring>

#include "cli/platform.h"

namespace {

// Offsets past 2 GiB on every system.
bool SeekTo(std::FILE* file, uint64_t at) {
#ifdef _WIN32
  return _fseeki64(file, int64_t(at), SEEK_SET) == 0;
#else
  return fseeko(file, off_t(at), SEEK_SET) == 0;
#endif
}

}  // namespace

ExplainSpool::ExplainSpool() {
  std::string error;
  file_ = OpenTempFile(error);
  if (!file_) {
    notice_ = "no temporary file for --explain (" + error + "): the texts are kept in memory";
    return;
  }
  // Unbuffered: each text goes to the system in its own write, and a failed
  // one leaves nothing behind to be written later.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  writable_ = true;
}

ExplainSpool::~ExplainSpool() {
  if (file_) std::fclose(file_);
}

void ExplainSpool::MoveToMemory(const std::string& why) {
  writable_ = false;
  notice_ = "the temporary file for --explain failed (" + why +
            "): this and the later texts are kept in memory";
}

size_t ExplainSpool::Add(const std::string& text) {
  Entry entry{true, memory_.size(), text.size()};
  if (writable_) {
    errno = 0;
    if (SeekTo(file_, end_) &&
        std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
        std::fflush(file_) == 0) {
      entry = {false, end_, text.size()};
      end_ += text.size();
    } else {
      // A write that takes nothing sets no errno: only a full device does that.
      MoveToMemory(std::strerror(errno ? errno : ENOSPC));
    }
  }
  if (entry.inMemory) memory_ += text;
  entries_.push_back(entry);
  return entries_.size() - 1;
}

bool ExplainSpool::Read(size_t index, std::string& text, std::string& error) const {
  const Entry& entry = entries_.at(index);
  if (entry.inMemory) {
    text = memory_.substr(size_t(entry.at), entry.size);
    return true;
  }
  text.assign(entry.size, '\0');
  errno = 0;
  if (entry.size == 0 ||
      (SeekTo(file_, entry.at) && std::fread(&text[0], 1, entry.size, file_) == entry.size))
    return true;
  error = errno ? std::strerror(errno) : "the temporary file was cut short";
  return false;
}

std::string ExplainSpool::TakeNotice() {
  std::string notice;
  notice.swap(notice_);
  return notice;
}
