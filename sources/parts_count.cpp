#include "sources/parts_count.h"

#include <algorithm>
#include <atomic>
#include <functional>
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

enum class PartEnd { kRead, kZero, kFailed, kShort, kStopped };

struct Part {
  ChunkSource* source = nullptr;
  uint64_t from = 0, to = 0;
  TextSink* counts = nullptr;
  std::unique_ptr<TextSink> ownCounts;
  char* buffer = nullptr;
  std::unique_ptr<PageAlignedBuffer> ownBuffer;
  std::atomic<uint64_t> read{0};
  std::atomic<bool>* stop = nullptr;
  PartEnd end = PartEnd::kRead;
};

// Reads and counts [from, to) until its end, a 0 byte, a failed or short
// read, a stop, or `carryOn` saying no after a read.
void CountPart(Part& part, const std::function<bool()>& carryOn) {
  for (uint64_t at = part.from; at < part.to;) {
    if (part.stop->load(std::memory_order_relaxed)) {
      part.end = PartEnd::kStopped;
      return;
    }
    const size_t want = size_t(std::min<uint64_t>(kPartRead, part.to - at));
    const int64_t got = part.source->ReadAt(at, part.buffer, want);
    if (got <= 0) {
      part.end = got < 0 ? PartEnd::kFailed : PartEnd::kShort;
      return;
    }
    part.counts->Add(part.buffer, size_t(got));
    at += uint64_t(got);
    part.read.store(at - part.from, std::memory_order_relaxed);
    if (part.counts->Ended()) {
      part.end = PartEnd::kZero;
      return;
    }
    if (carryOn && !carryOn()) {
      part.end = PartEnd::kStopped;
      return;
    }
  }
}

// A part from the first sync point at or after `nominal`, counted into a
// Clone of `blank`: null when there is none near, or no memory for it.
std::unique_ptr<Part> PartFrom(ChunkSource& source, uint64_t nominal, const TextSink& blank,
                               PartEnd& failed) {
  auto part = std::make_unique<Part>();
  part->ownBuffer = std::make_unique<PageAlignedBuffer>(kPartRead);
  part->buffer = part->ownBuffer->Data();
  if (!part->buffer) return nullptr;
  const int64_t got = source.ReadAt(nominal, part->buffer, kPartRead);
  if (got <= 0) {
    failed = got < 0 ? PartEnd::kFailed : PartEnd::kShort;
    return nullptr;
  }
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

}  // namespace

bool WorthCountingInParts(const ChunkSource& source, uint64_t offset) {
  const uint64_t length = source.PartsLength();
  return length > offset && length - offset >= 2 * kLeastPart && WorkerThread::Processors() > 1;
}

PartsCount CountRestInParts(ChunkSource& source, uint64_t offset, TextSink& counts,
                            const TextSink& blank, char* buffer,
                            const StreamProgress& progress) {
  PartsCount result;
  const uint64_t length = source.PartsLength();
  const uint64_t rest = length - offset;
  const unsigned shares = unsigned(std::min<uint64_t>(
      {WorkerThread::Processors(), kMostParts, rest / kLeastPart}));
  std::atomic<bool> stop{false};

  std::vector<std::unique_ptr<Part>> parts;
  parts.push_back(std::make_unique<Part>());
  parts[0]->source = &source;
  parts[0]->from = offset;
  parts[0]->counts = &counts;
  parts[0]->buffer = buffer;
  PartEnd failed = PartEnd::kRead;
  for (unsigned share = 1; share < shares && failed == PartEnd::kRead; ++share) {
    std::unique_ptr<Part> part = PartFrom(source, offset + rest * share / shares, blank, failed);
    if (part) parts.push_back(std::move(part));
  }
  if (failed != PartEnd::kRead) {
    result.status = failed == PartEnd::kFailed ? StreamStatus::kReadFailed : StreamStatus::kChanged;
    return result;
  }
  if (parts.size() == 1) {
    result.split = false;
    return result;
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    parts[i]->to = i + 1 < parts.size() ? parts[i + 1]->from : length;
    parts[i]->stop = &stop;
  }

  std::vector<std::unique_ptr<WorkerThread>> threads(parts.size());
  for (size_t i = 1; i < parts.size(); ++i)
    threads[i] = WorkerThread::Start(
        [](void* part) { CountPart(*static_cast<Part*>(part), nullptr); }, parts[i].get());
  const auto carryOn = [&] {
    if (!progress) return true;
    uint64_t read = offset;
    for (const auto& part : parts) read += part->read.load(std::memory_order_relaxed);
    if (progress(read)) return true;
    stop.store(true);
    return false;
  };
  CountPart(*parts[0], carryOn);
  for (size_t i = 1; i < parts.size(); ++i) {
    if (threads[i]) threads[i].reset();  // waits for it
    else CountPart(*parts[i], carryOn);  // no thread: counted here, in turn
  }

  result.bytesRead = offset;
  result.toEnd = true;
  bool cancelled = false, readFailed = false, cutShort = false;
  for (size_t i = 0; i < parts.size(); ++i) {
    const Part& part = *parts[i];
    result.bytesRead += part.read.load();
    result.toEnd = result.toEnd && part.end == PartEnd::kRead;
    cancelled = cancelled || part.end == PartEnd::kStopped;
    readFailed = readFailed || part.end == PartEnd::kFailed;
    cutShort = cutShort || part.end == PartEnd::kShort;
    if (i > 0) counts.Join(*part.counts);
  }
  result.status = cancelled    ? StreamStatus::kCancelled
                  : readFailed ? StreamStatus::kReadFailed
                  : cutShort   ? StreamStatus::kChanged
                               : StreamStatus::kCounted;
  return result;
}
