// The idle-tick gate with the plug-in built and destroyed on a host thread
// while the main thread pumps the run loop, as a host that opens components
// off the main thread does.

#include <gtest/gtest.h>
#include <standin/testing/run_loop.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "main_loop_pump.h"
#include "test_plugin.h"

namespace plugkit {
namespace {

using testing::kPumpSeconds;

constexpr int kTicksWhileOpen = 3;
// Long enough for the main loop to fire the timer while construction or destruction goes on.
constexpr auto kSlowStep = std::chrono::milliseconds(60);

// Starts the idle timer at the end of its constructor, as the API wrapper does.
class WrapperLike : public IPluginAPIBase {
public:
  WrapperLike() : IPluginAPIBase(testing::MakeTestConfig(), kAPIAU) { StartIdleTimer(); }
};

// The product's part: slow to build and to tear down, and it checks that no
// tick reaches it outside its lifetime.
class SlowProduct : public WrapperLike {
public:
  SlowProduct(std::atomic<int>& ticks, std::atomic<int>& violations) : mTicks(ticks), mViolations(violations) {
    std::this_thread::sleep_for(kSlowStep);
    mConstructed.store(true);
  }
  ~SlowProduct() override {
    mDestroying.store(true);
    std::this_thread::sleep_for(kSlowStep);
  }

  void OnIdle() override {
    if (!mConstructed.load() || mDestroying.load()) mViolations.fetch_add(1);
    mTicks.fetch_add(1);
  }

private:
  std::atomic<int>& mTicks;
  std::atomic<int>& mViolations;
  std::atomic<bool> mConstructed{false};
  std::atomic<bool> mDestroying{false};
};

TEST(IdleGateThreadsTest, NoTickReachesAHalfBuiltOrHalfDestroyedPlugin) {
  std::atomic<int> ticks{0};
  std::atomic<int> violations{0};
  std::atomic<int> ticksAtStop{-1};
  std::atomic<bool> hostDone{false};

  std::thread hostThread([&] {
    auto plugin = std::make_unique<SlowProduct>(ticks, violations);
    plugin->OpenIdleTickGate();
    while (ticks.load() < kTicksWhileOpen) std::this_thread::yield();
    plugin->StopIdleTimer();
    ticksAtStop.store(ticks.load());
    plugin.reset();
    hostDone.store(true);
  });
  while (!hostDone.load()) standin::testing::RunFor(kPumpSeconds);
  hostThread.join();
  standin::testing::RunFor(kPumpSeconds * 10);

  EXPECT_EQ(violations.load(), 0);
  EXPECT_GE(ticks.load(), kTicksWhileOpen);
  EXPECT_EQ(ticks.load(), ticksAtStop.load());  // nothing after the stop
}

}  // namespace
}  // namespace plugkit
