// Frame timers on the main run loop, blocks on the main queue, and animation
// groupings around view changes.

#include <AppKit/NSAnimationContext.h>
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSTimer.h>
#include <dispatch/dispatch.h>
#include <standin/testing/run_loop.h>

#include "appkit_fixture.h"

namespace {

using standin::testing::AdvanceManualClock;
using standin::testing::RunOnce;

constexpr CFTimeInterval kFramePeriod = 1.0 / 60.0;

// A timer's target: logs each tick and what its callouts post.
class Ticker : public NS::Object {
public:
  Ticker(std::vector<std::string>& log, bool& ended) : log_(log), ended_(ended) {}

  bool postBlocks = false;
  bool autoreleaseObject = false;
  NS::Object* lastSender = nullptr;

  void onTimer(NS::Object* sender) {
    lastSender = sender;
    log_.push_back("tick");
    if (postBlocks) {
      for (const char* name : {"first", "second"}) {
        dispatch_async(dispatch_get_main_queue(), [this, name] { log_.push_back(name); });
      }
    }
    if (autoreleaseObject) (new Ticker(log_, autoreleasedEnded))->autorelease();
  }

  bool autoreleasedEnded = false;

protected:
  ~Ticker() override { ended_ = true; }

private:
  std::vector<std::string>& log_;
  bool& ended_;
};

class AppKitTimersTest : public AppKitTest {
protected:
  // The target belongs to the timer alone once it is scheduled; the test holds the timer.
  NS::Ref<NS::Timer> Schedule(Ticker* target, bool repeats, CFStringRef mode) {
    const NS::AutoreleasePool pool;
    NS::Timer* timer = NS::Timer::timerWithTimeIntervalTargetSelectorUserInfoRepeats(
        kFramePeriod, target, NS_SELECTOR(Ticker, onTimer), nullptr, repeats);
    NS::RunLoop::currentRunLoop()->addTimerForMode(timer, mode);
    target->release();
    return NS::Ref<NS::Timer>::Retain(timer);
  }

  int TicksOverFrames(const std::vector<std::string>& log, int frames) {
    const std::size_t before = log.size();
    for (int frame = 0; frame < frames; ++frame) {
      AdvanceManualClock(kFramePeriod);
      RunOnce();
      RunOnce();
    }
    return static_cast<int>(log.size() - before);
  }

  standin::testing::ScopedManualClock clock_{500.0};
};

TEST_F(AppKitTimersTest, ATimerFiresOncePerPeriodAndHoldsItsTargetUntilInvalidated) {
  struct Case {
    bool repeats;
    CFStringRef mode;
    int ticksOverFiveFrames;
  };
  const Case cases[] = {
      {true, kCFRunLoopCommonModes, 5}, {true, NSDefaultRunLoopMode, 5}, {false, kCFRunLoopCommonModes, 1}};
  for (const Case& c : cases) {
    std::vector<std::string> log;
    bool targetEnded = false;
    auto* target = new Ticker(log, targetEnded);
    const NS::Ref<NS::Timer> timer = Schedule(target, c.repeats, c.mode);
    RunOnce();
    EXPECT_TRUE(log.empty()) << "a timer first fires one period after it was made";
    EXPECT_EQ(TicksOverFrames(log, 5), c.ticksOverFiveFrames);
    EXPECT_EQ(timer->isValid(), c.repeats);
    EXPECT_EQ(targetEnded, !c.repeats) << "a one-shot timer lets its target go once it fired";
    if (c.repeats) {
      EXPECT_EQ(target->lastSender, timer.get());
      timer->invalidate();
      EXPECT_TRUE(targetEnded);
      EXPECT_EQ(TicksOverFrames(log, 3), 0);
    }
  }
}

TEST_F(AppKitTimersTest, BlocksPostedFromACalloutRunOnTheNextPassInOrder) {
  std::vector<std::string> log;
  bool targetEnded = false;
  auto* target = new Ticker(log, targetEnded);
  target->postBlocks = true;
  target->autoreleaseObject = true;
  const NS::Ref<NS::Timer> timer = Schedule(target, true, kCFRunLoopCommonModes);
  AdvanceManualClock(kFramePeriod);
  RunOnce();
  EXPECT_EQ(log, (std::vector<std::string>{"tick"}));
  EXPECT_TRUE(target->autoreleasedEnded) << "the pass drains the callout's autorelease pool";
  target->postBlocks = false;
  RunOnce();
  EXPECT_EQ(log, (std::vector<std::string>{"tick", "first", "second"}));
  timer->invalidate();
  EXPECT_TRUE(targetEnded);
}

TEST_F(AppKitTimersTest, AnimationGroupingsRecordTheInnermostDurationAndTheFramesChangedInThem) {
  NS::View* view = (new NS::View)->initWithFrame(NS::MakeRect(0, 0, 100, 100));
  NS::AnimationContext::beginGrouping();
  NS::AnimationContext::currentContext()->setDuration(0.0);
  view->setFrameSize(NS::Size{200, 150});
  NS::AnimationContext::beginGrouping();
  EXPECT_EQ(NS::AnimationContext::currentContext()->duration(), 0.25);
  NS::AnimationContext::endGrouping();
  NS::AnimationContext::endGrouping();
  view->setFrameSize(NS::Size{300, 150});  // outside any grouping
  EXPECT_EQ(view->frame().size, (NS::Size{300, 150})) << "nothing animates: changes take effect at once";
  const auto groupings = standin::testing::EndedAnimationGroupings();
  ASSERT_EQ(groupings.size(), 2u);
  EXPECT_EQ(groupings[0].duration, 0.25);
  EXPECT_TRUE(groupings[0].framesChanged.empty());
  EXPECT_EQ(groupings[1].duration, 0.0);
  EXPECT_EQ(groupings[1].framesChanged, (std::vector<const NS::View*>{view}));
  NS::AnimationContext::endGrouping();
  EXPECT_EQ(standin::testing::AppKitValidationErrorCount(), 1) << "ending a grouping that is not open";
  EXPECT_EQ(standin::testing::OpenAnimationGroupingCount(), 0);
  view->release();
}

}  // namespace
