#pragma once
// Reading a file while it is counted. The system's copy of a cached file
// costs about as much as counting it, so a reader thread fills a ring of
// chunk buffers while the caller counts the chunk before: the two overlap
// on two cores instead of taking turns on one.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

class ChunkSource;

// A read buffer that starts on a page: a read into a buffer at another
// offset within its page than the file position is copied several times
// slower on some processors.
class PageAlignedBuffer {
 public:
  explicit PageAlignedBuffer(size_t size);
  ~PageAlignedBuffer();
  PageAlignedBuffer(const PageAlignedBuffer&) = delete;
  PageAlignedBuffer& operator=(const PageAlignedBuffer&) = delete;
  char* Data() const { return data_; }

 private:
  char* data_;
};

// One waiting side of the ring, woken by the other.
class RingSignal {
 public:
  RingSignal();
  ~RingSignal();
  RingSignal(const RingSignal&) = delete;
  RingSignal& operator=(const RingSignal&) = delete;

  // Returns once `ready()` holds; `ready` reads only atomics.
  template <typename Ready>
  void WaitUntil(Ready ready) {
    // The other side is usually a few microseconds away: waiting for it on
    // the spot is cheaper than a sleep and a wake through the system.
    const auto until = std::chrono::steady_clock::now() + kSpinFor;
    do {
      if (ready()) return;
      Pause();
    } while (std::chrono::steady_clock::now() < until);
    Lock();
    sleeping_.store(true);
    while (!ready()) Sleep();
    sleeping_.store(false);
    Unlock();
  }
  // After the other side changed what `ready` reads. Both sides' atomics
  // are sequentially consistent: either the sleeper sees the change, or
  // this sees `sleeping_` and wakes it under the lock.
  void Wake() {
    if (!sleeping_.load()) return;
    Lock();
    WakeSleeper();
    Unlock();
  }

 private:
  static constexpr std::chrono::microseconds kSpinFor{20};
  static void Pause();  // a processor's hint that it is waiting on the spot
  void Lock();
  void Unlock();
  void Sleep();  // releases the lock while asleep
  void WakeSleeper();

  struct System;
  std::unique_ptr<System> system_;
  std::atomic<bool> sleeping_{false};
};

// A thread of its own running one function to its end, on the system's
// threads.
class WorkerThread {
 public:
  // Starts `run(argument)`; null when no thread can be had.
  static std::unique_ptr<WorkerThread> Start(void (*run)(void*), void* argument);
  ~WorkerThread();  // waits for the function to return
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // How many threads this machine runs at once.
  static unsigned Processors();

 private:
  WorkerThread() = default;
  struct System;
  std::unique_ptr<System> system_;
};

class ReadAhead {
 public:
  // Starts reading `source` from where it stands, in chunks of `chunkSize`,
  // on a thread of its own; null when the ring or the thread cannot be had,
  // and the caller reads in turn.
  static std::unique_ptr<ReadAhead> Start(ChunkSource& source, size_t chunkSize);
  ~ReadAhead();  // stops the reader after its current read
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next chunk, at `data`: the bytes read, 0 at the end, -1 when a read
  // failed. Gives back the chunk the last call handed out.
  int64_t Next(const char*& data);

 private:
  static constexpr unsigned kSlots = 4;

  ReadAhead(ChunkSource& source, size_t chunkSize);

  void ReadLoop();
  char* Slot(uint64_t chunk) const { return ring_.Data() + chunk % kSlots * chunkSize_; }

  ChunkSource& source_;
  const size_t chunkSize_;
  PageAlignedBuffer ring_;
  int64_t got_[kSlots] = {};
  std::atomic<uint64_t> filled_{0};  // chunks the reader has read
  std::atomic<uint64_t> taken_{0};   // chunks the caller has given back
  uint64_t handedOut_ = 0;           // chunks handed to the caller
  std::atomic<bool> stop_{false};
  RingSignal readerSignal_;  // the reader waits for a free slot
  RingSignal callerSignal_;  // the caller waits for a filled one
  std::unique_ptr<WorkerThread> thread_;
};
