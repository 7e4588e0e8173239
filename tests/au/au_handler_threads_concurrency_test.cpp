// The handlers from the threads a host uses at once: parameters from one
// thread, MIDI from another, while the main thread's idle timer drains the
// queues towards the editor. Nothing takes a lock.

#include <gtest/gtest.h>
#include <standin/testing/run_loop.h>

#include <atomic>
#include <thread>

#include "au_test_support.h"

namespace plugkit::testing {
namespace {

constexpr int kCalls = 2000;
constexpr CFTimeInterval kPumpStep = 0.02;

TEST(AUHandlerThreads, ParametersAndMidiFromTwoThreadsWhileTheIdleTimerDrains) {
  const standin::testing::ScopedManualClock clock;
  OpenedTestPlugin opened;
  orvane::host::AudioUnitInstance& unit = opened.Unit();
  TestPlugin& plugin = opened.Plugin();
  std::atomic<int> finished{0};
  std::atomic<int> failures{0};

  std::thread parameters([&] {
    for (int i = 0; i < kCalls; ++i) {
      const float gain = static_cast<float>(i % 200) / 100.0f;
      if (unit.SetParameter(TestPlugin::kGain, kAudioUnitScope_Global, 0, gain, 0) != noErr) failures.fetch_add(1);
    }
    finished.fetch_add(1);
  });
  std::thread midi([&] {
    for (int i = 0; i < kCalls; ++i) {
      if (unit.MIDIEvent(0xB0, 1, static_cast<UInt32>(i % 128), 0) != noErr) failures.fetch_add(1);
    }
    finished.fetch_add(1);
  });
  while (finished.load() < 2) standin::testing::RunFor(kPumpStep);
  parameters.join();
  midi.join();
  standin::testing::RunFor(kPumpStep);

  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(plugin.mMidiCount.load(), kCalls);
  EXPECT_EQ(plugin.mParamChanges.load(), kCalls);
  EXPECT_GT(plugin.mIdleTicks.load(), 0);
  IMidiMsg msg;
  EXPECT_FALSE(plugin.PopMidiForEditor(msg)) << "the last tick drained the editor's queue";
}

}  // namespace
}  // namespace plugkit::testing
