#include "sources/text_stream.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "sources/parts_count.h"
#include "sources/read_ahead.h"

namespace {

// The longest byte-order mark: the first read must hold it when the input
// has that much (a pipe may hand out less per read).
constexpr size_t kLongestMark = 3;

// Reads the first chunk: at least the longest mark's worth unless the input
// is shorter, which `ended` then tells (the input is not read again after
// its end: a console's next read would wait for more typing). The number
// read, or -1.
int64_t ReadHead(ChunkSource& source, char* buffer, bool& ended) {
  int64_t have = 0;
  ended = false;
  while (size_t(have) < kLongestMark) {
    const int64_t got = source.Read(buffer + have, kTextChunkSize - size_t(have));
    if (got < 0) return -1;
    if (got == 0) {
      ended = true;
      break;
    }
    have += got;
  }
  return have;
}

Encoding ForcedEncoding(EncodingChoice choice, Encoding marked) {
  switch (choice) {
    case EncodingChoice::kGbk: return Encoding::kGbk;
    case EncodingChoice::kUtf8: return Encoding::kUtf8;
    case EncodingChoice::kUtf16Le: return Encoding::kUtf16Le;
    case EncodingChoice::kUtf16Be: return Encoding::kUtf16Be;
    case EncodingChoice::kUtf16:
      return marked == Encoding::kUtf16Be ? Encoding::kUtf16Be : Encoding::kUtf16Le;
    case EncodingChoice::kAuto: break;
  }
  return marked;
}

// The readings of one text, kept side by side until the text decides. A
// mark-less text is counted as GBK and, from its first byte >= 0x80 while
// that is still valid UTF-8, also as UTF-8; the end of the text says which
// counts stand.
class Readings {
 public:
  Readings(const TextSink& blank, Encoding encoding, bool mayBeUtf8, uint64_t firstOffset)
      : mayBeUtf8_(mayBeUtf8) {
    if (encoding == Encoding::kGbk) {
      gbk_ = blank.Clone();
    } else {
      converted_ = blank.Clone();
      converter_ = std::make_unique<GbkConverter>(encoding, firstOffset);
      convertedEncoding_ = encoding;
    }
  }

  void Add(const unsigned char* data, size_t size, uint64_t offset) {
    if (converter_ && !converter_->Add(data, size, *converted_)) Drop();
    if (!gbk_) return;
    if (mayBeUtf8_ && !converter_) StartUtf8AtFirstHighByte(data, size, offset);
    else gbk_->Add(reinterpret_cast<const char*>(data), size);
  }

  // At the end of the input: false when a forced or marked conversion fails.
  bool Finish() {
    if (converter_ && !converter_->Finish(*converted_)) Drop();
    return gbk_ || converter_;
  }

  bool Ended() const {
    return (!gbk_ || gbk_->Ended()) && (!converter_ || converter_->Ended());
  }
  // The reading whose counts stand.
  Encoding Read() const { return converter_ ? convertedEncoding_ : Encoding::kGbk; }
  uint64_t ErrorOffset() const { return errorOffset_; }
  std::unique_ptr<TextSink> TakeCounts() { return converter_ ? std::move(converted_) : std::move(gbk_); }
  // The GBK reading once it is the only one left, when its parts may be
  // counted apart (TextSink::Joinable); else null.
  TextSink* SettledJoinableGbk() const {
    return gbk_ && !converter_ && !mayBeUtf8_ && gbk_->Joinable() ? gbk_.get() : nullptr;
  }

 private:
  // Until the first byte >= 0x80 the text reads the same both ways; from
  // there on it is also converted as UTF-8, starting from the GBK reading's
  // counts so far.
  void StartUtf8AtFirstHighByte(const unsigned char* data, size_t size, uint64_t offset) {
    const size_t high = FirstHighByte(data, size);
    gbk_->Add(reinterpret_cast<const char*>(data), high);
    if (high < size && !gbk_->Ended()) {
      converted_ = gbk_->Clone();
      converter_ = std::make_unique<GbkConverter>(Encoding::kUtf8, offset + high);
      convertedEncoding_ = Encoding::kUtf8;
      mayBeUtf8_ = false;
      if (!converter_->Add(data + high, size - high, *converted_)) Drop();
    }
    gbk_->Add(reinterpret_cast<const char*>(data + high), size - high);
  }

  // The conversion failed: a mark-less text is GBK after all; a marked or
  // forced one is malformed.
  void Drop() {
    errorOffset_ = converter_->ErrorOffset();
    converter_.reset();
    converted_.reset();
    mayBeUtf8_ = false;
  }

  bool mayBeUtf8_;
  std::unique_ptr<TextSink> gbk_;
  std::unique_ptr<TextSink> converted_;
  std::unique_ptr<GbkConverter> converter_;
  Encoding convertedEncoding_ = Encoding::kGbk;
  uint64_t errorOffset_ = 0;
};

// How a file is best read, judged by the chunks after the first (which
// pays for starting up), read in turn and timed.
class ReadingJudge {
 public:
  using Clock = std::chrono::steady_clock;

  // After chunk `index` (0 the first) was read in `read` and counted in
  // `count`; true once, when the judged chunks are in.
  bool Judged(uint64_t index, Clock::duration read, Clock::duration count) {
    if (index == 0 || index > kJudgedChunks) return false;
    read_ += read;
    count_ += count;
    return index == kJudgedChunks;
  }
  // Reading ahead on a thread of its own pays when counting a chunk takes a
  // good part of reading one (text being converted, or a slow scan): then
  // the two overlap. Otherwise the count keeps up anyway and a reader thread
  // costs more than it saves, since every chunk then crosses between cores,
  // which slows the system's copy. Overlapped, the count takes about as
  // long as the slower side, and the read about 1.4 times as long as in
  // turn: overlap wins when counting takes more than 0.4 of reading.
  bool ReadAheadPays() const { return count_ * 10 > read_ * 4; }
  // The file came at 400 MB/s or more: from memory or a solid-state disk,
  // which lose nothing when read at several places at once, as a spinning
  // disk would.
  bool ReadsFast() const {
    return read_ <= std::chrono::microseconds(kJudgedChunks * kTextChunkSize / 400);
  }

 private:
  static constexpr uint64_t kJudgedChunks = 2;
  Clock::duration read_{}, count_{};
};

}  // namespace

StreamCount CountTextStream(ChunkSource& source, EncodingChoice choice, const TextSink& blank,
                            const StreamProgress& progress) {
  StreamCount result;
  PageAlignedBuffer chunk(kTextChunkSize);
  if (!chunk.Data()) {
    result.status = StreamStatus::kReadFailed;
    return result;
  }
  bool toEnd = false;
  int64_t got = ReadHead(source, chunk.Data(), toEnd);
  if (got <= 0) {
    result.status = got < 0                     ? StreamStatus::kReadFailed
                    : source.Unchanged(0, true) ? StreamStatus::kEmpty
                                                : StreamStatus::kChanged;
    return result;
  }
  auto* bytes = reinterpret_cast<const unsigned char*>(chunk.Data());
  size_t markSize = 0;
  const Encoding marked = EncodingOfMark(bytes, size_t(got), markSize);
  result.encoding = ForcedEncoding(choice, marked);
  if (result.encoding != marked) markSize = 0;  // a forced reading keeps a mark only if it agrees
  if (result.encoding == Encoding::kGbk && bytes[0] == 0xFF) {
    result.status = StreamStatus::kNotAnsi;
    return result;
  }
  const bool mayBeUtf8 = choice == EncodingChoice::kAuto && marked == Encoding::kGbk;
  Readings readings(blank, result.encoding, mayBeUtf8, markSize);

  // A file may be read ahead (ReadingJudge), in quarter chunks, which
  // keep the reader as far ahead in a quarter of the memory. A pipe is read
  // in turn, since a reader left waiting on one could not be stopped.
  std::unique_ptr<ReadAhead> ahead;
  ReadingJudge judge;
  auto readAt = ReadingJudge::Clock::now(), countAt = readAt;
  uint64_t offset = 0;
  for (uint64_t index = 0;; ++index) {
    countAt = ReadingJudge::Clock::now();
    readings.Add(bytes + markSize, size_t(got) - markSize, offset + markSize);
    offset += uint64_t(got);
    markSize = 0;
    if (progress && !progress(offset)) {
      result.status = StreamStatus::kCancelled;
      return result;
    }
    if (toEnd || readings.Ended()) break;
    const auto counted = ReadingJudge::Clock::now();
    if (!ahead && source.IsFile() && judge.Judged(index, countAt - readAt, counted - countAt)) {
      TextSink* gbk = readings.SettledJoinableGbk();
      // In parts only where no one follows the progress: a part's count,
      // once started, runs to its end.
      const PartsCount parts =
          gbk && !progress && judge.ReadsFast() && WorthCountingInParts(source, offset)
              ? CountRestInParts(source, offset, *gbk, blank, chunk.Data())
              : PartsCount{false};
      if (parts.split) {
        source.ReadInPartsTo(parts.bytesRead);
        if (parts.status != StreamStatus::kCounted) {
          result.status = parts.status;
          return result;
        }
        offset = parts.bytesRead;
        toEnd = parts.toEnd;
        break;
      }
      if (judge.ReadAheadPays()) ahead = ReadAhead::Start(source, kTextChunkSize / 4);
    }
    const char* data = chunk.Data();
    readAt = ReadingJudge::Clock::now();
    got = ahead ? ahead->Next(data) : source.Read(chunk.Data(), kTextChunkSize);
    bytes = reinterpret_cast<const unsigned char*>(data);
    if (got < 0) {
      result.status = StreamStatus::kReadFailed;
      return result;
    }
    if (got == 0) {
      toEnd = true;
      break;
    }
  }
  if (!source.Unchanged(offset, toEnd)) {
    result.status = StreamStatus::kChanged;
    return result;
  }
  if (!readings.Finish()) {
    result.status = StreamStatus::kMalformed;
    result.errorOffset = readings.ErrorOffset();
    return result;
  }
  result.encoding = readings.Read();
  result.counts = readings.TakeCounts();
  result.status = StreamStatus::kCounted;
  return result;
}

StreamCount CountUtf16Text(const char16_t* text, size_t length, const TextSink& blank,
                           const StreamProgress& progress) {
  StreamCount result;
  result.encoding = Encoding::kUtf16Le;
  if (length == 0 || text[0] == u'\0') return result;  // kEmpty
  // In pieces, so that a cancel is heard and the progress shown.
  constexpr size_t kPiece = kTextChunkSize / sizeof(char16_t);
  GbkConverter converter(Encoding::kUtf16Le, 0, GbkConverter::OnMalformed::kNoGbkForm);
  std::unique_ptr<TextSink> counts = blank.Clone();
  for (size_t at = 0; at < length && !converter.Ended(); at += kPiece) {
    const size_t piece = std::min(kPiece, length - at);
    converter.Add(reinterpret_cast<const unsigned char*>(text + at), piece * sizeof(char16_t),
                  *counts);
    if (progress && !progress(at + piece)) {
      result.status = StreamStatus::kCancelled;
      return result;
    }
  }
  converter.Finish(*counts);
  result.counts = std::move(counts);
  result.status = StreamStatus::kCounted;
  return result;
}
