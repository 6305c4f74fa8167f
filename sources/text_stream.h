#pragma once
// Counting a text read piece by piece from a file or a pipe, with bounded
// memory whatever its size, in the encoding the file is in. Shared by the
// window and the command line.
//
// How a file is read (EncodingChoice::kAuto), as Notepad decides:
//   - a byte-order mark EF BB BF, FF FE or FE FF: UTF-8, UTF-16LE or
//     UTF-16BE (the mark itself is not counted);
//   - no mark, and the text up to its first 0 is valid UTF-8 holding at
//     least one byte >= 0x80: UTF-8;
//   - anything else: GBK bytes as they are.
// Converted text is counted as its code page 936 form (GbkConverter).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "sources/text_encoding.h"

// One read's worth; with the converter's buffers, the whole memory a count
// needs.
constexpr size_t kTextChunkSize = 1 << 20;

class ChunkSource {
 public:
  virtual ~ChunkSource() = default;
  // Reads up to `capacity` bytes into `buffer`: the number read, 0 at the
  // end, or -1 when the read fails.
  virtual int64_t Read(char* buffer, size_t capacity) = 0;
  // True for a file on disk, whose reads always end: it is then read on a
  // thread of its own while the chunk before is counted.
  virtual bool IsFile() const { return false; }
  // Asked once the count has read `bytesRead` bytes, to the input's end
  // when `toEnd` (otherwise to its first 0): false when the input is a file
  // that another program cut short, lengthened or wrote while it was read,
  // whose counts would then be those of no one text.
  virtual bool Unchanged(uint64_t bytesRead, bool toEnd) const {
    (void)bytesRead, (void)toEnd;
    return true;
  }
  // A file that can also be read at any offset, so that a big one may be
  // counted in parts on several cores (CountRestInParts): its length from
  // where reading began, as it was when opened. 0 for any other input.
  virtual uint64_t PartsLength() const { return 0; }
  // Reads up to `capacity` bytes from `offset` (from where reading began),
  // safely from several threads at once; as Read, with no effect on it.
  virtual int64_t ReadAt(uint64_t offset, char* buffer, size_t capacity) {
    (void)offset, (void)buffer, (void)capacity;
    return -1;
  }
  // After a count in parts: where reading in turn would have left off. A
  // source whose position others share (standard input) moves there.
  virtual void ReadInPartsTo(uint64_t offset) { (void)offset; }
};

enum class StreamStatus {
  kCounted,     // `counts` holds the text's counts
  kEmpty,       // nothing to read
  kNotAnsi,     // read as GBK, but begins with byte 0xFF
  kMalformed,   // marked (or forced) UTF-8 or UTF-16 that is not well-formed
  kReadFailed,  // a read failed somewhere
  kCancelled,   // the caller's progress callback said stop
  kChanged,     // the file changed while it was read (ChunkSource::Unchanged)
};

struct StreamCount {
  StreamStatus status = StreamStatus::kEmpty;
  Encoding encoding = Encoding::kGbk;  // how the text was read
  uint64_t errorOffset = 0;            // kMalformed: the bad sequence's file offset
  std::unique_ptr<TextSink> counts;    // kCounted: the counts of that reading
};

// Called after each chunk with the bytes read so far; false cancels.
using StreamProgress = std::function<bool(uint64_t bytesRead)>;

// Reads `source` to its end, or to its first 0, and counts it in the
// reading `choice` asks for. `blank` is an empty sink; the readings are
// copies of it. Nothing is counted into the caller's state: the result
// holds the counts, so a failed or cancelled count changes nothing.
StreamCount CountTextStream(ChunkSource& source, EncodingChoice choice, const TextSink& blank,
                            const StreamProgress& progress = nullptr);

// Counts a UTF-16 text that the system handed over whole (the clipboard's,
// an editor's) by the rule files are counted by: its code page 936 form, up
// to its first U+0000. Such a text may hold a lone surrogate, which counts
// as a character without a GBK form. `progress` hears the units done after
// each piece; false cancels. The result is kCounted, kEmpty (no text before
// its first U+0000) or kCancelled.
StreamCount CountUtf16Text(const char16_t* text, size_t length, const TextSink& blank,
                           const StreamProgress& progress = nullptr);
