#pragma once

// Driving the main run loop: tests on a manual clock, the host on the real one.
// The thread that pumps becomes the main thread.

#include <CoreFoundation/CFDate.h>

namespace standin::testing {

// From now on CFAbsoluteTimeGetCurrent answers the manual clock, which starts at `now`.
void UseManualClock(CFAbsoluteTime now);
void AdvanceManualClock(CFTimeInterval seconds);
void UseRealClock();
bool UsesManualClock();

// Manual clock for a scope; the real clock afterwards.
class ScopedManualClock {
public:
  explicit ScopedManualClock(CFAbsoluteTime now = 0.0) { UseManualClock(now); }
  ~ScopedManualClock() { UseRealClock(); }
  ScopedManualClock(const ScopedManualClock&) = delete;
  ScopedManualClock& operator=(const ScopedManualClock&) = delete;
};

// One pass of the main loop: the posted blocks, then every due timer at most
// once. Answers the number of callouts run.
int RunOnce();

// Pumps for `seconds` of the clock. On the real clock it sleeps between passes
// until a timer is due or work is posted; on the manual clock it steps the
// clock from one fire date to the next and ends at now + seconds.
void RunFor(CFTimeInterval seconds);

// Whether the calling thread is the one that pumps (or last pumped) the main loop.
bool IsMainThread();

}  // namespace standin::testing
