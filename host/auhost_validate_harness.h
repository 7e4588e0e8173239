#pragma once

// What the validation checks share: a failure type, an open instance set up
// as a host sets one up, test signals, and the sample checks on renders.

#include <AudioUnit/AudioUnit.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/audio_unit_instance.h"
#include "host/auhost_render.h"
#include "host/component_bundle.h"
#include "host/render_loop.h"

namespace orvane::auhost::validate {

// A check's failure; the message says what failed and how.
class CheckFailure : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& message);
// Fails naming `what` when the status is not noErr.
void Require(OSStatus status, const std::string& what);

// One channel of samples per vector.
using Channels = std::vector<std::vector<float>>;

// Full-scale white noise in [-1, 1], the same for the same seed.
Channels Noise(int channels, std::size_t frames, std::uint32_t seed);
Channels Silence(int channels, std::size_t frames);
std::size_t FramesOf(double seconds, double sampleRate);

inline constexpr double kDefaultSampleRate = 44100.0;
inline constexpr UInt32 kDefaultMaxFrames = 1024;

// An open instance with its formats, maximum block and input callback set:
// renders input channels in blocks of a given size. Closing it is its
// destructor's work.
class UnitUnderTest {
public:
  UnitUnderTest(const host::ComponentBundle& bundle, const ChannelLayout& layout);
  ~UnitUnderTest();
  UnitUnderTest(const UnitUnderTest&) = delete;
  UnitUnderTest& operator=(const UnitUnderTest&) = delete;

  AudioUnit Unit() const { return mInstance->Unit(); }
  host::AudioUnitInstance& Instance() { return *mInstance; }
  const ChannelLayout& Layout() const { return mLayout; }
  // Channels of the input given to Render: one even without inputs, so that
  // its length still says how many frames to render.
  int FeedChannels() const { return std::max(mLayout.inputChannels, 1); }
  double SampleRate() const { return mSampleRate; }
  UInt32 MaxFrames() const { return mMaxFrames; }

  // Sample rate, formats on both sides, maximum frames and the input callback.
  void Configure(double sampleRate, UInt32 maxFrames);
  void Initialize();
  void Uninitialize();

  // Renders `input` (Layout().inputChannels channels) in blocks of
  // `blockSize`; the output channels of every block, joined.
  Channels Render(const Channels& input, UInt32 blockSize);
  // One render call of `frames` (bus 0) with the input at `input`; the status.
  OSStatus RenderOnce(const Channels& input, std::size_t offset, UInt32 frames,
                      host::OutputBuffers buffers = host::OutputBuffers::kHostSupplied);
  // What the last RenderOnce left in each output channel.
  Channels LastOutput() const;
  // Whether the last RenderOnce left every output pointer at the host's buffers.
  bool OutputInHostBuffers() const;

private:
  struct InputFeed {
    const Channels* channels = nullptr;
    std::size_t offset = 0;
  };
  static OSStatus ProvideInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32,
                               UInt32 frames, AudioBufferList* data);

  std::unique_ptr<host::AudioUnitInstance> mInstance;
  ChannelLayout mLayout;
  double mSampleRate = kDefaultSampleRate;
  UInt32 mMaxFrames = kDefaultMaxFrames;
  std::unique_ptr<host::RenderLoop> mLoop;
  InputFeed mFeed;
};

// The layout the checks render with: one input when the component takes one,
// else two, else none; two outputs when it gives two.
ChannelLayout TestLayout(AudioUnit unit);

// An instance of the component in its test layout, configured and initialised.
std::unique_ptr<UnitUnderTest> ReadyUnit(const host::ComponentBundle& bundle, double rate = kDefaultSampleRate,
                                         UInt32 maxFrames = kDefaultMaxFrames);

// Runs what the main run loop has queued: a few passes, so that releases
// posted by what ran are done too.
void PumpRunLoop();

// The stand-in's live CoreFoundation and view-object counts.
struct LiveCounts {
  long objects = 0;
  long viewObjects = 0;
};
// The counts once the main run loop has run what was queued.
LiveCounts SettledLiveCounts();
// Fails naming the count that differs; `when` is added to the message.
void RequireSameLiveCounts(const LiveCounts& before, const LiveCounts& after, const std::string& when = {});

// Fails unless every sample is finite and within [-1, 1]; `context` says
// which render it was.
void RequireFiniteInRange(const Channels& output, const std::string& context);
// Fails on a sample with 0 < |x| < FLT_MIN.
void RequireNoSubnormals(const Channels& output, const std::string& context);
// Root mean square over the samples from `first` on, of every channel.
double Rms(const Channels& output, std::size_t first = 0);

}  // namespace orvane::auhost::validate
