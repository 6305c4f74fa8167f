#include "cli/count_input.h"

#include <cstring>

#include "cli/platform.h"
#include "sources/text_stream.h"

const char* const kNotAnsiMessage = "暂不支持非 ANSI 编码文件！";

namespace {

// Reads the first bytes ahead (to find a byte-order mark), then hands them
// out again, less the mark, before the rest.
class PeekSource : public InputSource {
 public:
  explicit PeekSource(InputSource& raw) : raw_(raw) {}

  bool Peek() {
    while (size_ < sizeof head_) {
      const int64_t got = raw_.Read(head_ + size_, sizeof head_ - size_);
      if (got < 0) {
        error_ = raw_.Error();
        return false;
      }
      if (got == 0) break;
      size_ += size_t(got);
    }
    return true;
  }
  bool StartsWith(const char* mark) const {
    const size_t n = std::strlen(mark);
    return size_ >= n && std::memcmp(head_, mark, n) == 0;
  }
  void Drop(size_t n) { at_ = n; }

  int64_t Read(char* buffer, size_t capacity) override {
    if (at_ < size_) {
      const size_t n = std::min(capacity, size_ - at_);
      std::memcpy(buffer, head_ + at_, n);
      at_ += n;
      return int64_t(n);
    }
    const int64_t got = raw_.Read(buffer, capacity);
    if (got < 0) error_ = raw_.Error();
    return got;
  }

 private:
  InputSource& raw_;
  char head_[4];
  size_t size_ = 0, at_ = 0;
};

// Passes the text on and shows it to the --explain tally on the way.
class ExplainSource : public InputSource {
 public:
  ExplainSource(InputSource& inner, CharTally& chars) : inner_(inner), chars_(chars) {}
  int64_t Read(char* buffer, size_t capacity) override {
    const int64_t got = inner_.Read(buffer, capacity);
    if (got < 0) error_ = inner_.Error();
    if (got > 0) chars_.Add(reinterpret_cast<const unsigned char*>(buffer), size_t(got));
    return got;
  }

 private:
  InputSource& inner_;
  CharTally& chars_;
};

const char kUtf8Bom[] = "\xEF\xBB\xBF";
const char kUtf16LeBom[] = "\xFF\xFE";
const char kUtf16BeBom[] = "\xFE\xFF";

// The encoding of the text after its byte-order mark, and the mark's length.
Encoding Decide(EncodingChoice choice, const PeekSource& head, size_t& markSize) {
  markSize = 0;
  const bool utf8 = head.StartsWith(kUtf8Bom);
  const bool le = head.StartsWith(kUtf16LeBom);
  const bool be = head.StartsWith(kUtf16BeBom);
  switch (choice) {
    case EncodingChoice::kGbk:
      return Encoding::kGbk;
    case EncodingChoice::kUtf8:
      if (utf8) markSize = 3;
      return Encoding::kUtf8;
    case EncodingChoice::kUtf16Le:
      if (le) markSize = 2;
      return Encoding::kUtf16Le;
    case EncodingChoice::kUtf16Be:
      if (be) markSize = 2;
      return Encoding::kUtf16Be;
    case EncodingChoice::kUtf16:  // little-endian unless marked otherwise
      if (le || be) markSize = 2;
      return be ? Encoding::kUtf16Be : Encoding::kUtf16Le;
    case EncodingChoice::kAuto:
      break;
  }
  if (utf8) {
    markSize = 3;
    return Encoding::kUtf8;
  }
  if (le || be) {
    markSize = 2;
    return be ? Encoding::kUtf16Be : Encoding::kUtf16Le;
  }
  return Encoding::kGbk;
}

}  // namespace

bool CountInput(const std::string& name, EncodingChoice choice, bool explain,
                InputCount& out, std::string& error) {
  std::unique_ptr<InputSource> raw = OpenInput(name, error);
  if (!raw) return false;
  PeekSource head(*raw);
  if (!head.Peek()) {
    error = head.Error();
    return false;
  }
  size_t markSize;
  const Encoding encoding = Decide(choice, head, markSize);
  head.Drop(markSize);

  InputSource* text = &head;
  std::unique_ptr<InputSource> converter;
  if (encoding != Encoding::kGbk) {
    converter = MakeGbkConverter(encoding, head, markSize);
    if (!converter) {
      error = std::string("no converter from ") + EncodingName(encoding);
      return false;
    }
    text = converter.get();
  }
  std::unique_ptr<ExplainSource> explainer;
  if (explain) {
    out.chars = std::make_unique<CharTally>();
    explainer = std::make_unique<ExplainSource>(*text, *out.chars);
    text = explainer.get();
  }

  TextTally tally;
  switch (CountTextStream(*text, tally)) {
    case StreamCount::kNotAnsi:
      error = kNotAnsiMessage;
      return false;
    case StreamCount::kReadFailed:
      error = text->Error().empty() ? "read failed" : text->Error();
      return false;
    case StreamCount::kEmpty:
    case StreamCount::kCounted:
      break;
  }
  if (out.chars) out.chars->Finish();
  out.counts = tally.Counts();
  return true;
}

const char* EncodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kGbk: return "GBK";
    case Encoding::kUtf8: return "UTF-8";
    case Encoding::kUtf16Le: return "UTF-16LE";
    case Encoding::kUtf16Be: return "UTF-16BE";
  }
  return "?";
}
