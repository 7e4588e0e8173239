// Instances opened, used and closed on two threads at once.

#include <gtest/gtest.h>
#include <standin/testing/objects.h>
#include <standin/testing/run_loop.h>

#include <atomic>
#include <thread>

#include "host_test_support.h"

namespace orvane::host::testing {
namespace {

constexpr int kRounds = 25;

TEST(InstanceThreads, TwoThreadsOpenAndCloseInstancesAtOnce) {
  TestPluginProbe probe(TestPluginBundle());
  const long objectsAtStart = standin::testing::LiveObjectCount();
  const int instancesAtStart = probe.liveInstances();

  std::atomic<int> failures{0};
  std::atomic<int> finished{0};
  auto work = [&failures, &finished] {
    for (int i = 0; i < kRounds; ++i) {
      OSStatus status = noErr;
      auto instance = AudioUnitInstance::Open(TestPluginBundle(), status);
      if (!instance || instance->Initialize() != noErr || instance->MIDIEvent(0x90, 60, 1) != noErr)
        failures.fetch_add(1);
    }
    finished.fetch_add(1);
  };
  std::thread first(work);
  std::thread second(work);
  // Meanwhile the main thread pumps, so live instances' timers fire here.
  while (finished.load() < 2) {
    standin::testing::RunOnce();
    std::this_thread::yield();
  }
  first.join();
  second.join();
  standin::testing::RunOnce();

  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(probe.liveInstances(), instancesAtStart);
  EXPECT_EQ(standin::testing::LiveObjectCount(), objectsAtStart);
}

}  // namespace
}  // namespace orvane::host::testing
