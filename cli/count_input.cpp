#include "cli/count_input.h"

#include <algorithm>

#include "cli/binary_format.h"
#include "cli/platform.h"
#include "res/texts.h"
#include "sources/text_stream.h"

const char* const kNotAnsiMessage = VX_NOT_ANSI_TEXT;

namespace {

// Counts and, for --explain, files each character where it was counted.
class ExplainingSink : public TextSink {
 public:
  void Add(const char* piece, size_t size) override {
    tally_.Add(piece, size);
    chars_.Add(reinterpret_cast<const unsigned char*>(piece), size);
  }
  std::unique_ptr<TextSink> Clone() const override {
    return std::make_unique<ExplainingSink>(*this);
  }
  void NoteNoGbkForm(uint32_t codePoint) override { chars_.NoteNoGbkForm(codePoint); }
  CharTally& Chars() { return chars_; }

 private:
  CharTally chars_;
};

// Passes the input on, looking at its first bytes on the way: a binary
// format's signature ends the reading there, as a failed read.
class SignatureCheck : public ChunkSource {
 public:
  SignatureCheck(InputSource& input, const std::string& name) : input_(input), name_(name) {}
  int64_t Read(char* buffer, size_t capacity) override {
    const int64_t got = input_.Read(buffer, capacity);
    if (got <= 0 || head_.size() >= kLongestSignature) return got;
    head_.append(buffer, std::min<size_t>(size_t(got), kLongestSignature - head_.size()));
    format_ = BinaryFormatOf(reinterpret_cast<const unsigned char*>(head_.data()),
                             head_.size(), name_);
    return format_.empty() ? got : -1;
  }
  bool IsFile() const override { return input_.IsFile(); }
  bool Unchanged(uint64_t bytesRead, bool toEnd) const override {
    return input_.Unchanged(bytesRead, toEnd);
  }
  // The signature lies in the first read, never in a later part.
  uint64_t PartsLength() const override { return input_.PartsLength(); }
  int64_t ReadAt(uint64_t offset, char* buffer, size_t capacity) override {
    return input_.ReadAt(offset, buffer, capacity);
  }
  void ReadInPartsTo(uint64_t offset) override { input_.ReadInPartsTo(offset); }
  const std::string& Format() const { return format_; }

 private:
  InputSource& input_;
  const std::string& name_;
  std::string head_;
  std::string format_;
};

}  // namespace

bool CountInput(const std::string& name, const Options& options, InputCount& out,
                std::string& error) {
  const bool explain = options.explain;
  std::unique_ptr<InputSource> raw = OpenInput(name, error);
  if (!raw) return false;
  const EncodingChoice encoding = raw->TypedText() ? EncodingChoice::kUtf8 : options.encoding;
  SignatureCheck checked(*raw, name);
  ChunkSource& source = options.binary ? static_cast<ChunkSource&>(*raw) : checked;
  const std::unique_ptr<TextSink> blank =
      explain ? std::make_unique<ExplainingSink>() : std::make_unique<TextSink>();
  StreamCount result = CountTextStream(source, encoding, *blank);
  if (!checked.Format().empty()) {
    error = checked.Format() + ", not plain text";
    return false;
  }
  switch (result.status) {
    case StreamStatus::kNotAnsi:
      error = kNotAnsiMessage;
      return false;
    case StreamStatus::kMalformed:
      error = std::string("an invalid or truncated sequence in ") +
              EncodingName(result.encoding) + " at byte " + std::to_string(result.errorOffset);
      return false;
    case StreamStatus::kReadFailed:
    case StreamStatus::kCancelled:
      error = raw->Error().empty() ? "read failed" : raw->Error();
      return false;
    case StreamStatus::kChanged:
      error = "changed while it was read (cut short, lengthened or written by another "
              "program): not counted";
      return false;
    case StreamStatus::kEmpty:
      result.counts = blank->Clone();
      break;
    case StreamStatus::kCounted:
      break;
  }
  out.counts = result.counts->Tally().Counts();
  if (explain) {
    CharTally& chars = static_cast<ExplainingSink&>(*result.counts).Chars();
    chars.Finish();
    out.chars = std::make_unique<CharTally>(std::move(chars));
  }
  return true;
}
