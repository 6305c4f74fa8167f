#pragma once
// The input side of a converter: a window on the raw text that keeps the
// unconverted end of one read (an incomplete character) in front of the
// next.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "cli/platform.h"

class ConvertBuffer {
 public:
  static constexpr size_t kSize = 256 * 1024;

  ConvertBuffer(InputSource& raw, uint64_t firstOffset)
      : raw_(raw), data_(new char[kSize]), offset_(firstOffset) {}

  char* Data() const { return data_.get() + start_; }
  size_t Size() const { return end_ - start_; }
  bool Empty() const { return start_ == end_; }
  void Skip(size_t n) {
    start_ += n;
    offset_ += n;
  }
  // Where Data() is in the file, in bytes.
  uint64_t Offset() const { return offset_; }

  // Moves what is left to the front and reads more after it: the number of
  // bytes read, 0 at the end of the input, -1 when the read failed.
  int64_t Refill() {
    std::memmove(data_.get(), Data(), Size());
    end_ = Size();
    start_ = 0;
    const int64_t got = raw_.Read(data_.get() + end_, kSize - end_);
    if (got > 0) end_ += size_t(got);
    return got;
  }

  // After a 0 byte nothing more is read.
  void Finish() { done_ = true; }
  bool Done() const { return done_; }

 private:
  InputSource& raw_;
  std::unique_ptr<char[]> data_;
  size_t start_ = 0, end_ = 0;
  uint64_t offset_;
  bool done_ = false;
};

// What both platforms' converters share: the input window, how more input
// is read into it, and how a failure is told.
class ConvertingSource : public InputSource {
 protected:
  ConvertingSource(Encoding from, InputSource& raw, uint64_t firstOffset)
      : raw_(raw), from_(from), in_(raw, firstOffset) {}

  int64_t Fail(const std::string& why) {
    error_ = why;
    return -1;
  }
  std::string Malformed(const char* what, uint64_t at) const {
    return std::string(what) + " in " + EncodingName(from_) + " at byte " +
           std::to_string(at);
  }

  // Reads more input (call it when the window is empty or needMore_ says it
  // ends inside a character). False, with the error set, when the read
  // failed or the input ends inside a character; at its end in_.Done().
  bool ReadMore() {
    const int64_t got = in_.Refill();
    needMore_ = false;
    if (got < 0) return Fail(raw_.Error()), false;
    if (got == 0) {
      if (!in_.Empty())
        return Fail(Malformed("a truncated character", in_.Offset())), false;
      in_.Finish();
    }
    return true;
  }

  // Nothing after a 0 byte counts: reading (and judging) stops there.
  void StopAfterZero(const char* out, size_t size) {
    if (std::memchr(out, 0, size)) in_.Finish();
  }

  InputSource& raw_;
  const Encoding from_;
  ConvertBuffer in_;
  bool needMore_ = false;  // the window ends inside a character
};
