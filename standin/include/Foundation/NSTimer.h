#pragma once

// Timers that send an action to a target from a run loop (NS::RunLoop). Used
// on the thread of the timer's run loop.

#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSObject.h>

namespace NS {

class RunLoop;

class NS_CLASS_EXPORT Timer : public Object {
public:
  // Autoreleased and not yet on a run loop (RunLoop::addTimerForMode). It
  // fires `interval` seconds after this call (0.1 ms for an interval that is
  // not above 0), then every interval when it repeats, sending the selector to
  // the target with the timer as sender. The target and the user info are
  // retained until the timer is invalidated; a one-shot timer invalidates
  // itself once it fired.
  static Timer* timerWithTimeIntervalTargetSelectorUserInfoRepeats(TimeInterval interval, Object* target,
                                                                   const SEL& selector, Object* userInfo, bool repeats);

  // Stops the timer for good and releases its target, its user info and the
  // run loop's reference to it. Call it on the thread of the timer's run loop;
  // calling it again does nothing.
  void invalidate();
  bool isValid() const { return valid_; }
  // 0 for a one-shot timer.
  TimeInterval timeInterval() const { return repeats_ ? interval_ : 0.0; }
  // Not owned by the caller; null once invalidated.
  Object* userInfo() const { return userInfo_; }

protected:
  ~Timer() override;

private:
  friend class RunLoop;
  Timer(TimeInterval interval, Object* target, const SEL& selector, Object* userInfo, bool repeats);
  static void Fire(CFRunLoopTimerRef cfTimer, void* info);

  const TimeInterval interval_;
  const bool repeats_;
  const SEL selector_;
  Object* target_;
  Object* userInfo_;
  CFRunLoopTimerRef cfTimer_;
  bool valid_ = true;
  bool scheduled_ = false;  // a run loop holds a reference
};

}  // namespace NS
