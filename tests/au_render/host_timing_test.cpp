// The host-timing snapshot taken before each processed block.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/au/host_timing.h"
#include "host/host_timing_callbacks.h"
#include "host/render_loop.h"
#include "render_test_support.h"

namespace plugkit::testing {
namespace {

using orvane::host::HostTiming;
using orvane::host::HostTimingCallbacks;

void ExpectDefaults(const ITimeInfo& info) {
  EXPECT_EQ(info.mTempo, 120.0);
  EXPECT_EQ(info.mSamplePos, -1.0);
  EXPECT_EQ(info.mPPQPos, -1.0);
  EXPECT_EQ(info.mLastBar, -1.0);
  EXPECT_EQ(info.mCycleStart, -1.0);
  EXPECT_EQ(info.mCycleEnd, -1.0);
  EXPECT_EQ(info.mNumerator, 4);
  EXPECT_EQ(info.mDenominator, 4);
  EXPECT_FALSE(info.mTransportIsRunning);
  EXPECT_FALSE(info.mTransportLoopEnabled);
}

HostTiming EveryCallback() {
  HostTiming timing;
  timing.offersBeatAndTempo = timing.offersMusicalTime = timing.offersTransportState = true;
  timing.currentBeat = 17.5;
  timing.tempo = 96.0;
  timing.numerator = 7.9f;
  timing.denominator = 8;
  timing.measureDownBeat = 14.0;
  timing.playing = true;
  timing.sampleInTimeline = 44100.0;
  timing.cycling = true;
  timing.cycleStartBeat = 8.0;
  timing.cycleEndBeat = 24.0;
  return timing;
}

ITimeInfo Read(const HostTiming& timing) {
  HostTimingCallbacks callbacks;
  callbacks.Set(timing);
  return ReadHostTiming(callbacks.Record());
}

TEST(HostTimingSnapshot, WithoutCallbacksEveryFieldKeepsItsDefault) { ExpectDefaults(ReadHostTiming({})); }

TEST(HostTimingSnapshot, TakesWhatEachCallbackReports) {
  const ITimeInfo info = Read(EveryCallback());
  EXPECT_EQ(info.mTempo, 96.0);
  EXPECT_EQ(info.mPPQPos, 17.5);
  EXPECT_EQ(info.mSamplePos, 44100.0);
  EXPECT_EQ(info.mLastBar, 14.0);
  EXPECT_EQ(info.mCycleStart, 8.0);
  EXPECT_EQ(info.mCycleEnd, 24.0);
  EXPECT_EQ(info.mNumerator, 7);  // truncated
  EXPECT_EQ(info.mDenominator, 8);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_TRUE(info.mTransportLoopEnabled);
}

TEST(HostTimingSnapshot, PositionsAndTempoCountOnlyAboveZeroButTheBeatIsTakenUnchanged) {
  HostTiming timing = EveryCallback();
  timing.tempo = 0.0;
  timing.currentBeat = -2.25;
  timing.sampleInTimeline = 0.0;
  timing.measureDownBeat = -1.5;
  timing.cycleStartBeat = 0.0;
  timing.cycleEndBeat = std::numeric_limits<double>::quiet_NaN();
  const ITimeInfo info = Read(timing);
  EXPECT_EQ(info.mTempo, 120.0);
  EXPECT_EQ(info.mPPQPos, -2.25);
  EXPECT_EQ(info.mSamplePos, -1.0);
  EXPECT_EQ(info.mLastBar, -1.0);
  EXPECT_EQ(info.mCycleStart, -1.0);
  EXPECT_EQ(info.mCycleEnd, -1.0);

  timing.currentBeat = 0.0;
  EXPECT_EQ(Read(timing).mPPQPos, 0.0);
}

TEST(HostTimingSnapshot, ANumeratorThatIsNotAFiniteIntKeepsFour) {
  HostTiming timing = EveryCallback();
  for (const float numerator : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                -std::numeric_limits<float>::infinity(), 1e20f}) {
    timing.numerator = numerator;
    EXPECT_EQ(Read(timing).mNumerator, 4) << numerator;
  }
  timing.numerator = 3.0f;
  EXPECT_EQ(Read(timing).mNumerator, 3);
}

TEST(HostTimingSnapshot, ACallbackThatFailsReportsNothing) {
  HostTiming timing = EveryCallback();
  timing.status = -1;
  ExpectDefaults(Read(timing));
}

TEST(HostTimingSnapshot, OnlyOfferedCallbacksAreAsked) {
  HostTiming timing = EveryCallback();
  timing.offersMusicalTime = false;
  timing.offersTransportState = false;
  const ITimeInfo info = Read(timing);
  EXPECT_EQ(info.mTempo, 96.0);
  EXPECT_EQ(info.mNumerator, 4);
  EXPECT_FALSE(info.mTransportIsRunning);
}

TEST(HostTimingSnapshot, IsRefreshedForEveryProcessedBlockAndNotWhileBypassed) {
  OpenedRenderPlugin opened;
  InputSignal signal;
  opened.Plugin().SetInputCallback(0, &InputSignal::Pull, &signal);
  HostTimingCallbacks callbacks;
  callbacks.Set(EveryCallback());
  opened.Plugin().SetHostCallbacks(callbacks.Record());
  orvane::host::RenderLoop loop(opened.Unit(), 16, {2});

  ASSERT_EQ(loop.RenderBlock(16), noErr);
  EXPECT_EQ(opened.Plugin().GetTimeInfo().mTempo, 96.0);
  EXPECT_EQ(opened.Plugin().mLastBlockTiming.mTempo, 96.0);

  HostTiming faster = EveryCallback();
  faster.tempo = 140.0;
  callbacks.Set(faster);
  opened.Plugin().SetBypassed(true);
  ASSERT_EQ(loop.RenderBlock(16), noErr);
  EXPECT_EQ(opened.Plugin().GetTimeInfo().mTempo, 96.0);
  opened.Plugin().SetBypassed(false);
  ASSERT_EQ(loop.RenderBlock(16), noErr);
  EXPECT_EQ(opened.Plugin().mLastBlockTiming.mTempo, 140.0);

  opened.Plugin().SetHostCallbacks({});
  ASSERT_EQ(loop.RenderBlock(16), noErr);
  ExpectDefaults(opened.Plugin().mLastBlockTiming);
}

}  // namespace
}  // namespace plugkit::testing
