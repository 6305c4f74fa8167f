#pragma once
// Counting a text read piece by piece from a file or a pipe, with bounded
// memory whatever its size. Shared by the window and the command line.

#include <cstddef>
#include <cstdint>

#include "engine/text_tally.h"

// One read buffer's worth; the whole memory the count needs.
constexpr size_t kTextChunkSize = 1 << 20;

class ChunkSource {
 public:
  virtual ~ChunkSource() = default;
  // Reads up to `capacity` bytes into `buffer`: the number read, 0 at the
  // end, or -1 when the read fails.
  virtual int64_t Read(char* buffer, size_t capacity) = 0;
};

enum class StreamCount {
  kCounted,     // the tally holds the text's counts
  kEmpty,       // nothing to read
  kNotAnsi,     // begins with byte 0xFF (UTF-16 little-endian and the like)
  kReadFailed,  // a read failed somewhere: the tally is incomplete
};

// Reads `source` to its end, or to its first 0 byte, into `tally`.
StreamCount CountTextStream(ChunkSource& source, TextTally& tally);
