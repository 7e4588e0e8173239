#include "host/auhost_validate_harness.h"

#include <standin/testing/ns_objects.h>
#include <standin/testing/objects.h>
#include <standin/testing/run_loop.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <random>

namespace orvane::auhost::validate {
namespace {

constexpr float kFullScale = 1.0f;
constexpr std::array<int, 3> kPreferredInputCounts = {1, 2, 0};
constexpr std::size_t kRunLoopPasses = 3;

std::string SampleText(float sample) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(sample));
  return text;
}

std::string Where(std::size_t channel, std::size_t frame, const std::string& context) {
  return "channel " + std::to_string(channel) + " frame " + std::to_string(frame) + " (" + context + ")";
}

}  // namespace

void Fail(const std::string& message) { throw CheckFailure(message); }

void Require(OSStatus status, const std::string& what) {
  if (status != noErr) Fail(what + " failed with status " + std::to_string(status));
}

Channels Noise(int channels, std::size_t frames, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<float> uniform(-kFullScale, kFullScale);
  Channels noise(static_cast<std::size_t>(channels), std::vector<float>(frames));
  for (auto& channel : noise)
    for (float& sample : channel) sample = uniform(generator);
  return noise;
}

Channels Silence(int channels, std::size_t frames) {
  return Channels(static_cast<std::size_t>(channels), std::vector<float>(frames, 0.0f));
}

std::size_t FramesOf(double seconds, double sampleRate) {
  return static_cast<std::size_t>(std::lround(seconds * sampleRate));
}

UnitUnderTest::UnitUnderTest(const host::ComponentBundle& bundle, const ChannelLayout& layout) : mLayout(layout) {
  OSStatus status = noErr;
  mInstance = host::AudioUnitInstance::Open(bundle, status);
  if (!mInstance) Fail("opening an instance failed with status " + std::to_string(status));
}

UnitUnderTest::~UnitUnderTest() {
  // The render loop's property writes must not outlive the instance.
  mLoop.reset();
  mInstance.reset();
}

void UnitUnderTest::Configure(double sampleRate, UInt32 maxFrames) {
  mSampleRate = sampleRate;
  mMaxFrames = maxFrames;
  char rateText[32];
  std::snprintf(rateText, sizeof rateText, "%g Hz", sampleRate);
  const std::string rate = rateText;
  Require(mInstance->SetProperty(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &sampleRate,
                                 sizeof sampleRate),
          "setting the sample rate to " + rate);
  if (mLayout.inputChannels > 0) {
    const auto input = host::FloatStreamFormat(sampleRate, mLayout.inputChannels);
    Require(mInstance->SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &input, sizeof input),
            "setting a " + std::to_string(mLayout.inputChannels) + "-channel input format at " + rate);
  }
  const auto output = host::FloatStreamFormat(sampleRate, mLayout.outputChannels);
  Require(mInstance->SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &output, sizeof output),
          "setting a " + std::to_string(mLayout.outputChannels) + "-channel output format at " + rate);
  Require(mInstance->SetProperty(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames,
                                 sizeof maxFrames),
          "setting the maximum frames to " + std::to_string(maxFrames));
  // One frame more than the maximum, so that a render beyond it reaches the unit.
  mLoop = std::make_unique<host::RenderLoop>(Unit(), maxFrames + 1,
                                             std::vector<UInt32>{static_cast<UInt32>(mLayout.outputChannels)});
  if (mLayout.inputChannels > 0) Require(mLoop->SetInputCallback(0, ProvideInput, &mFeed), "setting the input callback");
}

void UnitUnderTest::Initialize() { Require(mInstance->Initialize(), "Initialize"); }

void UnitUnderTest::Uninitialize() { Require(mInstance->Uninitialize(), "Uninitialize"); }

OSStatus UnitUnderTest::ProvideInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32,
                                     UInt32 frames, AudioBufferList* data) {
  const InputFeed& feed = *static_cast<const InputFeed*>(refCon);
  for (UInt32 buffer = 0; buffer < data->mNumberBuffers; ++buffer) {
    auto* out = static_cast<float*>(data->mBuffers[buffer].mData);
    if (!out) continue;
    const std::vector<float>* channel =
        feed.channels && buffer < feed.channels->size() ? &(*feed.channels)[buffer] : nullptr;
    for (UInt32 i = 0; i < frames; ++i) {
      const std::size_t frame = feed.offset + i;
      out[i] = channel && frame < channel->size() ? (*channel)[frame] : 0.0f;
    }
  }
  return noErr;
}

OSStatus UnitUnderTest::RenderOnce(const Channels& input, std::size_t offset, UInt32 frames,
                                   host::OutputBuffers buffers) {
  if (!mLoop) Fail("rendering before the unit was configured");
  mFeed = InputFeed{&input, offset};
  return mLoop->RenderBlock(frames, buffers);
}

Channels UnitUnderTest::LastOutput() const {
  Channels output;
  for (int channel = 0; channel < mLayout.outputChannels; ++channel) {
    const std::span<const float> samples = mLoop->Output(0, static_cast<UInt32>(channel));
    output.emplace_back(samples.begin(), samples.end());
  }
  return output;
}

bool UnitUnderTest::OutputInHostBuffers() const {
  const AudioBufferList& list = mLoop->OutputList(0);
  for (UInt32 channel = 0; channel < list.mNumberBuffers; ++channel)
    if (list.mBuffers[channel].mData != mLoop->HostBuffer(0, channel).data()) return false;
  return true;
}

Channels UnitUnderTest::Render(const Channels& input, UInt32 blockSize) {
  const std::size_t frames = input.empty() ? 0 : input.front().size();
  Channels output(static_cast<std::size_t>(mLayout.outputChannels));
  for (std::size_t start = 0; start < frames; start += blockSize) {
    const auto count = static_cast<UInt32>(std::min<std::size_t>(blockSize, frames - start));
    const OSStatus status = RenderOnce(input, start, count);
    if (status != noErr)
      Fail("rendering " + std::to_string(count) + " frames at frame " + std::to_string(start) +
           " failed with status " + std::to_string(status));
    const Channels block = LastOutput();
    for (std::size_t channel = 0; channel < output.size(); ++channel) {
      if (block[channel].size() != count)
        Fail("render of " + std::to_string(count) + " frames left no samples in output channel " +
             std::to_string(channel));
      output[channel].insert(output[channel].end(), block[channel].begin(), block[channel].end());
    }
    // The component's timers run between blocks when this is the main thread.
    if (standin::testing::IsMainThread()) standin::testing::RunOnce();
  }
  return output;
}

ChannelLayout TestLayout(AudioUnit unit) {
  const std::vector<AUChannelInfo> configurations = ReadChannelConfigurations(unit);
  if (configurations.empty()) Fail("the component lists no channel configuration");
  for (const int inputs : kPreferredInputCounts) {
    const auto layout = ChooseChannelLayout(configurations, inputs);
    if (layout && !layout->mixDown) return *layout;
  }
  Fail("the component lists no channel configuration with 1, 2 or 0 inputs");
}

void PumpRunLoop() {
  for (std::size_t pass = 0; pass < kRunLoopPasses; ++pass) standin::testing::RunOnce();
}

LiveCounts SettledLiveCounts() {
  PumpRunLoop();
  return {standin::testing::LiveObjectCount(), standin::testing::LiveNSObjectCount()};
}

void RequireSameLiveCounts(const LiveCounts& before, const LiveCounts& after, const std::string& when) {
  const std::string suffix = when.empty() ? std::string() : " " + when;
  if (after.objects != before.objects)
    Fail("the live CoreFoundation object count went from " + std::to_string(before.objects) + " to " +
         std::to_string(after.objects) + suffix);
  if (after.viewObjects != before.viewObjects)
    Fail("the live view-object count went from " + std::to_string(before.viewObjects) + " to " +
         std::to_string(after.viewObjects) + suffix);
}

std::unique_ptr<UnitUnderTest> ReadyUnit(const host::ComponentBundle& bundle, double rate, UInt32 maxFrames) {
  auto probe = std::make_unique<UnitUnderTest>(bundle, ChannelLayout{});
  const ChannelLayout layout = TestLayout(probe->Unit());
  probe.reset();
  auto unit = std::make_unique<UnitUnderTest>(bundle, layout);
  unit->Configure(rate, maxFrames);
  unit->Initialize();
  return unit;
}

void RequireFiniteInRange(const Channels& output, const std::string& context) {
  for (std::size_t channel = 0; channel < output.size(); ++channel) {
    for (std::size_t frame = 0; frame < output[channel].size(); ++frame) {
      const float sample = output[channel][frame];
      if (!std::isfinite(sample)) Fail("output " + SampleText(sample) + " at " + Where(channel, frame, context));
      if (std::fabs(sample) > kFullScale)
        Fail("output " + SampleText(sample) + " outside [-1, 1] at " + Where(channel, frame, context));
    }
  }
}

void RequireNoSubnormals(const Channels& output, const std::string& context) {
  for (std::size_t channel = 0; channel < output.size(); ++channel) {
    for (std::size_t frame = 0; frame < output[channel].size(); ++frame) {
      const float sample = output[channel][frame];
      if (sample != 0.0f && std::fabs(sample) < FLT_MIN)
        Fail("subnormal output " + SampleText(sample) + " at " + Where(channel, frame, context));
    }
  }
}

double Rms(const Channels& output, std::size_t first) {
  double sum = 0.0;
  std::size_t count = 0;
  for (const auto& channel : output) {
    for (std::size_t frame = first; frame < channel.size(); ++frame) {
      sum += static_cast<double>(channel[frame]) * channel[frame];
      ++count;
    }
  }
  return count > 0 ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

}  // namespace orvane::auhost::validate
