#pragma once

// The run loop: one main loop, pumped by the thread that is therefore the main
// thread; timers and posted blocks run on that thread, never under a lock.

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFString.h>

#include <functional>

typedef struct CFRunLoopObject* CFRunLoopRef;
typedef struct CFRunLoopTimerObject* CFRunLoopTimerRef;
typedef CFStringRef CFRunLoopMode;

typedef void (*CFRunLoopTimerCallBack)(CFRunLoopTimerRef timer, void* info);

struct CFRunLoopTimerContext {
  CFIndex version;
  void* info;
  const void* (*retain)(const void* info);
  void (*release)(const void* info);
  CFStringRef (*copyDescription)(const void* info);
};

CF_EXTERN_C_BEGIN

// Every mode is the same here: timers and blocks run whatever mode they name.
extern const CFRunLoopMode kCFRunLoopDefaultMode;
extern const CFRunLoopMode kCFRunLoopCommonModes;

CFTypeID CFRunLoopGetTypeID(void);
CFTypeID CFRunLoopTimerGetTypeID(void);

CFRunLoopRef CFRunLoopGetMain(void);
// The main loop on the main thread; elsewhere a loop of that thread's own.
CFRunLoopRef CFRunLoopGetCurrent(void);

// A repeating timer when the interval is above 0, a one-shot timer otherwise.
// The context is copied; its retain callback (when set) retains info.
CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef allocator, CFAbsoluteTime fireDate,
                                       CFTimeInterval interval, CFOptionFlags flags,
                                       CFIndex order, CFRunLoopTimerCallBack callout,
                                       CFRunLoopTimerContext* context);
// Callable from any thread; the loop keeps a reference until the timer is invalidated.
void CFRunLoopAddTimer(CFRunLoopRef loop, CFRunLoopTimerRef timer, CFRunLoopMode mode);
// Stops the timer for good and drops the loop's reference at once. From another
// thread it returns only when a running callout of the timer has finished; on
// the pumping thread (inside the timer's own callout too) it returns at once.
void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer);
Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer);
CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer);

void CFRunLoopWakeUp(CFRunLoopRef loop);

CF_EXTERN_C_END

// Queues work for the loop's next pass and wakes it; callable from any thread.
void CFRunLoopPerformBlock(CFRunLoopRef loop, CFTypeRef mode, std::function<void()> block);
