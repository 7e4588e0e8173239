#pragma once

// The dispatch calls the renderer and the editor use: counting semaphores,
// times to wait until, immutable data objects and the main queue. Reference
// counted with dispatch_retain and dispatch_release; a create call hands the
// caller one reference. Any thread.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

struct dispatch_object_s;
typedef dispatch_object_s* dispatch_object_t;

void dispatch_retain(dispatch_object_t object);
// The last release destroys the object. Releasing a semaphore whose count is
// below the one it was made with (signals still owed) is a validation error.
void dispatch_release(dispatch_object_t object);

// The kinds of object; callers only hold pointers to them, which convert to
// dispatch_object_t.
struct dispatch_object_s {
  dispatch_object_s(const dispatch_object_s&) = delete;
  dispatch_object_s& operator=(const dispatch_object_s&) = delete;

protected:
  dispatch_object_s();
  // For an object that lives as long as the process: it is not counted, and
  // retain and release leave it alone.
  struct ProcessLifetime {};
  explicit dispatch_object_s(ProcessLifetime);
  virtual ~dispatch_object_s();

private:
  friend void dispatch_retain(dispatch_object_t object);
  friend void dispatch_release(dispatch_object_t object);
  std::atomic<long> references_{1};
  const bool processLifetime_ = false;
};

struct dispatch_semaphore_s : dispatch_object_s {
protected:
  dispatch_semaphore_s() = default;
};

struct dispatch_data_s : dispatch_object_s {
protected:
  dispatch_data_s() = default;
};

struct dispatch_queue_s : dispatch_object_s {
protected:
  dispatch_queue_s() : dispatch_object_s(ProcessLifetime{}) {}
};

typedef dispatch_semaphore_s* dispatch_semaphore_t;
typedef dispatch_data_s* dispatch_data_t;
typedef dispatch_queue_s* dispatch_queue_t;
typedef std::function<void()> dispatch_block_t;

// Nanoseconds on a monotonic clock.
typedef std::uint64_t dispatch_time_t;
#define DISPATCH_TIME_NOW (0ull)
#define DISPATCH_TIME_FOREVER (~0ull)
#define NSEC_PER_SEC 1000000000ull
#define NSEC_PER_MSEC 1000000ull

// `delta` nanoseconds after `when` (DISPATCH_TIME_NOW: after now); FOREVER stays FOREVER.
dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta);

// Null for a negative count.
dispatch_semaphore_t dispatch_semaphore_create(long value);
// Takes one count, waiting until `timeout` for it; non-zero when it timed out.
long dispatch_semaphore_wait(dispatch_semaphore_t semaphore, dispatch_time_t timeout);
// Returns one count; non-zero when that woke a waiting thread.
long dispatch_semaphore_signal(dispatch_semaphore_t semaphore);

// The default destructor: the bytes are copied.
#define DISPATCH_DATA_DESTRUCTOR_DEFAULT (dispatch_block_t{})
// A copy of the bytes; a destructor given is called once the copy is made
// (the caller's buffer is no longer needed). The queue is not used.
dispatch_data_t dispatch_data_create(const void* buffer, std::size_t size, dispatch_queue_t queue,
                                     dispatch_block_t destructor);
std::size_t dispatch_data_get_size(dispatch_data_t data);

// The queue of the main thread: its blocks run on the main run loop. Lives as
// long as the process.
dispatch_queue_t dispatch_get_main_queue(void);
// Queues the block and returns at once; the queue runs its blocks one at a
// time in the order they were queued, the main queue on the main run loop's
// next pass. A null queue or block does nothing.
void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);
