#include "sources/parts_count.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "engine/gbk_scan.h"
#include "sources/read_ahead.h"

namespace {

constexpr unsigned kMostParts = 4;
// Less than this per part, and starting the threads costs more than they save.
constexpr uint64_t kLeastPart = uint64_t(32) << 20;
// A part's reads: a quarter chunk stays in the core's own cache between the
// system's copy and the count. A part's sync point is looked for in its
// first read: a text without two single bytes in a row for that long
// (Chinese with LF line ends and no Latin or digits) is left whole to the
// part before.
constexpr size_t kPartRead = kTextChunkSize / 4;

// How a part's reading ended. Any end but kRead ends the text there, as a
// reading in turn would have: what comes after it is moot.
enum class PartEnd { kRead, kZero, kFailed, kShort, kMoot };

struct Part {
  ChunkSource* source = nullptr;
  size_t index = 0;
  uint64_t from = 0, to = 0;
  TextSink* counts = nullptr;
  std::unique_ptr<TextSink> ownCounts;
  char* buffer = nullptr;
  std::unique_ptr<PageAlignedBuffer> ownBuffer;
  uint64_t read = 0;
  PartEnd end = PartEnd::kRead;
  // The first part that ended the text, shared by all: a later part stops.
  std::atomic<size_t>* firstEnd = nullptr;
};

void EndPart(Part& part, PartEnd end) {
  part.end = end;
  size_t first = part.firstEnd->load();
  while (part.index < first && !part.firstEnd->compare_exchange_weak(first, part.index)) {
  }
}

// Reads and counts [from, to) until its end, a 0 byte, a failed or short
// read, or an earlier part's end.
void CountPart(Part& part) {
  for (uint64_t at = part.from; at < part.to;) {
    if (part.firstEnd->load(std::memory_order_relaxed) < part.index) {
      part.end = PartEnd::kMoot;
      return;
    }
    const size_t want = size_t(std::min<uint64_t>(kPartRead, part.to - at));
    const int64_t got = part.source->ReadAt(at, part.buffer, want);
    if (got <= 0) return EndPart(part, got < 0 ? PartEnd::kFailed : PartEnd::kShort);
    part.counts->Add(part.buffer, size_t(got));
    at += uint64_t(got);
    part.read = at - part.from;
    if (part.counts->Ended()) return EndPart(part, PartEnd::kZero);
  }
}

// A part from the first sync point in the read at `nominal`, counted into a
// Clone of `blank`. Null when there is none there, no memory for it, or the
// read fails: the part before then reads on through, and meets the failure
// in its turn.
std::unique_ptr<Part> PartFrom(ChunkSource& source, uint64_t nominal, const TextSink& blank) {
  auto part = std::make_unique<Part>();
  part->ownBuffer = std::make_unique<PageAlignedBuffer>(kPartRead);
  part->buffer = part->ownBuffer->Data();
  if (!part->buffer) return nullptr;
  const int64_t got = source.ReadAt(nominal, part->buffer, kPartRead);
  if (got <= 0) return nullptr;
  const auto* bytes = reinterpret_cast<const unsigned char*>(part->buffer);
  const size_t sync = GbkSyncPoint(bytes, size_t(got));
  if (sync == 0) return nullptr;
  part->source = &source;
  part->from = nominal + sync;
  part->ownCounts = blank.Clone();
  part->ownCounts->StartAfter(bytes + sync - 2);
  part->counts = part->ownCounts.get();
  return part;
}

StreamStatus StatusOf(PartEnd end) {
  switch (end) {
    case PartEnd::kFailed: return StreamStatus::kReadFailed;
    case PartEnd::kShort: return StreamStatus::kChanged;
    default: return StreamStatus::kCounted;
  }
}

}  // namespace

bool WorthCountingInParts(const ChunkSource& source, uint64_t offset) {
  const uint64_t length = source.PartsLength();
  return length > offset && length - offset >= 2 * kLeastPart && WorkerThread::Processors() > 1;
}

PartsCount CountRestInParts(ChunkSource& source, uint64_t offset, TextSink& counts,
                            const TextSink& blank, char* buffer) {
  PartsCount result;
  const uint64_t length = source.PartsLength();
  const uint64_t rest = length - offset;
  const unsigned shares = unsigned(std::min<uint64_t>(
      {WorkerThread::Processors(), kMostParts, rest / kLeastPart}));

  std::vector<std::unique_ptr<Part>> parts;
  parts.push_back(std::make_unique<Part>());
  parts[0]->source = &source;
  parts[0]->from = offset;
  parts[0]->counts = &counts;
  parts[0]->buffer = buffer;
  for (unsigned share = 1; share < shares; ++share)
    if (std::unique_ptr<Part> part = PartFrom(source, offset + rest * share / shares, blank))
      parts.push_back(std::move(part));
  if (parts.size() == 1) {
    result.split = false;
    return result;
  }
  std::atomic<size_t> firstEnd{parts.size()};
  for (size_t i = 0; i < parts.size(); ++i) {
    parts[i]->index = i;
    parts[i]->to = i + 1 < parts.size() ? parts[i + 1]->from : length;
    parts[i]->firstEnd = &firstEnd;
  }

  {
    std::vector<std::unique_ptr<WorkerThread>> threads(parts.size());
    for (size_t i = 1; i < parts.size(); ++i)
      threads[i] = WorkerThread::Start(
          [](void* part) { CountPart(*static_cast<Part*>(part)); }, parts[i].get());
    CountPart(*parts[0]);
    for (size_t i = 1; i < parts.size(); ++i)
      if (!threads[i]) CountPart(*parts[i]);  // no thread: counted here, in turn
  }  // waits for the threads

  // As a reading in turn: the parts in order up to the first that ended the text.
  result.bytesRead = offset;
  for (size_t i = 0; i < parts.size(); ++i) {
    const Part& part = *parts[i];
    result.bytesRead += part.read;
    if (i > 0) counts.Join(*part.counts);
    if (part.end != PartEnd::kRead) {
      result.status = StatusOf(part.end);
      return result;
    }
  }
  result.toEnd = true;
  return result;
}
