#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>
#include <standin/testing/run_loop.h>

#include <vector>

#include "leak_checked_test.h"

namespace {

using standin::testing::AdvanceManualClock;
using standin::testing::RunFor;
using standin::testing::RunOnce;

constexpr CFTimeInterval kIdlePeriod = 20 / 1000.0;

// What one timer saw; the timer's info pointer.
struct Ticks {
  int count = 0;
  std::vector<CFAbsoluteTime> times;
  bool invalidateInCallout = false;
  bool pumpInCallout = false;
};

void CountTick(CFRunLoopTimerRef timer, void* info) {
  auto* ticks = static_cast<Ticks*>(info);
  ++ticks->count;
  ticks->times.push_back(CFAbsoluteTimeGetCurrent());
  if (ticks->invalidateInCallout) CFRunLoopTimerInvalidate(timer);
  if (ticks->pumpInCallout) {
    // The timer is due again inside its own callout; the nested pass must skip it.
    AdvanceManualClock(kIdlePeriod);
    RunOnce();
  }
}

class RunLoopTest : public LeakCheckedTest {
protected:
  // A timer first due now, on the main loop; the test owns one reference.
  CFRunLoopTimerRef AddTimer(Ticks& ticks, CFTimeInterval interval) {
    CFRunLoopTimerContext context = {0, &ticks, nullptr, nullptr, nullptr};
    CFRunLoopTimerRef timer = CFRunLoopTimerCreate(kCFAllocatorDefault, CFAbsoluteTimeGetCurrent(),
                                                   interval, 0, 0, CountTick, &context);
    CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);
    return timer;
  }

  void Stop(CFRunLoopTimerRef timer) {
    CFRunLoopTimerInvalidate(timer);
    CFRelease(timer);
  }

  standin::testing::ScopedManualClock clock_{1000.0};
};

TEST_F(RunLoopTest, TimerFiresAtOnceThenOncePerPeriodAdvanced) {
  Ticks ticks;
  CFRunLoopTimerRef timer = AddTimer(ticks, kIdlePeriod);
  RunOnce();
  EXPECT_EQ(ticks.count, 1);
  RunOnce();
  EXPECT_EQ(ticks.count, 1);
  for (int period = 1; period <= 5; ++period) {
    AdvanceManualClock(kIdlePeriod);
    RunOnce();
    RunOnce();
    EXPECT_EQ(ticks.count, 1 + period);
  }
  Stop(timer);
}

TEST_F(RunLoopTest, MissedTicksAreNotQueuedAndTheNextIsAPeriodFromNow) {
  Ticks ticks;
  CFRunLoopTimerRef timer = AddTimer(ticks, kIdlePeriod);
  RunOnce();
  AdvanceManualClock(10 * kIdlePeriod);
  EXPECT_EQ(RunOnce(), 1);
  EXPECT_EQ(ticks.count, 2);
  EXPECT_EQ(CFRunLoopTimerGetNextFireDate(timer), CFAbsoluteTimeGetCurrent() + kIdlePeriod);
  Stop(timer);
}

TEST_F(RunLoopTest, RunForStepsTheManualClockThroughEachFireDate) {
  Ticks ticks;
  CFRunLoopTimerRef timer = AddTimer(ticks, kIdlePeriod);
  const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
  RunFor(5 * kIdlePeriod);
  EXPECT_EQ(ticks.count, 6);  // at 0, 20, 40, 60, 80 and 100 ms
  EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent(), start + 5 * kIdlePeriod);
  for (std::size_t i = 1; i < ticks.times.size(); ++i) {
    EXPECT_NEAR(ticks.times[i] - ticks.times[i - 1], kIdlePeriod, 1e-9);
  }
  Stop(timer);
}

TEST_F(RunLoopTest, InvalidatedTimerNeverFiresAgainAndLoopDropsItsReference) {
  Ticks ticks;
  CFRunLoopTimerRef timer = AddTimer(ticks, kIdlePeriod);
  RunOnce();
  EXPECT_EQ(CFGetRetainCount(timer), 2);
  CFRunLoopTimerInvalidate(timer);
  EXPECT_EQ(CFGetRetainCount(timer), 1);
  EXPECT_FALSE(CFRunLoopTimerIsValid(timer));
  RunFor(10 * kIdlePeriod);
  EXPECT_EQ(ticks.count, 1);
  CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);  // an invalid timer stays out
  RunFor(kIdlePeriod);
  EXPECT_EQ(ticks.count, 1);
  CFRunLoopTimerInvalidate(timer);  // a second time is harmless
  CFRelease(timer);
}

TEST_F(RunLoopTest, CalloutThatInvalidatesItsOwnTimerReturnsAndItNeverFiresAgain) {
  Ticks ticks;
  ticks.invalidateInCallout = true;
  CFRunLoopTimerRef timer = AddTimer(ticks, kIdlePeriod);
  RunOnce();
  EXPECT_EQ(ticks.count, 1);
  EXPECT_FALSE(CFRunLoopTimerIsValid(timer));
  RunFor(10 * kIdlePeriod);
  EXPECT_EQ(ticks.count, 1);
  CFRelease(timer);
}

TEST_F(RunLoopTest, TimerReleasedByItsOwnerKeepsRunningUntilInvalidated) {
  Ticks ticks;
  ticks.invalidateInCallout = true;
  CFRunLoopTimerRef timer = AddTimer(ticks, kIdlePeriod);
  CFRelease(timer);  // only the loop holds it now; its callout ends it
  RunOnce();
  EXPECT_EQ(ticks.count, 1);
}

TEST_F(RunLoopTest, NestedPumpDoesNotFireATimerWhoseCalloutIsRunning) {
  Ticks outer;
  outer.pumpInCallout = true;
  CFRunLoopTimerRef timer = AddTimer(outer, kIdlePeriod);
  RunOnce();
  EXPECT_EQ(outer.count, 1);
  RunOnce();
  EXPECT_EQ(outer.count, 2);
  Stop(timer);
}

TEST_F(RunLoopTest, OneShotTimerFiresOnceAndIsInvalidated) {
  Ticks ticks;
  CFRunLoopTimerRef timer = AddTimer(ticks, 0.0);
  RunFor(5 * kIdlePeriod);
  EXPECT_EQ(ticks.count, 1);
  EXPECT_FALSE(CFRunLoopTimerIsValid(timer));
  CFRelease(timer);
}

TEST_F(RunLoopTest, FutureFireDateWaitsForTheClock) {
  Ticks ticks;
  CFRunLoopTimerContext context = {0, &ticks, nullptr, nullptr, nullptr};
  CFRunLoopTimerRef timer = CFRunLoopTimerCreate(nullptr, CFAbsoluteTimeGetCurrent() + 1.0, kIdlePeriod,
                                                 0, 0, CountTick, &context);
  CFRunLoopAddTimer(CFRunLoopGetCurrent(), timer, kCFRunLoopDefaultMode);
  RunFor(0.5);
  EXPECT_EQ(ticks.count, 0);
  RunFor(0.5);
  EXPECT_EQ(ticks.count, 1);
  Stop(timer);
}

struct ContextCounts {
  int retains = 0;
  int releases = 0;
};

const void* RetainContext(const void* info) {
  ++static_cast<ContextCounts*>(const_cast<void*>(info))->retains;
  return info;
}

void ReleaseContext(const void* info) {
  ++static_cast<ContextCounts*>(const_cast<void*>(info))->releases;
}

void Ignore(CFRunLoopTimerRef, void*) {}

TEST_F(RunLoopTest, TimerRetainsItsContextInfoAndReleasesItWhenFreed) {
  ContextCounts counts;
  CFRunLoopTimerContext context = {0, &counts, RetainContext, ReleaseContext, nullptr};
  CFRunLoopTimerRef timer = CFRunLoopTimerCreate(nullptr, 0.0, kIdlePeriod, 0, 0, Ignore, &context);
  CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);
  EXPECT_EQ(counts.retains, 1);
  Stop(timer);
  EXPECT_EQ(counts.releases, 1);
}

TEST_F(RunLoopTest, PostedBlocksRunOnTheNextPassInOrder) {
  std::vector<int> order;
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [&order] { order.push_back(1); });
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [&order] {
    order.push_back(2);
    // Posted while running: waits for the following pass.
    CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [&order] { order.push_back(3); });
  });
  EXPECT_EQ(RunOnce(), 2);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(RunOnce(), 1);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(RunLoopTest, PumpingThreadIsTheMainThread) {
  RunOnce();
  EXPECT_TRUE(standin::testing::IsMainThread());
  EXPECT_EQ(CFRunLoopGetCurrent(), CFRunLoopGetMain());
  EXPECT_EQ(CFGetTypeID(CFRunLoopGetMain()), CFRunLoopGetTypeID());
}

TEST(RunLoopClockTest, ManualClockHoldsUntilAdvancedAndRealClockResumes) {
  {
    standin::testing::ScopedManualClock clock(50.0);
    EXPECT_TRUE(standin::testing::UsesManualClock());
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), 50.0);
    AdvanceManualClock(0.25);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), 50.25);
  }
  EXPECT_FALSE(standin::testing::UsesManualClock());
  // The real clock counts from 2001: any date after 2020 is far past 6e8 seconds.
  EXPECT_GT(CFAbsoluteTimeGetCurrent(), 6e8);
}

}  // namespace
