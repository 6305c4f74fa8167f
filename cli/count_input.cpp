#include "cli/count_input.h"

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
  CharTally& Chars() { return chars_; }

 private:
  CharTally chars_;
};

}  // namespace

bool CountInput(const std::string& name, EncodingChoice encoding, bool explain,
                InputCount& out, std::string& error) {
  std::unique_ptr<InputSource> raw = OpenInput(name, error);
  if (!raw) return false;
  const std::unique_ptr<TextSink> blank =
      explain ? std::make_unique<ExplainingSink>() : std::make_unique<TextSink>();
  StreamCount result = CountTextStream(*raw, encoding, *blank);
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
