#include "framework/plugin_processor.h"

#include <AudioUnit/AUComponent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "support/alloc_counter.h"

namespace plugkit {
namespace {

PluginConfig ConfigWith(const char* channelIO, int latency = 0) {
  PluginConfig config;
  config.channelIOStr = channelIO;
  config.latency = latency;
  return config;
}

class CountingProcessor : public IPluginProcessor {
public:
  using IPluginProcessor::IPluginProcessor;
  using IPluginProcessor::mTimeInfo;

  bool SendMidiToOutput(const IMidiMsg& msg) override {
    sent.push_back(msg);
    return msg.mStatus != kRefusedStatus;
  }

  static constexpr uint8_t kRefusedStatus = 0xFE;
  std::vector<IMidiMsg> sent;
};

constexpr int kApiAudioUnit = 2;

// Float host buffers for a block, one per channel.
struct HostBuffers {
  HostBuffers(int channels, int frames) : data(channels, std::vector<float>(frames, 0.0f)) {
    for (auto& channel : data)
      pointers.push_back(channel.data());
  }
  // Assigns values without moving the storage the pointers refer to.
  void Fill(int channel, const std::vector<float>& values) { std::copy(values.begin(), values.end(), data[channel].begin()); }

  std::vector<std::vector<float>> data;
  std::vector<float*> pointers;
};

TEST(LegalIO, ProductConfigurations) {
  const IPluginProcessor processor(ConfigWith("1-2 1-1"), kApiAudioUnit);
  EXPECT_EQ(processor.NIOConfigs(), 2);
  EXPECT_TRUE(processor.LegalIO(1, 2));
  EXPECT_TRUE(processor.LegalIO(1, 1));
  EXPECT_FALSE(processor.LegalIO(2, 2));
  EXPECT_TRUE(processor.LegalIO(-1, 2));
  EXPECT_TRUE(processor.LegalIO(1, -1));
  EXPECT_TRUE(processor.LegalIO(-1, -1));
  EXPECT_FALSE(processor.LegalIO(0, -1));
}

TEST(LegalIO, NoConfigurationIsNeverLegal) {
  const IPluginProcessor processor(ConfigWith(""), kApiAudioUnit);
  EXPECT_EQ(processor.NIOConfigs(), 0);
  EXPECT_FALSE(processor.LegalIO(-1, -1));
  EXPECT_FALSE(processor.LegalIO(0, 0));
  EXPECT_EQ(processor.MaxNChannels(kInput), 0);
  EXPECT_EQ(processor.MaxNChannelsForBus(kOutput, 0), 0);
}

TEST(BusQueries, ProductConfigurations) {
  const IPluginProcessor processor(ConfigWith("1-2 1-1"), kApiAudioUnit);
  int configIdx = -2;
  EXPECT_EQ(processor.MaxNBuses(kOutput, &configIdx), 1);
  EXPECT_EQ(configIdx, 1);
  EXPECT_EQ(processor.MaxNChannelsForBus(kInput, 0), 1);
  EXPECT_EQ(processor.MaxNChannelsForBus(kOutput, 0), 2);
  EXPECT_EQ(processor.MaxNChannels(kInput), 1);
  EXPECT_EQ(processor.MaxNChannels(kOutput), 2);
  EXPECT_EQ(processor.GetIOConfigWithChanCounts(std::array{1}, std::array{1}), 1);
  EXPECT_EQ(processor.GetIOConfigWithChanCounts(std::array{1}, std::array{2}), 0);
  EXPECT_EQ(processor.GetIOConfigWithChanCounts(std::array{1}, std::array{2, 2}), -1);
}

TEST(BusQueries, NoInputBusForZeroInputs) {
  const IPluginProcessor processor(ConfigWith("0-2"), kApiAudioUnit);
  EXPECT_EQ(processor.MaxNBuses(kInput), 0);
  EXPECT_EQ(processor.MaxNBuses(kOutput), 1);
  EXPECT_EQ(processor.MaxNChannelsForBus(kOutput, 0), 2);
  EXPECT_TRUE(processor.LegalIO(0, 2));
}

TEST(BusQueries, LargestChannelCountOverConfigurationsPerBus) {
  const IPluginProcessor processor(ConfigWith("2-2 1.1-2.4"), kApiAudioUnit);
  EXPECT_EQ(processor.MaxNBuses(kInput), 2);
  EXPECT_EQ(processor.MaxNChannelsForBus(kInput, 0), 2);
  EXPECT_EQ(processor.MaxNChannelsForBus(kInput, 1), 1);
  EXPECT_EQ(processor.MaxNChannelsForBus(kOutput, 1), 4);
  EXPECT_EQ(processor.MaxNChannels(kOutput), 6);
}

// A wildcard configuration carries no channels: nothing is sized from its
// negative count, and every channel operation stays inside what exists.
TEST(BusQueries, WildcardConfigurationCarriesNoChannels) {
  IPluginProcessor processor(ConfigWith("*-*"), kApiAudioUnit);
  EXPECT_EQ(processor.MaxNChannelsForBus(kInput, 0), -1);
  EXPECT_EQ(processor.MaxNChannelsForBus(kOutput, 0), -1);
  EXPECT_EQ(processor.MaxNChannels(kInput), 0);
  EXPECT_EQ(processor.MaxNChannels(kOutput), 0);
  EXPECT_TRUE(processor.LegalIO(-64, -64));

  processor.SetBlockSize(16);
  processor.SetChannelConnections(kOutput, 0, 64, true);
  HostBuffers host(2, 16);
  processor.AttachBuffers(kInput, 0, 2, host.pointers.data(), 16);
  processor.AttachBuffers(kOutput, 0, 2, host.pointers.data(), 16);
  processor.ProcessBuffers(0.0f, 16);
  processor.PassThroughBuffers(0.0f, 16);
  EXPECT_EQ(processor.ConnectedChannelCount(kOutput), 0);
}

TEST(Channels, ConnectionsAndAttachmentsClampToTheChannelsThatExist) {
  IPluginProcessor processor(ConfigWith("1-2"), kApiAudioUnit);
  processor.SetBlockSize(8);
  processor.SetChannelConnections(kOutput, 1, 100, true);
  EXPECT_FALSE(processor.IsChannelConnected(kOutput, 0));
  EXPECT_TRUE(processor.IsChannelConnected(kOutput, 1));
  EXPECT_EQ(processor.ConnectedChannelCount(kOutput), 1);
  processor.SetChannelConnections(kOutput, -3, 4, true);
  EXPECT_EQ(processor.ConnectedChannelCount(kOutput), 2);
  processor.SetChannelConnections(kInput, 5, 2, true);
  EXPECT_EQ(processor.ConnectedChannelCount(kInput), 0);

  // A host asking for more channels than exist only feeds those that do.
  HostBuffers host(4, 8);
  processor.AttachBuffers(kOutput, 0, 4, host.pointers.data(), 8);
  processor.ProcessBuffers(0.0f, 8);
  EXPECT_FALSE(processor.IsChannelConnected(kOutput, 7));
}

TEST(Channels, DisconnectedChannelsReadAndWriteTheirWorkBuffers) {
  CountingProcessor processor(ConfigWith("2-2"), kApiAudioUnit);
  processor.SetBlockSize(4);
  processor.SetChannelConnections(kInput, 0, 2, true);
  processor.SetChannelConnections(kOutput, 0, 2, true);
  HostBuffers in(2, 4);
  HostBuffers out(2, 4);
  in.Fill(0, {1, 2, 3, 4});
  in.Fill(1, {5, 6, 7, 8});
  processor.AttachBuffers(kInput, 0, 2, in.pointers.data(), 4);
  processor.SetChannelConnections(kInput, 1, 1, false);
  processor.AttachBuffers(kOutput, 0, 2, out.pointers.data(), 4);
  processor.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out.data[0], (std::vector<float>{1, 2, 3, 4}));
  // Input 1 lost its connection after the attach but kept its samples.
  EXPECT_EQ(out.data[1], (std::vector<float>{5, 6, 7, 8}));
}

TEST(Channels, LabelsAreNumberedFromOneUnlessZeroBased) {
  IPluginProcessor processor(ConfigWith("1-2"), kApiAudioUnit);
  processor.SetChannelLabel(kOutput, 1, "Out %i");
  processor.SetChannelLabel(kInput, 0, "In %i", true);
  processor.SetChannelLabel(kInput, 3, "Nowhere %i");
  EXPECT_STREQ(processor.GetChannelLabel(kOutput, 1), "Out 2");
  EXPECT_STREQ(processor.GetChannelLabel(kInput, 0), "In 0");
  EXPECT_STREQ(processor.GetChannelLabel(kInput, 3), "");
}

TEST(BusNames, FollowBusCountsWithTheIndexUnshifted) {
  const IPluginProcessor processor(ConfigWith("1-2"), kApiAudioUnit);
  StrBuf name;
  processor.GetBusName(kInput, 0, 2, name);
  EXPECT_STREQ(name.Get(), "Main");
  processor.GetBusName(kInput, 1, 2, name);
  EXPECT_STREQ(name.Get(), "Aux");
  processor.GetBusName(kInput, 0, 1, name);
  EXPECT_STREQ(name.Get(), "Input");
  processor.GetBusName(kInput, 2, 3, name);
  EXPECT_STREQ(name.Get(), "Input 2");
  processor.GetBusName(kOutput, 0, 1, name);
  EXPECT_STREQ(name.Get(), "Output");
  for (int bus = 0; bus < 3; ++bus) {
    processor.GetBusName(kOutput, bus, 3, name);
    EXPECT_EQ(std::string(name.Get()), "Output " + std::to_string(bus));
  }
}

TEST(Processing, FloatBlockRoundTripsThroughTheDefaultProcess) {
  IPluginProcessor processor(ConfigWith("1-2"), kApiAudioUnit);
  processor.SetBlockSize(4);
  processor.SetChannelConnections(kInput, 0, 1, true);
  processor.SetChannelConnections(kOutput, 0, 2, true);
  HostBuffers in(1, 4);
  HostBuffers out(2, 4);
  in.Fill(0, {0.5f, -0.25f, 1.0f, 0.0f});
  out.Fill(1, {9, 9, 9, 9});
  processor.AttachBuffers(kInput, 0, 1, in.pointers.data(), 4);
  processor.AttachBuffers(kOutput, 0, 2, out.pointers.data(), 4);
  processor.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(out.data[0], in.data[0]);
  EXPECT_EQ(out.data[1], (std::vector<float>{0, 0, 0, 0}));

  out.Fill(0, {1, 1, 1, 1});
  processor.ProcessBuffersAccumulating(0.0f, 4);
  EXPECT_EQ(out.data[0], (std::vector<float>{1.5f, 0.75f, 2.0f, 1.0f}));
}

TEST(Processing, DoubleBuffersAreUsedInPlace) {
  IPluginProcessor processor(ConfigWith("1-1"), kApiAudioUnit);
  processor.SetBlockSize(3);
  processor.SetChannelConnections(kInput, 0, 1, true);
  processor.SetChannelConnections(kOutput, 0, 1, true);
  std::vector<double> in{1, 2, 3};
  std::vector<double> out{0, 0, 0};
  double* inPointers[] = {in.data()};
  double* outPointers[] = {out.data()};
  processor.AttachBuffers(kInput, 0, 1, inPointers, 3);
  processor.AttachBuffers(kOutput, 0, 1, outPointers, 3);
  processor.ProcessBuffers(0.0, 3);
  EXPECT_EQ(out, in);
}

class PassThrough : public ::testing::Test {
protected:
  static constexpr int kFrames = 4;

  void Connect(IPluginProcessor& processor) {
    processor.SetBlockSize(kFrames);
    processor.SetChannelConnections(kInput, 0, processor.MaxNChannels(kInput), true);
    processor.SetChannelConnections(kOutput, 0, processor.MaxNChannels(kOutput), true);
  }

  std::vector<std::vector<float>> Run(IPluginProcessor& processor, const std::vector<float>& input) {
    HostBuffers in(1, kFrames);
    HostBuffers out(processor.MaxNChannels(kOutput), kFrames);
    for (auto& channel : out.data)
      std::fill(channel.begin(), channel.end(), 7.0f);  // stale audio from an earlier block
    std::copy(input.begin(), input.end(), in.data[0].begin());
    processor.AttachBuffers(kInput, 0, 1, in.pointers.data(), kFrames);
    processor.AttachBuffers(kOutput, 0, processor.MaxNChannels(kOutput), out.pointers.data(), kFrames);
    processor.PassThroughBuffers(0.0f, kFrames);
    return out.data;
  }
};

TEST_F(PassThrough, WithoutLatencyCopiesInputsAndClearsTheRest) {
  IPluginProcessor processor(ConfigWith("1-2"), kApiAudioUnit);
  Connect(processor);
  processor.InitLatencyDelay();
  const auto out = Run(processor, {1, 2, 3, 4});
  EXPECT_EQ(out[0], (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(out[1], (std::vector<float>{0, 0, 0, 0}));
}

TEST_F(PassThrough, WithLatencyDelaysAcrossBlocksAndClearsUnfedOutputs) {
  IPluginProcessor processor(ConfigWith("1-2", 3), kApiAudioUnit);
  Connect(processor);
  processor.InitLatencyDelay();
  auto out = Run(processor, {1, 2, 3, 4});
  EXPECT_EQ(out[0], (std::vector<float>{0, 0, 0, 1}));
  EXPECT_EQ(out[1], (std::vector<float>{0, 0, 0, 0}));
  out = Run(processor, {5, 6, 7, 8});
  EXPECT_EQ(out[0], (std::vector<float>{2, 3, 4, 5}));
  EXPECT_EQ(out[1], (std::vector<float>{0, 0, 0, 0}));
}

// Outputs beyond the delay's input channels must not keep what they held.
TEST_F(PassThrough, DelayedFormClearsOutputsTheDelayDoesNotFeed) {
  IPluginProcessor processor(ConfigWith("1-2", 2), kApiAudioUnit);
  Connect(processor);
  processor.InitLatencyDelay();
  std::vector<double> in{1, 2, 3, 4};
  std::vector<std::vector<double>> out(2, std::vector<double>(kFrames, 7.0));
  double* inPointers[] = {in.data()};
  double* outPointers[] = {out[0].data(), out[1].data()};
  processor.AttachBuffers(kInput, 0, 1, inPointers, kFrames);
  processor.AttachBuffers(kOutput, 0, 2, outPointers, kFrames);
  processor.PassThroughBuffers(0.0, kFrames);
  EXPECT_EQ(out[0], (std::vector<double>{0, 0, 1, 2}));
  EXPECT_EQ(out[1], (std::vector<double>{0, 0, 0, 0}));
}

TEST_F(PassThrough, NewLatencyRestartsTheDelayCleared) {
  IPluginProcessor processor(ConfigWith("1-1", 2), kApiAudioUnit);
  Connect(processor);
  processor.InitLatencyDelay();
  Run(processor, {1, 2, 3, 4});
  processor.SetLatency(1);
  EXPECT_EQ(processor.GetLatency(), 1);
  EXPECT_EQ(Run(processor, {5, 6, 7, 8})[0], (std::vector<float>{0, 5, 6, 7}));
  processor.SetLatency(0);
  EXPECT_EQ(Run(processor, {1, 2, 3, 4})[0], (std::vector<float>{1, 2, 3, 4}));
}

TEST_F(PassThrough, LatencyWithoutADelayLinePassesUndelayed) {
  IPluginProcessor processor(ConfigWith("1-1", 2), kApiAudioUnit);
  Connect(processor);
  EXPECT_EQ(Run(processor, {1, 2, 3, 4})[0], (std::vector<float>{1, 2, 3, 4}));
}

TEST_F(PassThrough, RenderThreadWorkAllocatesNothing) {
  IPluginProcessor processor(ConfigWith("1-2", 2), kApiAudioUnit);
  Connect(processor);
  processor.InitLatencyDelay();
  HostBuffers in(1, kFrames);
  HostBuffers out(2, kFrames);
  const orvane::testing::ScopedAllocationCount allocations;
  processor.AttachBuffers(kInput, 0, 1, in.pointers.data(), kFrames);
  processor.AttachBuffers(kOutput, 0, 2, out.pointers.data(), kFrames);
  processor.PassThroughBuffers(0.0f, kFrames);
  processor.ProcessBuffers(0.0f, kFrames);
  processor.ProcessBuffersAccumulating(0.0f, kFrames);
  processor.ZeroScratchBuffers();
  EXPECT_EQ(allocations.Count(), 0u);
}

TEST(Settings, BlockSizeResizesAndClearsWorkBuffers) {
  IPluginProcessor processor(ConfigWith("1-1"), kApiAudioUnit);
  EXPECT_EQ(processor.GetBlockSize(), 0);
  processor.SetBlockSize(4);
  processor.SetChannelConnections(kInput, 0, 1, true);
  processor.SetChannelConnections(kOutput, 0, 1, true);
  HostBuffers in(1, 4);
  HostBuffers out(1, 4);
  in.Fill(0, {1, 1, 1, 1});
  processor.AttachBuffers(kInput, 0, 1, in.pointers.data(), 4);
  processor.SetBlockSize(2);
  processor.SetChannelConnections(kInput, 0, 1, false);
  out.Fill(0, {9, 9, 9, 9});
  processor.AttachBuffers(kOutput, 0, 1, out.pointers.data(), 2);
  processor.ProcessBuffers(0.0f, 2);
  EXPECT_EQ(out.data[0], (std::vector<float>{0, 0, 9, 9}));
  EXPECT_EQ(processor.GetBlockSize(), 2);
}

TEST(Settings, DefaultsAndTail) {
  IPluginProcessor processor(ConfigWith("1-2 1-1"), kApiAudioUnit);
  EXPECT_EQ(processor.GetSampleRate(), 48000.0);
  EXPECT_FALSE(processor.GetBypassed());
  EXPECT_EQ(processor.GetTailSize(), 0);
  processor.SetTailLength(IPluginProcessor::kInfiniteTail);
  EXPECT_TRUE(processor.GetTailIsInfinite());
  const ITimeInfo& time = processor.GetTimeInfo();
  EXPECT_EQ(time.mTempo, 120.0);
  EXPECT_EQ(time.mSamplePos, -1.0);
  EXPECT_EQ(time.mNumerator, 4);
  EXPECT_EQ(time.mDenominator, 4);
  EXPECT_FALSE(time.mTransportIsRunning);
}

TEST(Timing, SamplesPerBeatFollowTempoAndRate) {
  CountingProcessor processor(ConfigWith("1-1"), kApiAudioUnit);
  EXPECT_EQ(processor.GetSamplesPerBeat(), 24000.0);
  processor.SetSampleRate(44100.0);
  processor.mTimeInfo.mTempo = 60.0;
  EXPECT_EQ(processor.GetSamplesPerBeat(), 44100.0);
  processor.mTimeInfo.mTempo = 0.0;
  EXPECT_EQ(processor.GetSamplesPerBeat(), 0.0);
}

TEST(PluginType, AudioUnitTypeCodes) {
  PluginConfig config = ConfigWith("1-1");
  EXPECT_EQ(IPluginProcessor(config, kApiAudioUnit).GetAUPluginType(), kAudioUnitType_Effect);
  config.plugDoesMidiIn = true;
  EXPECT_EQ(IPluginProcessor(config, kApiAudioUnit).GetAUPluginType(), kAudioUnitType_MusicEffect);
  config.plugType = kInstrument;
  EXPECT_EQ(IPluginProcessor(config, kApiAudioUnit).GetAUPluginType(), kAudioUnitType_MusicDevice);
  config.plugType = kMIDIEffect;
  EXPECT_EQ(IPluginProcessor(config, kApiAudioUnit).GetAUPluginType(), kAudioUnitType_MIDIProcessor);
  config.plugType = kGenerator;
  EXPECT_EQ(IPluginProcessor(config, kApiAudioUnit).GetAUPluginType(), kAudioUnitType_Generator);
  config.plugType = 9;
  EXPECT_EQ(IPluginProcessor(config, kApiAudioUnit).GetAUPluginType(), kAudioUnitType_Effect);
}

TEST(Midi, InputIsForwardedAndListsReportEverySend) {
  CountingProcessor processor(ConfigWith("1-1"), kApiAudioUnit);
  processor.HandleMidiInput(IMidiMsg(5, 0xB0, 7, 64));
  ASSERT_EQ(processor.sent.size(), 1u);
  EXPECT_EQ(processor.sent[0].mOffset, 5);
  EXPECT_EQ(processor.sent[0].mData2, 64);

  EXPECT_TRUE(processor.SendMidiListToOutput({}));
  const std::array msgs{IMidiMsg(0, 0x90, 60, 1), IMidiMsg(0, CountingProcessor::kRefusedStatus, 0, 0),
                        IMidiMsg(1, 0x80, 60, 0)};
  EXPECT_FALSE(processor.SendMidiListToOutput(msgs));
  EXPECT_EQ(processor.sent.size(), 4u);  // a refusal does not stop the rest

  const IPluginProcessor plain(ConfigWith("1-1"), kApiAudioUnit);
  EXPECT_FALSE(const_cast<IPluginProcessor&>(plain).SendSysExToOutput(ISysExMsg()));
}

}  // namespace
}  // namespace plugkit
