#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>
#include <standin/testing/objects.h>
#include <standin/testing/run_loop.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using standin::testing::RunOnce;

constexpr CFTimeInterval kIdlePeriod = 20 / 1000.0;
// Long enough that an invalidation which does not wait would return inside it.
constexpr auto kCalloutHold = std::chrono::milliseconds(50);

struct SlowCallout {
  std::atomic<bool> entered{false};
  std::atomic<bool> invalidating{false};
  std::atomic<bool> finished{false};
  std::atomic<int> ticks{0};
};

void HoldWhileInvalidated(CFRunLoopTimerRef, void* info) {
  auto* state = static_cast<SlowCallout*>(info);
  state->ticks.fetch_add(1);
  state->entered.store(true);
  while (!state->invalidating.load()) std::this_thread::yield();
  std::this_thread::sleep_for(kCalloutHold);
  // The loop's lock must be free while the other thread waits in the invalidation.
  CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [] {});
  state->finished.store(true);
}

TEST(RunLoopThreadsTest, InvalidationFromAnotherThreadWaitsForTheRunningCallout) {
  standin::testing::ScopedManualClock clock(0.0);
  const long objectsAtStart = standin::testing::LiveObjectCount();
  SlowCallout state;
  CFRunLoopTimerContext context = {0, &state, nullptr, nullptr, nullptr};
  CFRunLoopTimerRef timer =
      CFRunLoopTimerCreate(nullptr, 0.0, kIdlePeriod, 0, 0, HoldWhileInvalidated, &context);
  CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);

  std::atomic<bool> finishedWhenInvalidateReturned{false};
  std::thread host([&] {
    while (!state.entered.load()) std::this_thread::yield();
    state.invalidating.store(true);
    CFRunLoopTimerInvalidate(timer);
    finishedWhenInvalidateReturned.store(state.finished.load());
    CFRelease(timer);
  });
  RunOnce();
  host.join();
  EXPECT_TRUE(finishedWhenInvalidateReturned.load());

  standin::testing::AdvanceManualClock(kIdlePeriod);
  RunOnce();  // also runs the block the callout posted
  EXPECT_EQ(state.ticks.load(), 1);
  EXPECT_EQ(standin::testing::LiveObjectCount(), objectsAtStart);
}

void RecordThread(CFRunLoopTimerRef timer, void* info) {
  *static_cast<std::thread::id*>(info) = std::this_thread::get_id();
  CFRunLoopTimerInvalidate(timer);
}

TEST(RunLoopThreadsTest, TimerAddedAndBlockPostedFromAnotherThreadRunOnThePumpingThread) {
  standin::testing::ScopedManualClock clock(0.0);
  std::thread::id timerThread;
  std::thread::id blockThread;
  std::thread worker([&] {
    CFRunLoopTimerContext context = {0, &timerThread, nullptr, nullptr, nullptr};
    CFRunLoopTimerRef timer = CFRunLoopTimerCreate(nullptr, CFAbsoluteTimeGetCurrent(), kIdlePeriod, 0,
                                                   0, RecordThread, &context);
    CFRunLoopAddTimer(CFRunLoopGetMain(), timer, kCFRunLoopCommonModes);
    CFRelease(timer);
    CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes,
                          [&blockThread] { blockThread = std::this_thread::get_id(); });
  });
  worker.join();
  EXPECT_EQ(RunOnce(), 2);
  EXPECT_EQ(timerThread, std::this_thread::get_id());
  EXPECT_EQ(blockThread, std::this_thread::get_id());
}

TEST(RunLoopThreadsTest, RealClockPumpWakesForBlocksPostedByManyThreads) {
  constexpr int kPosters = 4;
  constexpr int kBlocksEach = 250;
  int ran = 0;  // touched only on the pumping thread
  std::vector<std::thread> posters;
  for (int p = 0; p < kPosters; ++p) {
    posters.emplace_back([&ran] {
      for (int i = 0; i < kBlocksEach; ++i) {
        CFRunLoopPerformBlock(CFRunLoopGetMain(), kCFRunLoopCommonModes, [&ran] { ++ran; });
      }
    });
  }
  while (ran < kPosters * kBlocksEach) standin::testing::RunFor(0.01);
  for (auto& poster : posters) poster.join();
  RunOnce();
  EXPECT_EQ(ran, kPosters * kBlocksEach);
}

TEST(RunLoopThreadsTest, OtherThreadsHaveLoopsOfTheirOwn) {
  standin::testing::RunOnce();
  CFRunLoopRef seen = nullptr;
  std::thread other([&seen] { seen = CFRunLoopGetCurrent(); });
  other.join();
  EXPECT_NE(seen, CFRunLoopGetMain());
  EXPECT_TRUE(standin::testing::IsMainThread());
}

}  // namespace
