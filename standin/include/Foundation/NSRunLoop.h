#pragma once

// The run loop of a thread as an object: where timers are scheduled. Each
// wraps the thread's CFRunLoop, so the main one is the one the host and the
// tests pump.

#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSObject.h>

// The same modes as kCFRunLoopDefaultMode and kCFRunLoopCommonModes.
extern const CFStringRef NSDefaultRunLoopMode;
extern const CFStringRef NSRunLoopCommonModes;

namespace standin::foundation {
struct RunLoopMaker;
}

namespace NS {

class Timer;

class NS_CLASS_EXPORT RunLoop : public Object {
public:
  // The calling thread's loop: the main loop on the main thread. Not owned by
  // the caller; it lives as long as its thread.
  static RunLoop* currentRunLoop();
  static RunLoop* mainRunLoop();

  // Not owned by the caller.
  CFRunLoopRef getCFRunLoop() const { return loop_; }

  // The loop holds a reference to the timer until the timer is invalidated.
  // Adding a timer again (in another mode) or after it was invalidated does
  // nothing; a null timer or mode is refused.
  void addTimerForMode(Timer* timer, CFStringRef mode);

protected:
  ~RunLoop() override = default;

private:
  friend struct standin::foundation::RunLoopMaker;
  explicit RunLoop(CFRunLoopRef loop) : loop_(loop) {}

  CFRunLoopRef loop_;
};

}  // namespace NS
