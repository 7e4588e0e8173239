// The run loop. Lock order: a loop's mutex may be held while a timer's mutex is
// taken, never the other way round; no callout runs under either.

#include "cf_object.h"
#include "cf_string.h"

#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSAutoreleasePool.h>

#include <standin/testing/run_loop.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

struct CFRunLoopTimerObject;

struct CFRunLoopObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kRunLoopTypeID;

  explicit CFRunLoopObject(standin::cf::Lifetime lifetime) : Object(lifetime) {}
  ~CFRunLoopObject() override;

  CFTypeID TypeID() const override { return kTypeID; }

  void Wake() {
    {
      std::lock_guard lock(mutex);
      wakePending = true;
    }
    woken.notify_all();
  }

  std::mutex mutex;
  std::condition_variable woken;
  bool wakePending = false;
  std::vector<CFRunLoopTimerObject*> timers;  // one reference each
  std::vector<std::function<void()>> blocks;
};

struct CFRunLoopTimerObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kRunLoopTimerTypeID;

  CFRunLoopTimerObject(CFAbsoluteTime firstFireDate, CFTimeInterval repeatInterval,
                       CFRunLoopTimerCallBack timerCallout, const CFRunLoopTimerContext* given)
      : interval(repeatInterval),
        callout(timerCallout),
        context(given == nullptr ? CFRunLoopTimerContext{} : *given),
        fireDate(firstFireDate) {
    if (context.retain != nullptr && context.info != nullptr) {
      context.info = const_cast<void*>(context.retain(context.info));
    }
  }

  ~CFRunLoopTimerObject() override {
    if (context.release != nullptr && context.info != nullptr) context.release(context.info);
  }

  CFTypeID TypeID() const override { return kTypeID; }

  bool Repeats() const { return interval > 0.0; }

  // Due now and free to fire (not invalidated, not inside its own callout).
  bool ReadyLocked(CFAbsoluteTime now) const { return valid && !calloutRunning && fireDate <= now; }

  const CFTimeInterval interval;
  const CFRunLoopTimerCallBack callout;
  CFRunLoopTimerContext context;

  std::mutex mutex;
  std::condition_variable calloutFinished;
  bool valid = true;
  CFAbsoluteTime fireDate;
  CFRunLoopObject* loop = nullptr;  // the loop holding a reference, while there is one
  bool calloutRunning = false;
  std::thread::id calloutThread;
};

CFRunLoopObject::~CFRunLoopObject() {
  for (CFRunLoopTimerObject* timer : timers) {
    {
      std::lock_guard lock(timer->mutex);
      timer->loop = nullptr;
    }
    timer->Release();
  }
}

namespace {

std::atomic<std::thread::id> gMainThread{std::this_thread::get_id()};

CFRunLoopObject* MainLoop() {
  static auto* const main = new CFRunLoopObject(standin::cf::Lifetime::Immortal);
  return main;
}

// A loop for a thread other than the main one; nobody pumps it unless that thread does.
struct ThreadLoopHolder {
  CFRunLoopObject* loop = nullptr;
  ~ThreadLoopHolder() {
    if (loop != nullptr) loop->Release();
  }
};

CFRunLoopObject* ThreadLoop() {
  thread_local ThreadLoopHolder holder;
  if (holder.loop == nullptr) holder.loop = new CFRunLoopObject(standin::cf::Lifetime::Uncounted);
  return holder.loop;
}

int RunBlocks(CFRunLoopObject& loop) {
  std::vector<std::function<void()>> blocks;
  {
    std::lock_guard lock(loop.mutex);
    blocks.swap(loop.blocks);
    loop.wakePending = false;
  }
  for (auto& block : blocks) block();
  return static_cast<int>(blocks.size());
}

// The timers due at `now`, each with a reference the caller drops.
std::vector<CFRunLoopTimerObject*> CollectDueTimers(CFRunLoopObject& loop, CFAbsoluteTime now) {
  std::vector<CFRunLoopTimerObject*> due;
  std::lock_guard lock(loop.mutex);
  for (CFRunLoopTimerObject* timer : loop.timers) {
    std::lock_guard timerLock(timer->mutex);
    if (timer->ReadyLocked(now)) {
      timer->Retain();
      due.push_back(timer);
    }
  }
  return due;
}

// Fires the timer once when it is still due; answers whether it fired.
bool FireTimer(CFRunLoopTimerObject& timer, CFAbsoluteTime now) {
  {
    std::lock_guard lock(timer.mutex);
    if (!timer.ReadyLocked(now)) return false;
    timer.calloutRunning = true;
    timer.calloutThread = std::this_thread::get_id();
    // Missed ticks are dropped: the next one is a whole interval from now.
    if (timer.Repeats()) timer.fireDate = now + timer.interval;
  }
  timer.callout(&timer, timer.context.info);
  {
    std::lock_guard lock(timer.mutex);
    timer.calloutRunning = false;
    timer.calloutThread = std::thread::id();
  }
  timer.calloutFinished.notify_all();
  if (!timer.Repeats()) CFRunLoopTimerInvalidate(&timer);
  return true;
}

int RunTimers(CFRunLoopObject& loop) {
  const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
  int fired = 0;
  for (CFRunLoopTimerObject* timer : CollectDueTimers(loop, now)) {
    if (FireTimer(*timer, now)) ++fired;
    timer->Release();
  }
  return fired;
}

// Each pass drains an autorelease pool of its own, as an event loop does.
int RunPass(CFRunLoopObject& loop) {
  const NS::AutoreleasePool pool;
  const int blocks = RunBlocks(loop);
  return blocks + RunTimers(loop);
}

// The earliest fire date of a timer that may still fire; +infinity when none.
CFAbsoluteTime NextFireDate(CFRunLoopObject& loop) {
  CFAbsoluteTime next = std::numeric_limits<CFAbsoluteTime>::infinity();
  std::lock_guard lock(loop.mutex);
  for (CFRunLoopTimerObject* timer : loop.timers) {
    std::lock_guard timerLock(timer->mutex);
    if (timer->valid && !timer->calloutRunning) next = std::min(next, timer->fireDate);
  }
  return next;
}

void WaitForWork(CFRunLoopObject& loop, CFAbsoluteTime until) {
  const CFTimeInterval seconds = until - CFAbsoluteTimeGetCurrent();
  if (seconds <= 0.0) return;
  std::unique_lock lock(loop.mutex);
  loop.woken.wait_for(lock, std::chrono::duration<double>(seconds),
                      [&loop] { return loop.wakePending || !loop.blocks.empty(); });
}

void RunForOnRealClock(CFRunLoopObject& loop, CFTimeInterval seconds) {
  const CFAbsoluteTime end = CFAbsoluteTimeGetCurrent() + seconds;
  for (;;) {
    RunPass(loop);
    if (CFAbsoluteTimeGetCurrent() >= end) return;
    WaitForWork(loop, std::min(end, NextFireDate(loop)));
  }
}

void RunForOnManualClock(CFRunLoopObject& loop, CFTimeInterval seconds) {
  const CFAbsoluteTime end = CFAbsoluteTimeGetCurrent() + seconds;
  for (;;) {
    RunPass(loop);
    const CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
    const CFAbsoluteTime next = NextFireDate(loop);
    if (next > now && next <= end) {
      standin::testing::AdvanceManualClock(next - now);
      continue;
    }
    if (now < end) {
      standin::testing::AdvanceManualClock(end - now);
      RunPass(loop);
    }
    return;
  }
}

CFRunLoopObject* LoopOf(CFRunLoopRef loop) { return standin::cf::AsMutable<CFRunLoopObject>(loop); }
CFRunLoopTimerObject* TimerOf(CFRunLoopTimerRef timer) {
  return standin::cf::AsMutable<CFRunLoopTimerObject>(timer);
}

}  // namespace

extern "C" {

const CFRunLoopMode kCFRunLoopDefaultMode = CFStringMakeConstantString("kCFRunLoopDefaultMode");
const CFRunLoopMode kCFRunLoopCommonModes = CFStringMakeConstantString("kCFRunLoopCommonModes");

CFTypeID CFRunLoopGetTypeID(void) { return standin::cf::kRunLoopTypeID; }
CFTypeID CFRunLoopTimerGetTypeID(void) { return standin::cf::kRunLoopTimerTypeID; }

CFRunLoopRef CFRunLoopGetMain(void) { return MainLoop(); }

CFRunLoopRef CFRunLoopGetCurrent(void) {
  if (std::this_thread::get_id() == gMainThread.load(std::memory_order_acquire)) return MainLoop();
  return ThreadLoop();
}

CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef, CFAbsoluteTime fireDate,
                                       CFTimeInterval interval, CFOptionFlags, CFIndex,
                                       CFRunLoopTimerCallBack callout,
                                       CFRunLoopTimerContext* context) {
  if (callout == nullptr) return nullptr;
  return new CFRunLoopTimerObject(fireDate, interval, callout, context);
}

void CFRunLoopAddTimer(CFRunLoopRef loopRef, CFRunLoopTimerRef timerRef, CFRunLoopMode) {
  CFRunLoopObject* loop = LoopOf(loopRef);
  CFRunLoopTimerObject* timer = TimerOf(timerRef);
  if (loop == nullptr || timer == nullptr) return;
  {
    std::lock_guard lock(loop->mutex);
    std::lock_guard timerLock(timer->mutex);
    if (!timer->valid || timer->loop != nullptr) return;
    timer->loop = loop;
    timer->Retain();
    loop->timers.push_back(timer);
  }
  loop->Wake();
}

void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timerRef) {
  CFRunLoopTimerObject* timer = TimerOf(timerRef);
  if (timer == nullptr) return;
  CFRunLoopObject* loop = nullptr;
  {
    std::lock_guard lock(timer->mutex);
    timer->valid = false;
    loop = timer->loop;
    timer->loop = nullptr;
  }
  bool heldByLoop = false;
  if (loop != nullptr) {
    std::lock_guard lock(loop->mutex);
    auto found = std::find(loop->timers.begin(), loop->timers.end(), timer);
    if (found != loop->timers.end()) {
      loop->timers.erase(found);
      heldByLoop = true;
    }
  }
  {
    // Another thread waits until a running callout is over, so no tick reaches
    // what the caller is about to destroy; the callout's own thread cannot wait.
    std::unique_lock lock(timer->mutex);
    timer->calloutFinished.wait(lock, [timer] {
      return !timer->calloutRunning || timer->calloutThread == std::this_thread::get_id();
    });
  }
  if (heldByLoop) timer->Release();
}

Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timerRef) {
  CFRunLoopTimerObject* timer = TimerOf(timerRef);
  if (timer == nullptr) return false;
  std::lock_guard lock(timer->mutex);
  return timer->valid;
}

CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timerRef) {
  CFRunLoopTimerObject* timer = TimerOf(timerRef);
  if (timer == nullptr) return 0.0;
  std::lock_guard lock(timer->mutex);
  return timer->fireDate;
}

void CFRunLoopWakeUp(CFRunLoopRef loopRef) {
  if (CFRunLoopObject* loop = LoopOf(loopRef)) loop->Wake();
}

}  // extern "C"

void CFRunLoopPerformBlock(CFRunLoopRef loopRef, CFTypeRef, std::function<void()> block) {
  CFRunLoopObject* loop = LoopOf(loopRef);
  if (loop == nullptr || !block) return;
  {
    std::lock_guard lock(loop->mutex);
    loop->blocks.push_back(std::move(block));
    loop->wakePending = true;
  }
  loop->woken.notify_all();
}

namespace standin::testing {

int RunOnce() {
  gMainThread.store(std::this_thread::get_id(), std::memory_order_release);
  return RunPass(*MainLoop());
}

void RunFor(CFTimeInterval seconds) {
  gMainThread.store(std::this_thread::get_id(), std::memory_order_release);
  if (UsesManualClock()) {
    RunForOnManualClock(*MainLoop(), seconds);
  } else {
    RunForOnRealClock(*MainLoop(), seconds);
  }
}

bool IsMainThread() {
  return std::this_thread::get_id() == gMainThread.load(std::memory_order_acquire);
}

}  // namespace standin::testing
