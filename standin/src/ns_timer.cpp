#include <Foundation/NSRef.h>
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSTimer.h>

#include <utility>

#include "usage_checks.h"

const CFStringRef NSDefaultRunLoopMode = CFStringMakeConstantString("kCFRunLoopDefaultMode");
const CFStringRef NSRunLoopCommonModes = CFStringMakeConstantString("kCFRunLoopCommonModes");

namespace standin::foundation {

struct RunLoopMaker {
  static NS::RunLoop* Make(CFRunLoopRef loop) { return new NS::RunLoop(loop); }
};

namespace {

// What the platform uses for an interval that is not above 0.
constexpr NS::TimeInterval kShortestInterval = 0.0001;

// The run loop object of a thread other than the main one, released when the thread ends.
struct ThreadRunLoop {
  NS::RunLoop* loop = nullptr;
  ~ThreadRunLoop() {
    if (loop != nullptr) loop->release();
  }
};

void Release(NS::Object*& object) {
  if (NS::Object* held = std::exchange(object, nullptr)) held->release();
}

}  // namespace
}  // namespace standin::foundation

namespace NS {

Timer::Timer(TimeInterval interval, Object* target, const SEL& selector, Object* userInfo, bool repeats)
    : interval_(interval > 0.0 ? interval : standin::foundation::kShortestInterval),
      repeats_(repeats),
      selector_(selector),
      target_(target),
      userInfo_(userInfo) {
  if (target_ != nullptr) target_->retain();
  if (userInfo_ != nullptr) userInfo_->retain();
  // The CF timer does not hold this object: a scheduled timer holds itself
  // through scheduled_, and an invalidated one never calls out again.
  CFRunLoopTimerContext context{0, this, nullptr, nullptr, nullptr};
  cfTimer_ = CFRunLoopTimerCreate(kCFAllocatorDefault, CFAbsoluteTimeGetCurrent() + interval_,
                                  repeats_ ? interval_ : 0.0, 0, 0, &Timer::Fire, &context);
}

Timer::~Timer() {
  CFRunLoopTimerInvalidate(cfTimer_);
  CFRelease(cfTimer_);
  standin::foundation::Release(target_);
  standin::foundation::Release(userInfo_);
}

Timer* Timer::timerWithTimeIntervalTargetSelectorUserInfoRepeats(TimeInterval interval, Object* target,
                                                                 const SEL& selector, Object* userInfo, bool repeats) {
  return static_cast<Timer*>((new Timer(interval, target, selector, userInfo, repeats))->autorelease());
}

void Timer::Fire(CFRunLoopTimerRef, void* info) {
  auto* timer = static_cast<Timer*>(info);
  const auto held = Ref<Timer>::Retain(timer);
  if (!timer->isValid()) return;
  if (timer->target_ != nullptr) timer->target_->performSelectorWithObject(timer->selector_, timer);
  if (!timer->repeats_) timer->invalidate();
}

void Timer::invalidate() {
  if (!std::exchange(valid_, false)) return;
  // Releasing the target can end it, and its end may invalidate or release this timer.
  const auto self = Ref<Timer>::Retain(this);
  CFRunLoopTimerInvalidate(cfTimer_);
  standin::foundation::Release(target_);
  standin::foundation::Release(userInfo_);
  if (std::exchange(scheduled_, false)) release();
}

RunLoop* RunLoop::mainRunLoop() {
  static RunLoop* const main = [] {
    RunLoop* loop = standin::foundation::RunLoopMaker::Make(CFRunLoopGetMain());
    loop->makeImmortal();
    return loop;
  }();
  return main;
}

RunLoop* RunLoop::currentRunLoop() {
  const CFRunLoopRef current = CFRunLoopGetCurrent();
  if (current == CFRunLoopGetMain()) return mainRunLoop();
  thread_local standin::foundation::ThreadRunLoop holder;
  if (holder.loop == nullptr) holder.loop = standin::foundation::RunLoopMaker::Make(current);
  return holder.loop;
}

void RunLoop::addTimerForMode(Timer* timer, CFStringRef mode) {
  if (timer == nullptr || mode == nullptr) {
    standin::appkit::CountValidationError();
    return;
  }
  if (!timer->isValid() || timer->scheduled_) return;
  timer->scheduled_ = true;
  timer->retain();
  CFRunLoopAddTimer(loop_, timer->cfTimer_, mode);
}

}  // namespace NS
