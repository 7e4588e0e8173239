// One thread renders the test plug-in while others do what hosts and editors
// do at the same time: a parameter thread sets and schedules values, a MIDI
// thread sends events, a reader asks for what rendering does not write, and
// the main thread queues editor MIDI and SysEx and pumps the run loop. Rate,
// block-size, bypass, format and connection changes happen between renders,
// as hosts serialise them.

#include <AudioUnit/MusicDevice.h>
#include <gtest/gtest.h>
#include <standin/testing/run_loop.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host/midi_output_capture.h"
#include "host/render_loop.h"
#include "render_test_support.h"

namespace plugkit::testing {
namespace {

constexpr UInt32 kFrames = 256;
constexpr int kRounds = 12;
constexpr int kBlocksPerRound = 40;
constexpr double kPumpSeconds = 0.001;
constexpr size_t kCapturedPackets = 4096;
constexpr size_t kCapturedBytes = 1 << 20;
constexpr int kSysExSize = 40;

// Runs `work` over and over on a thread of its own until stopped.
class Repeater {
public:
  template <class Work>
  explicit Repeater(Work work)
      : mThread([this, work]() mutable {
          while (!mStop.load(std::memory_order_acquire)) work();
        }) {}
  ~Repeater() { Stop(); }
  void Stop() {
    mStop.store(true, std::memory_order_release);
    if (mThread.joinable()) mThread.join();
  }

private:
  std::atomic<bool> mStop{false};
  std::thread mThread;
};

AudioStreamBasicDescription FloatFormat(Float64 sampleRate, UInt32 channels) {
  AudioStreamBasicDescription format{};
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = format.mBytesPerFrame = sizeof(float);
  format.mFramesPerPacket = 1;
  format.mChannelsPerFrame = channels;
  format.mBitsPerChannel = 32;
  return format;
}

template <class T>
OSStatus Set(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, const T& value) {
  return AudioUnitSetProperty(unit, id, scope, 0, &value, sizeof(value));
}

// What a host changes with rendering stopped: rate, block size, bypass, formats and the input connection.
void ChangeBetweenRenders(orvane::host::RenderLoop& loop, int round, InputSignal& first, InputSignal& second) {
  const AudioUnit unit = loop.Unit();
  const Float64 rate = round % 2 == 0 ? 48000.0 : 44100.0;
  EXPECT_EQ(Set(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, rate), noErr);
  EXPECT_EQ(Set(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global,
                static_cast<UInt32>(round % 2 == 0 ? kFrames : 2 * kFrames)),
            noErr);
  EXPECT_EQ(Set(unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, static_cast<UInt32>(round % 3 == 2)),
            noErr);
  EXPECT_EQ(Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, FloatFormat(rate, 1)), noErr);
  EXPECT_EQ(Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, FloatFormat(rate, 2)), noErr);
  EXPECT_EQ(loop.SetInputCallback(0, &InputSignal::Pull, round % 2 == 0 ? &first : &second), noErr);
}

TEST(RenderThreads, RenderingAlongsideParameterMidiEditorAndPropertyThreads) {
  OpenedRenderPlugin opened;
  RenderTestPlugin& plugin = opened.Plugin();
  const AudioUnit unit = opened.Unit();
  orvane::host::MidiOutputCapture capture(kCapturedPackets, kCapturedBytes);
  ASSERT_EQ(Set(unit, kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, capture.Record()), noErr);
  InputSignal first;
  InputSignal second;
  orvane::host::RenderLoop loop(unit, 2 * kFrames, {2});

  std::atomic<int> paramCalls{0};
  Repeater parameterThread([&] {
    const int n = paramCalls.fetch_add(1, std::memory_order_relaxed);
    const auto value = static_cast<AudioUnitParameterValue>(0.5 + (n % 3) * 0.25);
    AudioUnitSetParameter(unit, RenderTestPlugin::kGain, kAudioUnitScope_Global, 0, value, 0);
    AudioUnitParameterEvent event{};
    event.scope = kAudioUnitScope_Global;
    event.parameter = RenderTestPlugin::kGain;
    event.eventType = kParameterEvent_Immediate;
    event.eventValues.immediate.value = value;
    AudioUnitScheduleParameters(unit, &event, 1);
  });
  std::atomic<int> midiCalls{0};
  Repeater midiThread([&] {
    const int n = midiCalls.fetch_add(1, std::memory_order_relaxed);
    MusicDeviceMIDIEvent(unit, 0xB0, static_cast<UInt32>(n & 0x7F), 64, 0);
  });
  std::atomic<int> readerFailures{0};
  Repeater propertyReader([&] {
    AudioUnitParameterValue value = 0;
    if (AudioUnitGetParameter(unit, RenderTestPlugin::kGain, kAudioUnitScope_Global, 0, &value) != noErr)
      readerFailures.fetch_add(1, std::memory_order_relaxed);
    UInt32 count = 0;
    UInt32 size = sizeof(count);
    AudioUnitGetProperty(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &count, &size);
    if (count != 1) readerFailures.fetch_add(1, std::memory_order_relaxed);
    AUChannelInfo configurations[4] = {};
    size = sizeof(configurations);
    if (AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0,
                             configurations, &size) != noErr)
      readerFailures.fetch_add(1, std::memory_order_relaxed);
  });

  const uint8_t sysex[kSysExSize] = {0xF0, 0x7D};
  int rendered = 0;
  for (int round = 0; round < kRounds; ++round) {
    ChangeBetweenRenders(loop, round, first, second);
    std::atomic<bool> roundDone{false};
    std::atomic<int> failures{0};
    std::thread renderThread([&] {
      for (int block = 0; block < kBlocksPerRound; ++block)
        if (loop.RenderBlock(kFrames) != noErr) failures.fetch_add(1, std::memory_order_relaxed);
      roundDone.store(true, std::memory_order_release);
    });
    int queued = 0;
    while (!roundDone.load(std::memory_order_acquire)) {
      plugin.QueueMidiFromEditor(IMidiMsg(queued, 0x90, static_cast<uint8_t>(queued & 0x7F), 1));
      plugin.QueueSysExFromEditor(ISysExMsg(queued, sysex, kSysExSize));
      ++queued;
      standin::testing::RunFor(kPumpSeconds);
    }
    renderThread.join();
    EXPECT_EQ(failures.load(), 0) << "round " << round;
    rendered += kBlocksPerRound;
  }

  parameterThread.Stop();
  midiThread.Stop();
  propertyReader.Stop();
  standin::testing::RunFor(kPumpSeconds);

  EXPECT_EQ(first.pulls + second.pulls, rendered);
  EXPECT_GT(plugin.mBlocks.load(), 0);
  EXPECT_GT(plugin.mMidiCount.load(), 0);
  EXPECT_GT(capture.PacketCount(), 0u);
  EXPECT_EQ(readerFailures.load(), 0);
  EXPECT_GT(paramCalls.load(), 0);
}

}  // namespace
}  // namespace plugkit::testing
