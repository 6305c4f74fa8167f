// Linux side: read(2) on file descriptors, iconv(3) for the conversions.
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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

// The GBK form of every code point as iconv gives it, asked once per
// character of the Basic Multilingual Plane (GBK has none beyond it; those
// are asked one by one). Converting through this table gives exactly what
// iconv gives, several times faster than calling it on the text: its
// per-character machinery, not the mapping, is what costs.
struct GbkTable {
  explicit GbkTable(iconv_t cd) : cd_(cd), bytes(0x10000) {
    for (uint32_t cp = 0; cp < 0x10000; ++cp) bytes[cp] = Ask(cp);
  }
  // A byte below 0x100, two bytes lead << 8 | trail above.
  uint16_t Ask(uint32_t cp) const {
    if (cp == kEuroSign || (cp >= 0xD800 && cp <= 0xDFFF)) return kPlaceholder;
    char* ip = reinterpret_cast<char*>(&cp);
    size_t il = sizeof cp;
    unsigned char out[8];
    char* op = reinterpret_cast<char*>(out);
    size_t ol = sizeof out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &ip, &il, &op, &ol) == size_t(-1)) return kPlaceholder;
    const size_t n = sizeof out - ol;
    if (n == 1 && out[0] < 0x80) return out[0];
    if (n == 2) return uint16_t(out[0] << 8 | out[1]);
    return kPlaceholder;
  }
  uint16_t Beyond(uint32_t cp) const { return Ask(cp); }

  static constexpr uint16_t kPlaceholder =
      uint16_t((unsigned char)kNoGbkForm[0] << 8 | (unsigned char)kNoGbkForm[1]);
  iconv_t cd_;
  std::vector<uint16_t> bytes;
};

// Decodes the text into code points itself (which also checks that it is
// well-formed) and maps them with the table.
class IconvSource : public ConvertingSource {
 public:
  IconvSource(Encoding from, InputSource& raw, uint64_t firstOffset, iconv_t cd)
      : ConvertingSource(from, raw, firstOffset), cd_(cd), points_(kPoints) {}
  ~IconvSource() override { iconv_close(cd_); }

  int64_t Read(char* buffer, size_t capacity) override {
    size_t made = 0;
    while (capacity - made >= 2) {
      if (next_ < count_) {
        const size_t take = std::min(count_ - next_, (capacity - made) / 2);
        const GbkTable& table = Table();
        for (size_t i = next_; i < next_ + take; ++i) {
          const uint32_t cp = points_[i];
          const unsigned v = cp < 0x10000 ? table.bytes[cp] : table.Beyond(cp);
          // One byte or two, without a branch on which.
          const bool two = v >= 0x100;
          buffer[made] = char(two ? v >> 8 : v);
          buffer[made + 1] = char(v);
          made += 1 + two;
        }
        next_ += take;
        continue;
      }
      if (in_.Done()) break;
      if (in_.Empty() || needMore_) {
        if (!ReadMore()) return -1;
        continue;
      }
      if (!Decode()) return -1;
    }
    StopAfterZero(buffer, made);
    return int64_t(made);
  }

 private:
  static constexpr size_t kPoints = 64 * 1024;

  const GbkTable& Table() {
    if (!table_) table_ = std::make_unique<GbkTable>(cd_);
    return *table_;
  }

  // Fills points_ from the input, up to the last whole character there.
  bool Decode() {
    const auto* p = reinterpret_cast<const unsigned char*>(in_.Data());
    const size_t size = in_.Size();
    size_t at = 0, n = 0;
    if (from_ == Encoding::kUtf8) {
      while (at < size && n < kPoints) {
        // One, two and three-byte characters without a branch on which
        // (mixed Chinese and English text would mispredict them all); the
        // rest, and anything odd, one at a time below.
        if (size - at >= 3) {
          const uint32_t b = p[at], c1 = p[at + 1], c2 = p[at + 2];
          // 1 below 0x80, 2 from 0xC0, 3 from 0xE0; the other leads fail below.
          const uint32_t len = 1 + (b >= 0xC0) + (b >= 0xE0);
          const uint32_t two = (b & 0x1F) << 6 | (c1 & 0x3F);
          const uint32_t three = (b & 0x0F) << 12 | (c1 & 0x3F) << 6 | (c2 & 0x3F);
          const uint32_t cp = len == 1 ? b : len == 2 ? two : three;
          const bool good = b < 0x80 || (len == 2 && (c1 & 0xC0) == 0x80 && b >= 0xC2) ||
                            (b < 0xF0 && ((c1 & 0xC0) == 0x80) & ((c2 & 0xC0) == 0x80) &
                                             (cp >= 0x800) & ((cp & 0xF800) != 0xD800));
          if (good) {
            points_[n++] = cp;
            at += len;
            continue;
          }
        }
        const unsigned char b = p[at];
        const int len = Utf8SequenceLength(p + at, size - at);
        if (len < 0) return Fail(Malformed("an invalid sequence", in_.Offset() + at)), false;
        if (len == 0) break;  // completes in the next read
        uint32_t cp = len == 1 ? b : b & (0xFF >> (len + 1));
        for (int i = 1; i < len; ++i) cp = cp << 6 | (p[at + i] & 0x3F);
        points_[n++] = cp;
        at += size_t(len);
      }
    } else {
      const bool big = from_ == Encoding::kUtf16Be;
      while (at < size && n < kPoints) {
        const int len = Utf16SequenceLength(p + at, size - at, big);
        if (len < 0) return Fail(Malformed("an invalid sequence", in_.Offset() + at)), false;
        if (len == 0) break;
        uint32_t cp = Utf16Unit(p + at, big);
        if (len == 4) cp = 0x10000 + ((cp - 0xD800) << 10) + (Utf16Unit(p + at + 2, big) - 0xDC00);
        points_[n++] = cp;
        at += size_t(len);
      }
    }
    if (n == 0) needMore_ = true;
    in_.Skip(at);
    next_ = 0;
    count_ = n;
    return true;
  }

  iconv_t cd_;
  std::vector<uint32_t> points_;
  std::unique_ptr<GbkTable> table_;
  size_t next_ = 0, count_ = 0;  // the code points still to convert
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
  const iconv_t cd = iconv_open("GBK", "WCHAR_T");  // glibc: UCS-4, this byte order
  if (cd == iconv_t(-1)) return nullptr;
  return std::make_unique<IconvSource>(from, raw, firstOffset, cd);
}

void InitConsole() {}

bool WriteOut(const std::string& text, TextForm, std::string& error) {
  return WriteAll(1, text, error);
}
void WriteErr(const std::string& text) {
  std::string ignored;
  WriteAll(2, text, ignored);
}

std::string TextToUtf8(const std::string& text) { return text; }

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
