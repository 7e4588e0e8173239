// Semaphores follow the counting rule of the platform's: a wait takes a count
// and blocks while the count is below zero; a signal gives one back and wakes
// one waiter when the count was below zero.

#include "dispatch_data.h"
#include "metal/validation.h"

#include <dispatch/dispatch.h>
#include <standin/testing/metal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <vector>

namespace {

std::atomic<long> gLiveDispatchObjects{0};

using Clock = std::chrono::steady_clock;

std::uint64_t NowNanoseconds() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count());
}

struct Semaphore final : dispatch_semaphore_s {
  explicit Semaphore(long value) : original(value), count(value) {}

  ~Semaphore() override {
    if (count < original) {
      standin::metal::ReportValidationError("dispatch_release: a semaphore was released while %ld signals are owed",
                                            original - count);
    }
  }

  const long original;
  std::mutex mutex;
  std::condition_variable signalled;
  long count;
  long wakeups = 0;  // signals given to waiters and not yet taken
};

struct Data final : dispatch_data_s {
  explicit Data(std::vector<std::byte> copied) : bytes(std::move(copied)) {}

  const std::vector<std::byte> bytes;
};

Semaphore& SemaphoreOf(dispatch_semaphore_t semaphore) { return static_cast<Semaphore&>(*semaphore); }

}  // namespace

dispatch_object_s::dispatch_object_s() { gLiveDispatchObjects.fetch_add(1, std::memory_order_relaxed); }

dispatch_object_s::dispatch_object_s(ProcessLifetime) : processLifetime_(true) {}

dispatch_object_s::~dispatch_object_s() {
  if (!processLifetime_) gLiveDispatchObjects.fetch_sub(1, std::memory_order_relaxed);
}

void dispatch_retain(dispatch_object_t object) {
  if (!object->processLifetime_) object->references_.fetch_add(1, std::memory_order_relaxed);
}

void dispatch_release(dispatch_object_t object) {
  if (object->processLifetime_) return;
  if (object->references_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete object;
}

dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta) {
  if (when == DISPATCH_TIME_FOREVER) return DISPATCH_TIME_FOREVER;
  const std::uint64_t base = when == DISPATCH_TIME_NOW ? NowNanoseconds() : when;
  if (delta >= 0) {
    const auto step = static_cast<std::uint64_t>(delta);
    return step >= DISPATCH_TIME_FOREVER - base ? DISPATCH_TIME_FOREVER - 1 : base + step;
  }
  const std::uint64_t back = static_cast<std::uint64_t>(-(delta + 1)) + 1;
  return back >= base ? 1 : base - back;  // 1: already past, but not "now"
}

dispatch_semaphore_t dispatch_semaphore_create(long value) {
  if (value < 0) return nullptr;
  return new Semaphore(value);
}

long dispatch_semaphore_wait(dispatch_semaphore_t semaphore, dispatch_time_t timeout) {
  Semaphore& s = SemaphoreOf(semaphore);
  std::unique_lock lock(s.mutex);
  if (--s.count >= 0) return 0;
  const auto woken = [&] { return s.wakeups > 0; };
  bool signalled = true;
  if (timeout == DISPATCH_TIME_FOREVER) {
    s.signalled.wait(lock, woken);
  } else {
    const std::uint64_t now = NowNanoseconds();
    const auto wait = std::chrono::nanoseconds(timeout > now ? timeout - now : 0);
    signalled = s.signalled.wait_for(lock, wait, woken);
  }
  if (!signalled) {
    ++s.count;  // gives up its place
    return 1;
  }
  --s.wakeups;
  return 0;
}

long dispatch_semaphore_signal(dispatch_semaphore_t semaphore) {
  Semaphore& s = SemaphoreOf(semaphore);
  {
    std::lock_guard lock(s.mutex);
    if (++s.count > 0) return 0;
    ++s.wakeups;
  }
  s.signalled.notify_one();
  return 1;
}

dispatch_data_t dispatch_data_create(const void* buffer, std::size_t size, dispatch_queue_t,
                                     dispatch_block_t destructor) {
  const auto* bytes = static_cast<const std::byte*>(buffer);
  Data* data = new Data(std::vector<std::byte>(bytes, bytes + (buffer != nullptr ? size : 0)));
  if (destructor) destructor();
  return data;
}

std::size_t dispatch_data_get_size(dispatch_data_t data) { return static_cast<const Data&>(*data).bytes.size(); }

std::span<const std::byte> standin::dispatch::DataBytes(dispatch_data_t data) {
  return static_cast<const Data&>(*data).bytes;
}

namespace standin::testing {

long DispatchSemaphoreCount(dispatch_semaphore_t semaphore) {
  Semaphore& s = SemaphoreOf(semaphore);
  std::lock_guard lock(s.mutex);
  return s.count;
}

long LiveDispatchObjectCount() { return gLiveDispatchObjects.load(std::memory_order_relaxed); }

}  // namespace standin::testing
