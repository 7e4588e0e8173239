#include "framework/timer.h"

#include <gtest/gtest.h>
#include <standin/testing/run_loop.h>

#include <memory>
#include <string>
#include <vector>

#include "test_plugin.h"

namespace plugkit {
namespace {

using standin::testing::AdvanceManualClock;
using standin::testing::RunOnce;
using standin::testing::ScopedManualClock;
using testing::TestPlugin;

constexpr double kPeriodSeconds = IPluginAPIBase::kIdleTimerPeriodMs / 1000.0;

TEST(TimerTest, FiresOnTheNextPassAndThenOncePerPeriod) {
  ScopedManualClock clock(100.0);
  int ticks = 0;
  Timer* seen = nullptr;
  std::unique_ptr<Timer> timer = Timer::Create(
      [&](Timer& t) {
        ++ticks;
        seen = &t;
      },
      IPluginAPIBase::kIdleTimerPeriodMs);
  RunOnce();
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(seen, timer.get());
  RunOnce();
  EXPECT_EQ(ticks, 1);  // not due again before a period has passed
  AdvanceManualClock(kPeriodSeconds);
  RunOnce();
  EXPECT_EQ(ticks, 2);
}

TEST(TimerTest, StoppingTwiceIsHarmlessAndEndsTheTicks) {
  ScopedManualClock clock(0.0);
  int ticks = 0;
  std::unique_ptr<Timer> timer = Timer::Create([&](Timer&) { ++ticks; }, IPluginAPIBase::kIdleTimerPeriodMs);
  timer->Stop();
  timer->Stop();
  EXPECT_EQ(RunOnce(), 0);
  AdvanceManualClock(kPeriodSeconds);
  EXPECT_EQ(RunOnce(), 0);
  EXPECT_EQ(ticks, 0);
}

TEST(TimerTest, ATimerMayStopItselfFromItsOwnFunction) {
  ScopedManualClock clock(0.0);
  int ticks = 0;
  std::unique_ptr<Timer> timer = Timer::Create(
      [&](Timer& t) {
        ++ticks;
        t.Stop();
      },
      IPluginAPIBase::kIdleTimerPeriodMs);
  RunOnce();
  AdvanceManualClock(kPeriodSeconds);
  RunOnce();
  EXPECT_EQ(ticks, 1);
}

TEST(IdleTimerTest, TicksReachThePluginOnlyOnceTheGateOpens) {
  ScopedManualClock clock(0.0);
  TestPlugin plugin;
  plugin.StartIdleTimer();
  RunOnce();
  EXPECT_TRUE(plugin.mLog.empty());
  plugin.OpenIdleTickGate();
  AdvanceManualClock(kPeriodSeconds);
  RunOnce();
  AdvanceManualClock(kPeriodSeconds);
  RunOnce();
  EXPECT_EQ(plugin.mLog, (std::vector<std::string>{"idle", "idle"}));

  plugin.StopIdleTimer();
  AdvanceManualClock(kPeriodSeconds);
  EXPECT_EQ(RunOnce(), 0);
  EXPECT_EQ(plugin.mLog.size(), 2u);
}

TEST(IdleTimerTest, RestartingReplacesTheTimer) {
  ScopedManualClock clock(0.0);
  TestPlugin plugin;
  plugin.OpenIdleTickGate();
  plugin.StartIdleTimer();
  plugin.StartIdleTimer();
  EXPECT_EQ(RunOnce(), 1);
  EXPECT_EQ(plugin.mLog.size(), 1u);
}

// A plug-in that logs to a record outliving it.
class LoggingPlugin : public TestPlugin {
public:
  explicit LoggingPlugin(std::vector<std::string>& log) : mOutsideLog(log) {}
  ~LoggingPlugin() override { mOutsideLog.push_back("destroyed"); }
  void OnIdle() override { mOutsideLog.push_back("idle"); }

private:
  std::vector<std::string>& mOutsideLog;
};

TEST(IdleTimerTest, DestroyingTheAPIBaseStopsItsTimer) {
  ScopedManualClock clock(0.0);
  std::vector<std::string> log;
  auto plugin = std::make_unique<LoggingPlugin>(log);
  plugin->StartIdleTimer();
  plugin->OpenIdleTickGate();
  RunOnce();
  plugin.reset();
  AdvanceManualClock(kPeriodSeconds);
  EXPECT_EQ(RunOnce(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"idle", "destroyed"}));
}

}  // namespace
}  // namespace plugkit
