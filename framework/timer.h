#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace plugkit {

// A repeating timer on the main run loop. Its function runs on the main
// thread, first on the loop's next pass and then once every period.
class Timer {
public:
  using TimerFunc = std::function<void(Timer&)>;

  static std::unique_ptr<Timer> Create(TimerFunc func, uint32_t periodMs);

  virtual ~Timer() = default;
  // No further calls once it returns (also when called from another thread
  // while the function runs). A second call does nothing.
  virtual void Stop() = 0;
};

// The timer on a CoreFoundation run-loop timer in the common modes, so it also
// fires while a menu or a modal loop runs.
class Timer_impl : public Timer {
public:
  Timer_impl(TimerFunc func, uint32_t periodMs);
  ~Timer_impl() override;
  Timer_impl(const Timer_impl&) = delete;
  Timer_impl& operator=(const Timer_impl&) = delete;

  void Stop() override;
  uint32_t PeriodMs() const { return mPeriodMs; }

private:
  static void TimerProc(CFRunLoopTimerRef timer, void* info);

  CFRunLoopTimerRef mOSTimer = nullptr;
  TimerFunc mTimerFunc;
  uint32_t mPeriodMs;
};

}  // namespace plugkit
