// Linux side: read(2) on file descriptors, iconv(3) for the conversions.
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "cli/convert_buffer.h"
#include "cli/platform.h"
#include "cli/unicode.h"

const char* const kNewline = "\n";

namespace {

class FdSource : public InputSource {
 public:
  FdSource(int fd, bool owned) : fd_(fd), owned_(owned) {
    // Tells the kernel to read ahead generously; a pipe just refuses.
    posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  ~FdSource() override {
    if (owned_) close(fd_);
  }
  int64_t Read(char* buffer, size_t capacity) override {
    for (;;) {
      const ssize_t got = read(fd_, buffer, capacity);
      if (got >= 0) return got;
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      return -1;
    }
  }

 private:
  int fd_;
  bool owned_;
};

// Converts with iconv between the points where it cannot go on by itself:
// a character with no GBK form (iconv reports it as an illegal sequence, as
// it does malformed input, so the shared decoder tells them apart) and the
// euro sign (see kEuroSign).
class IconvSource : public InputSource {
 public:
  IconvSource(Encoding from, InputSource& raw, uint64_t firstOffset, iconv_t cd)
      : raw_(raw), cd_(cd), from_(from), in_(raw, firstOffset) {}
  ~IconvSource() override { iconv_close(cd_); }

  int64_t Read(char* buffer, size_t capacity) override {
    size_t made = 0;
    while (!in_.Done() && capacity - made >= 2) {
      if (in_.Empty() || needMore_) {
        const int64_t refill = in_.Refill();
        needMore_ = false;
        if (refill < 0) return Fail(raw_.Error());
        if (refill == 0) {
          if (!in_.Empty()) return Fail(Malformed("a truncated character"));
          break;
        }
        continue;
      }
      const size_t euro = FindEuro();
      if (euro == 0) {
        made += Placeholder(buffer + made);
        in_.Skip(from_ == Encoding::kUtf8 ? 3 : 2);
        continue;
      }
      char* ip = in_.Data();
      size_t il = euro;
      char* op = buffer + made;
      size_t ol = capacity - made;
      const size_t r = iconv(cd_, &ip, &il, &op, &ol);
      const int err = errno;
      in_.Skip(euro - il);
      made = capacity - ol;
      if (r != size_t(-1)) continue;
      if (err == E2BIG) break;
      if (err != EINVAL && err != EILSEQ) return Fail(std::strerror(err));
      const auto* p = reinterpret_cast<const unsigned char*>(in_.Data());
      const int len = from_ == Encoding::kUtf8
                          ? Utf8SequenceLength(p, in_.Size())
                          : Utf16SequenceLength(p, in_.Size(), from_ == Encoding::kUtf16Be);
      if (len < 0 || (len == 0 && euro < in_.Size()))
        return Fail(Malformed("an invalid sequence"));
      if (len == 0) {
        needMore_ = true;  // the rest of the character is in the next read
      } else {
        made += Placeholder(buffer + made);
        in_.Skip(size_t(len));
      }
    }
    // Nothing after a 0 byte counts: stop reading (and judging) there.
    if (std::memchr(buffer, 0, made)) in_.Finish();
    return int64_t(made);
  }

 private:
  int64_t Fail(const std::string& why) {
    error_ = why;
    return -1;
  }
  std::string Malformed(const char* what) const {
    return std::string(what) + " in " + EncodingName(from_) + " at byte " +
           std::to_string(in_.Offset());
  }
  static size_t Placeholder(char* out) {
    std::memcpy(out, kNoGbkForm, 2);
    return 2;
  }
  // Bytes before the next euro sign (all of them when there is none).
  size_t FindEuro() const {
    const char* p = in_.Data();
    const size_t n = in_.Size();
    if (from_ == Encoding::kUtf8) {
      const void* at = memmem(p, n, "\xE2\x82\xAC", 3);
      return at ? size_t(static_cast<const char*>(at) - p) : n;
    }
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    const bool big = from_ == Encoding::kUtf16Be;
    for (size_t i = 0; i + 1 < n; i += 2)
      if (Utf16Unit(u + i, big) == kEuroSign) return i;
    return n;
  }

  InputSource& raw_;
  iconv_t cd_;
  Encoding from_;
  ConvertBuffer in_;
  bool needMore_ = false;
};

void WriteAll(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    p += n;
    left -= size_t(n);
  }
}

}  // namespace

std::unique_ptr<InputSource> OpenInput(const std::string& name, std::string& error) {
  if (name == "-") return std::make_unique<FdSource>(0, false);
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<FdSource>(fd, true);
}

std::unique_ptr<InputSource> MakeGbkConverter(Encoding from, InputSource& raw,
                                              uint64_t firstOffset) {
  const char* name = from == Encoding::kUtf8      ? "UTF-8"
                     : from == Encoding::kUtf16Le ? "UTF-16LE"
                                                  : "UTF-16BE";
  const iconv_t cd = iconv_open("GBK", name);
  if (cd == iconv_t(-1)) return nullptr;
  return std::make_unique<IconvSource>(from, raw, firstOffset, cd);
}

void InitConsole() {}

void WriteOut(const std::string& text) { WriteAll(1, text); }
void WriteErr(const std::string& text) { WriteAll(2, text); }

bool GbkCharToText(const unsigned char* bytes, size_t size, std::string& out) {
  static const iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == iconv_t(-1)) return false;
  char in[2];
  std::memcpy(in, bytes, size);
  char utf8[8];
  char* ip = in;
  size_t il = size;
  char* op = utf8;
  size_t ol = sizeof utf8;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0) return false;
  out.assign(utf8, size_t(op - utf8));
  return true;
}
