#include "sources/text_stream.h"

#include <memory>
#include <new>

StreamCount CountTextStream(ChunkSource& source, TextTally& tally) {
  std::unique_ptr<char[]> chunk(new (std::nothrow) char[kTextChunkSize]);
  if (!chunk) return StreamCount::kReadFailed;
  bool first = true;
  while (!tally.Ended()) {
    const int64_t got = source.Read(chunk.get(), kTextChunkSize);
    if (got < 0) return StreamCount::kReadFailed;
    if (got == 0) break;
    if (first && static_cast<unsigned char>(chunk[0]) == 0xFF)
      return StreamCount::kNotAnsi;
    first = false;
    tally.Add(chunk.get(), size_t(got));
  }
  return first ? StreamCount::kEmpty : StreamCount::kCounted;
}
