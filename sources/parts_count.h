#pragma once
// Counting the rest of a big GBK file in parts, one per core, each part read
// at its own offset and counted on its own thread. Reading a cached file
// costs about as much as counting it; in parts, both are shared out.
//
// A part starts at a sync point (GbkSyncPoint) found just after its share's
// nominal start, where the scan's state does not depend on the text before,
// so the parts' counts join into exactly the counts of one pass.

#include <cstdint>

#include "sources/text_stream.h"

struct PartsCount {
  // False when no part but the first could start (no sync point near any
  // share's start): nothing was counted, and the text is read in turn.
  bool split = true;
  StreamStatus status = StreamStatus::kCounted;  // or kReadFailed, kChanged
  uint64_t bytesRead = 0;  // from where reading began, as the stream counts them
  bool toEnd = false;      // every part was read to its end (none met a 0)
};

// Whether counting `source` from `offset` on in parts is worth it: the file
// offers reads at any offset, has enough left for two parts, and this
// machine runs more than one thread.
bool WorthCountingInParts(const ChunkSource& source, uint64_t offset);

// Counts `source` from `offset` to its PartsLength into `counts`, the GBK
// reading of the text before `offset`; each further part goes into a Clone
// of `blank`. `buffer` (kTextChunkSize bytes) serves the first part, read
// on the calling thread. The outcome is that of reading in turn: the first
// part that meets a 0, a failed read or the file's early end ends the text
// there, and the parts after it stop. On any status but kCounted, `counts`
// is not to be used.
PartsCount CountRestInParts(ChunkSource& source, uint64_t offset, TextSink& counts,
                            const TextSink& blank, char* buffer);
