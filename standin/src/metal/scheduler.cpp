#include "metal/scheduler.h"

#include "metal/validation.h"

#include <standin/testing/metal.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <optional>
#include <thread>
#include <unordered_set>

namespace standin::metal {
namespace {

using Clock = std::chrono::steady_clock;
using testing::MetalExecution;

class Scheduler {
public:
  static Scheduler& Instance() {
    static Scheduler* const scheduler = new Scheduler;  // its threads live as long as the process
    return *scheduler;
  }

  std::mutex& executionLock() { return executionLock_; }

  void Enqueue(MTL::CommandBuffer* buffer) {
    std::lock_guard lock(mutex_);
    CommandBufferState& state = buffer->state();
    if (state.status != MTLCommandBufferStatusNotEnqueued) {
      ReportValidationError("enqueue: the command buffer was already enqueued");
      return;
    }
    EnqueueLocked(buffer);
  }

  void Commit(MTL::CommandBuffer* buffer) {
    std::unique_lock lock(mutex_);
    CommandBufferState& state = buffer->state();
    if (state.status >= MTLCommandBufferStatusCommitted) {
      ReportValidationError("commit: the command buffer was already committed");
      return;
    }
    if (state.openEncoder != nullptr) {
      ReportValidationError("commit: an encoder is still open; its commands are dropped");
    }
    if (state.status == MTLCommandBufferStatusNotEnqueued) EnqueueLocked(buffer);
    state.status = MTLCommandBufferStatusCommitted;
    MarkScheduledLocked(buffer->commandQueue());
    statusChanged_.notify_all();
    if (mode_ == MetalExecution::kImmediate) {
      DrainLocked(lock);
    } else {
      workAvailable_.notify_all();
    }
  }

  MTLCommandBufferStatus Status(const MTL::CommandBuffer* buffer) {
    std::lock_guard lock(mutex_);
    return buffer->state().status;
  }

  void WaitFor(MTL::CommandBuffer* buffer, MTLCommandBufferStatus status, const char* call) {
    std::unique_lock lock(mutex_);
    const CommandBufferState& state = buffer->state();
    if (state.status < MTLCommandBufferStatusCommitted) {
      ReportValidationError("%s: the command buffer was never committed", call);
      return;
    }
    statusChanged_.wait(lock, [&] { return state.status >= status; });
  }

  void SetMode(MetalExecution mode) {
    std::unique_lock lock(mutex_);
    if (mode == mode_) return;
    mode_ = mode;
    if (mode == MetalExecution::kWorker) {
      if (!worker_.joinable()) worker_ = std::thread([this] { RunWorker(); });
      workAvailable_.notify_all();
      return;
    }
    workAvailable_.notify_all();
    std::thread worker = std::move(worker_);
    lock.unlock();
    if (worker.joinable()) worker.join();
    lock.lock();
    DrainLocked(lock);
  }

  MetalExecution Mode() {
    std::lock_guard lock(mutex_);
    return mode_;
  }

  void SetPaused(bool paused) {
    std::unique_lock lock(mutex_);
    paused_ = paused;
    if (paused) return;
    workAvailable_.notify_all();
    DrainLocked(lock);
  }

  long UncommittedCount() {
    std::lock_guard lock(mutex_);
    long count = 0;
    for (const MTL::CommandBuffer* buffer : pending_) {
      if (buffer->state().status == MTLCommandBufferStatusEnqueued) ++count;
    }
    return count;
  }

private:
  Scheduler() = default;

  void EnqueueLocked(MTL::CommandBuffer* buffer) {
    CommandBufferState& state = buffer->state();
    buffer->retain();  // until its completion handlers have run
    pending_.push_back(buffer);
    state.status = MTLCommandBufferStatusEnqueued;
    state.enqueuedAt = Clock::now();
    if (!completionThread_.joinable()) completionThread_ = std::thread([this] { RunCompletions(); });
    completionsAvailable_.notify_one();  // a new stall deadline
  }

  // A committed buffer is scheduled once every buffer before it on its queue is committed.
  void MarkScheduledLocked(const MTL::CommandQueue* queue) {
    for (MTL::CommandBuffer* buffer : pending_) {
      if (buffer->commandQueue() != queue) continue;
      CommandBufferState& state = buffer->state();
      if (state.status == MTLCommandBufferStatusEnqueued) return;
      if (state.status == MTLCommandBufferStatusCommitted) state.status = MTLCommandBufferStatusScheduled;
    }
  }

  // The first pending buffer of some queue, when it is scheduled.
  MTL::CommandBuffer* FindRunnableLocked() const {
    std::unordered_set<const MTL::CommandQueue*> queuesSeen;
    for (MTL::CommandBuffer* buffer : pending_) {
      if (!queuesSeen.insert(buffer->commandQueue()).second) continue;
      if (buffer->state().status == MTLCommandBufferStatusScheduled) return buffer;
    }
    return nullptr;
  }

  bool CanStartLocked() const { return !paused_ && !running_ && FindRunnableLocked() != nullptr; }

  // Runs one ready buffer with the lock released; false when none could start.
  bool RunOneLocked(std::unique_lock<std::mutex>& lock) {
    if (!CanStartLocked()) return false;
    MTL::CommandBuffer* buffer = FindRunnableLocked();
    std::erase(pending_, buffer);
    running_ = true;
    lock.unlock();
    Execute(buffer);
    lock.lock();
    running_ = false;
    executed_.push_back(buffer);
    completionsAvailable_.notify_one();
    workAvailable_.notify_all();
    return true;
  }

  // Immediate mode: the calling thread runs whatever is ready, unless another
  // thread is running buffers, which then runs these too.
  void DrainLocked(std::unique_lock<std::mutex>& lock) {
    while (mode_ == MetalExecution::kImmediate && RunOneLocked(lock)) {
    }
  }

  void RunWorker() {
    std::unique_lock lock(mutex_);
    while (mode_ == MetalExecution::kWorker) {
      if (!RunOneLocked(lock)) workAvailable_.wait(lock);
    }
  }

  void Execute(MTL::CommandBuffer* buffer) {
    CommandBufferState& state = buffer->state();
    {
      std::lock_guard execution(executionLock_);
      for (const std::unique_ptr<EncodedPass>& pass : state.passes) pass->Execute();
    }
    for (const NS::Ref<MTL::Drawable>& drawable : state.drawables) drawable->present();
  }

  void RunCompletions() {
    std::unique_lock lock(mutex_);
    for (;;) {
      ReportStallsLocked();
      if (executed_.empty()) {
        const auto deadline = NextStallDeadlineLocked();
        if (deadline) {
          completionsAvailable_.wait_until(lock, *deadline);
        } else {
          completionsAvailable_.wait(lock);
        }
        continue;
      }
      MTL::CommandBuffer* buffer = executed_.front();
      executed_.pop_front();
      lock.unlock();
      Complete(buffer);
      lock.lock();
      buffer->state().status = MTLCommandBufferStatusCompleted;
      buffer->release();  // before the waiters wake, so they find only their own references
      statusChanged_.notify_all();
    }
  }

  // Handlers first; then what the buffer held for execution goes, so the
  // drawables it presented are back in their pools once it is complete.
  static void Complete(MTL::CommandBuffer* buffer) {
    CommandBufferState& state = buffer->state();
    for (const MTL::CommandBufferHandler& handler : state.handlers) handler(buffer);
    state.handlers.clear();
    state.passes.clear();
    state.drawables.clear();
  }

  std::optional<Clock::time_point> NextStallDeadlineLocked() const {
    std::optional<Clock::time_point> next;
    for (const MTL::CommandBuffer* buffer : pending_) {
      const CommandBufferState& state = buffer->state();
      if (state.status != MTLCommandBufferStatusEnqueued || state.stallReported) continue;
      const Clock::time_point deadline = state.enqueuedAt + kStallReportDelay;
      if (!next || deadline < *next) next = deadline;
    }
    return next;
  }

  void ReportStallsLocked() {
    const Clock::time_point now = Clock::now();
    for (MTL::CommandBuffer* buffer : pending_) {
      CommandBufferState& state = buffer->state();
      if (state.status != MTLCommandBufferStatusEnqueued || state.stallReported) continue;
      if (now - state.enqueuedAt < kStallReportDelay) continue;
      state.stallReported = true;
      std::fprintf(stderr,
                   "Metal: a command buffer has stayed enqueued and uncommitted for %lld s; "
                   "every later buffer of its queue waits for it\n",
                   static_cast<long long>(kStallReportDelay.count()));
    }
  }

  std::mutex executionLock_;
  std::mutex mutex_;
  std::condition_variable statusChanged_;
  std::condition_variable workAvailable_;
  std::condition_variable completionsAvailable_;
  std::deque<MTL::CommandBuffer*> pending_;   // enqueued, not yet run; one reference each
  std::deque<MTL::CommandBuffer*> executed_;  // run, handlers not yet called; one reference each
  MetalExecution mode_ = MetalExecution::kImmediate;
  bool paused_ = false;
  bool running_ = false;  // a buffer is executing on some thread
  std::thread worker_;
  std::thread completionThread_;
};

}  // namespace

std::mutex& ExecutionLock() { return Scheduler::Instance().executionLock(); }

void EnqueueCommandBuffer(MTL::CommandBuffer* buffer) { Scheduler::Instance().Enqueue(buffer); }

void CommitCommandBuffer(MTL::CommandBuffer* buffer) { Scheduler::Instance().Commit(buffer); }

MTLCommandBufferStatus CommandBufferStatus(const MTL::CommandBuffer* buffer) {
  return Scheduler::Instance().Status(buffer);
}

void WaitUntilCommandBufferScheduled(MTL::CommandBuffer* buffer) {
  Scheduler::Instance().WaitFor(buffer, MTLCommandBufferStatusScheduled, "waitUntilScheduled");
}

void WaitUntilCommandBufferCompleted(MTL::CommandBuffer* buffer) {
  Scheduler::Instance().WaitFor(buffer, MTLCommandBufferStatusCompleted, "waitUntilCompleted");
}

}  // namespace standin::metal

namespace standin::testing {

void SetMetalExecution(MetalExecution mode) { metal::Scheduler::Instance().SetMode(mode); }

MetalExecution CurrentMetalExecution() { return metal::Scheduler::Instance().Mode(); }

void PauseMetalExecution() { metal::Scheduler::Instance().SetPaused(true); }

void ResumeMetalExecution() { metal::Scheduler::Instance().SetPaused(false); }

long UncommittedCommandBufferCount() { return metal::Scheduler::Instance().UncommittedCount(); }

}  // namespace standin::testing
