#include "sources/read_ahead.h"

#include "sources/text_stream.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#endif

#ifdef _WIN32
#include <windows.h>
#else
#ifdef __linux__
#include <sched.h>
#endif
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#endif

#ifdef _WIN32
// The system's own lock and thread: under Wine the C++ runtime's go through
// winpthreads, whose every wait costs a trip to the Wine server.
struct RingSignal::System {
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE woken = CONDITION_VARIABLE_INIT;
};
void RingSignal::Lock() { AcquireSRWLockExclusive(&system_->lock); }
void RingSignal::Unlock() { ReleaseSRWLockExclusive(&system_->lock); }
void RingSignal::Sleep() { SleepConditionVariableSRW(&system_->woken, &system_->lock, INFINITE, 0); }
void RingSignal::WakeSleeper() { WakeConditionVariable(&system_->woken); }

PageAlignedBuffer::PageAlignedBuffer(size_t size)
    : data_(static_cast<char*>(
          VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {}
PageAlignedBuffer::~PageAlignedBuffer() {
  if (data_) VirtualFree(data_, 0, MEM_RELEASE);
}

struct WorkerThread::System {
  void (*run)(void*);
  void* argument;
  HANDLE handle = nullptr;

  static DWORD WINAPI Run(void* system) {
    const System& self = *static_cast<System*>(system);
    self.run(self.argument);
    return 0;
  }
};

std::unique_ptr<WorkerThread> WorkerThread::Start(void (*run)(void*), void* argument) {
  std::unique_ptr<WorkerThread> thread(new WorkerThread);
  thread->system_.reset(new System{run, argument});
  thread->system_->handle = CreateThread(nullptr, 0, System::Run, thread->system_.get(), 0, nullptr);
  return thread->system_->handle ? std::move(thread) : nullptr;
}

WorkerThread::~WorkerThread() {
  if (!system_ || !system_->handle) return;
  WaitForSingleObject(system_->handle, INFINITE);
  CloseHandle(system_->handle);
}

unsigned WorkerThread::Processors() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}
#else
struct RingSignal::System {
  std::mutex lock;
  std::condition_variable woken;
};
void RingSignal::Lock() { system_->lock.lock(); }
void RingSignal::Unlock() { system_->lock.unlock(); }
void RingSignal::Sleep() {
  std::unique_lock<std::mutex> held(system_->lock, std::adopt_lock);
  system_->woken.wait(held);
  held.release();
}
void RingSignal::WakeSleeper() { system_->woken.notify_one(); }

PageAlignedBuffer::PageAlignedBuffer(size_t size) {
  void* p = nullptr;
  data_ = posix_memalign(&p, 4096, size) == 0 ? static_cast<char*>(p) : nullptr;
}
PageAlignedBuffer::~PageAlignedBuffer() { std::free(data_); }

struct WorkerThread::System {
  std::thread thread;
};

std::unique_ptr<WorkerThread> WorkerThread::Start(void (*run)(void*), void* argument) {
  std::unique_ptr<WorkerThread> thread(new WorkerThread);
  try {
    thread->system_.reset(new System{std::thread(run, argument)});
  } catch (const std::system_error&) {
    return nullptr;
  }
  return thread;
}

WorkerThread::~WorkerThread() {
  if (system_) system_->thread.join();
}

unsigned WorkerThread::Processors() {
#ifdef __linux__
  // The processors this process may run on (taskset, a container's set),
  // not all the machine has.
  cpu_set_t allowed;
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) return unsigned(CPU_COUNT(&allowed));
#endif
  return std::thread::hardware_concurrency();
}
#endif

void RingSignal::Pause() {
#if defined(__i386__) || defined(__x86_64__)
  _mm_pause();
#endif
}

RingSignal::RingSignal() : system_(std::make_unique<System>()) {}
RingSignal::~RingSignal() = default;

ReadAhead::ReadAhead(ChunkSource& source, size_t chunkSize)
    : source_(source), chunkSize_(chunkSize), ring_(kSlots * chunkSize) {}

std::unique_ptr<ReadAhead> ReadAhead::Start(ChunkSource& source, size_t chunkSize) {
  std::unique_ptr<ReadAhead> ahead(new ReadAhead(source, chunkSize));
  if (ahead->ring_.Data())
    ahead->thread_ = WorkerThread::Start(
        [](void* self) { static_cast<ReadAhead*>(self)->ReadLoop(); }, ahead.get());
  if (!ahead->thread_) return nullptr;
  return ahead;
}

ReadAhead::~ReadAhead() {
  if (!thread_) return;
  stop_.store(true);
  readerSignal_.Wake();
  thread_.reset();
}

int64_t ReadAhead::Next(const char*& data) {
  if (handedOut_ > 0) {  // the chunk handed out last has been counted
    taken_.store(handedOut_);
    readerSignal_.Wake();
  }
  callerSignal_.WaitUntil([this] { return filled_.load() > handedOut_; });
  data = Slot(handedOut_);
  return got_[handedOut_++ % kSlots];
}

void ReadAhead::ReadLoop() {
  for (uint64_t chunk = 0;; ++chunk) {
    readerSignal_.WaitUntil([&] { return stop_.load() || chunk - taken_.load() < kSlots; });
    if (stop_.load()) return;
    const int64_t got = source_.Read(Slot(chunk), chunkSize_);
    got_[chunk % kSlots] = got;
    filled_.store(chunk + 1);
    callerSignal_.Wake();
    if (got <= 0) return;
  }
}
