#include "framework/timer.h"

#include <utility>

namespace plugkit {

namespace {

constexpr double kMsPerSecond = 1000.0;

}  // namespace

std::unique_ptr<Timer> Timer::Create(TimerFunc func, uint32_t periodMs) {
  return std::make_unique<Timer_impl>(std::move(func), periodMs);
}

Timer_impl::Timer_impl(TimerFunc func, uint32_t periodMs) : mTimerFunc(std::move(func)), mPeriodMs(periodMs) {
  CFRunLoopTimerContext context = {0, this, nullptr, nullptr, nullptr};
  const CFAbsoluteTime firstFire = CFAbsoluteTimeGetCurrent();
  mOSTimer = CFRunLoopTimerCreate(kCFAllocatorDefault, firstFire, mPeriodMs / kMsPerSecond, 0, 0, TimerProc,
                                  &context);
  if (mOSTimer) CFRunLoopAddTimer(CFRunLoopGetMain(), mOSTimer, kCFRunLoopCommonModes);
}

Timer_impl::~Timer_impl() { Stop(); }

void Timer_impl::Stop() {
  if (!mOSTimer) return;
  CFRunLoopTimerInvalidate(mOSTimer);
  CFRelease(mOSTimer);
  mOSTimer = nullptr;
}

void Timer_impl::TimerProc(CFRunLoopTimerRef, void* info) {
  auto* timer = static_cast<Timer_impl*>(info);
  if (timer->mTimerFunc) timer->mTimerFunc(*timer);
}

}  // namespace plugkit
