// Each queue between its real producer and consumer threads. The idle tick
// runs on the main run loop, pumped by the test thread on the real clock.

#include <gtest/gtest.h>
#include <standin/testing/run_loop.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "main_loop_pump.h"
#include "test_plugin.h"

namespace plugkit {
namespace {

using testing::kPumpSeconds;
using testing::TestPlugin;

constexpr int kParamMessages = 3000;
constexpr int kMidiMessages = 1000;
constexpr int kSysExMessages = 200;
constexpr int kSysExSize = 300;

// Pumps the main run loop until done() holds.
template <class Done>
void PumpUntil(Done done) {
  while (!done()) standin::testing::RunFor(kPumpSeconds);
}

// Waits (yielding) while the queue is full, so no record is dropped.
template <class Size>
void WaitForRoom(Size size, uint64_t capacity) {
  while (size() >= capacity) std::this_thread::yield();
}

uint8_t SysExByte(int message, int i) { return static_cast<uint8_t>((message * 31 + i) & 0x7F); }

TEST(QueueThreadsTest, ParameterValuesFromTheHostThreadReachTheEditorInOrder) {
  TestPlugin plugin(testing::MakeTestConfig(4));
  plugin.OpenIdleTickGate();
  plugin.StartIdleTimer();
  std::thread hostParamThread([&] {
    for (int i = 0; i < kParamMessages; ++i) {
      WaitForRoom([&] { return plugin.ParamQueueSize(); }, IPluginAPIBase::kParamChangeQueueCapacity);
      plugin.QueueParamValueForEditor(i % 4, i, false);
    }
  });
  PumpUntil([&] { return plugin.mParamValues.size() == static_cast<size_t>(kParamMessages); });
  hostParamThread.join();
  plugin.StopIdleTimer();
  for (int i = 0; i < kParamMessages; ++i) ASSERT_EQ(plugin.mParamValues[static_cast<size_t>(i)], i);
}

TEST(QueueThreadsTest, MidiFromTheMidiThreadReachesTheEditorInOrder) {
  TestPlugin plugin;
  plugin.OpenIdleTickGate();
  plugin.StartIdleTimer();
  std::thread midiThread([&] {
    for (int i = 0; i < kMidiMessages; ++i) {
      WaitForRoom([&] { return plugin.MidiToEditorQueueSize(); }, IPluginAPIBase::kMidiQueueCapacity);
      plugin.PushMidiFromProcessor(IMidiMsg(i, 0xB0, static_cast<uint8_t>(i & 0x7F), 1));
    }
  });
  PumpUntil([&] { return plugin.mMidi.size() == static_cast<size_t>(kMidiMessages); });
  midiThread.join();
  plugin.StopIdleTimer();
  for (int i = 0; i < kMidiMessages; ++i) {
    ASSERT_EQ(plugin.mMidi[static_cast<size_t>(i)].mOffset, i);
    ASSERT_EQ(plugin.mMidi[static_cast<size_t>(i)].mData1, i & 0x7F);
  }
}

TEST(QueueThreadsTest, SysExTowardsTheEditorArrivesWhole) {
  TestPlugin plugin;
  plugin.OpenIdleTickGate();
  plugin.StartIdleTimer();
  std::thread producer([&] {
    std::vector<uint8_t> message(kSysExSize);
    for (int m = 0; m < kSysExMessages; ++m) {
      for (int i = 0; i < kSysExSize; ++i) message[static_cast<size_t>(i)] = SysExByte(m, i);
      WaitForRoom([&] { return plugin.SysExToEditorQueueSize(); }, IPluginAPIBase::kSysExQueueCapacity);
      plugin.PushSysExFromProcessor(ISysExMsg(m, message.data(), kSysExSize));
    }
  });
  PumpUntil([&] { return plugin.mSysEx.size() == static_cast<size_t>(kSysExMessages); });
  producer.join();
  plugin.StopIdleTimer();
  for (int m = 0; m < kSysExMessages; ++m) {
    const std::vector<uint8_t>& got = plugin.mSysEx[static_cast<size_t>(m)];
    ASSERT_EQ(got.size(), static_cast<size_t>(kSysExSize));
    for (int i = 0; i < kSysExSize; ++i) ASSERT_EQ(got[static_cast<size_t>(i)], SysExByte(m, i));
  }
}

TEST(QueueThreadsTest, MidiFromTheEditorReachesTheRenderThreadInOrder) {
  TestPlugin plugin;
  std::vector<int> offsets;
  std::thread renderThread([&] {
    IMidiMsg msg;
    while (offsets.size() < static_cast<size_t>(kMidiMessages))
      if (plugin.PopMidiForRender(msg))
        offsets.push_back(msg.mOffset);
      else
        std::this_thread::yield();
  });
  for (int i = 0; i < kMidiMessages; ++i) {
    WaitForRoom([&] { return plugin.MidiToRenderQueueSize(); }, IPluginAPIBase::kMidiQueueCapacity);
    plugin.QueueMidiFromEditor(IMidiMsg(i, 0x90, 60, 100));
  }
  renderThread.join();
  for (int i = 0; i < kMidiMessages; ++i) ASSERT_EQ(offsets[static_cast<size_t>(i)], i);
}

TEST(QueueThreadsTest, SysExFromTheEditorReachesTheRenderBufferWhole) {
  TestPlugin plugin;
  std::atomic<int> badRecords{0};
  std::thread renderThread([&] {
    for (int m = 0; m < kSysExMessages;) {
      if (!plugin.PopSysExForRender()) {
        std::this_thread::yield();
        continue;
      }
      const SysExData& record = plugin.RenderSysExBuf();
      bool whole = record.mOffset == m && record.mSize == kSysExSize;
      for (int i = 0; whole && i < kSysExSize; ++i) whole = record.mData[i] == SysExByte(m, i);
      if (!whole) badRecords.fetch_add(1);
      ++m;
    }
  });
  std::vector<uint8_t> message(kSysExSize);
  for (int m = 0; m < kSysExMessages; ++m) {
    for (int i = 0; i < kSysExSize; ++i) message[static_cast<size_t>(i)] = SysExByte(m, i);
    WaitForRoom([&] { return plugin.SysExToRenderQueueSize(); }, IPluginAPIBase::kSysExQueueCapacity);
    plugin.SendSysExFromEditor(ISysExMsg(m, message.data(), kSysExSize));
  }
  renderThread.join();
  EXPECT_EQ(badRecords.load(), 0);
}

}  // namespace
}  // namespace plugkit
