#include "host/auhost_render.h"

#include <standin/testing/run_loop.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "host/auhost_failure.h"
#include "host/render_loop.h"

namespace orvane::auhost {
namespace {

constexpr int kPreferredOutputChannels = 2;
// With an open input count, -1 outputs means as many as the input has; other
// negative counts mean any number.
constexpr SInt16 kSameAsInput = -1;
constexpr UInt32 kControlChangeStatus = 0xB0;
constexpr std::chrono::microseconds kPumpInterval{2000};
constexpr double kRingSeconds = 2.0;

void Check(OSStatus status, const char* what) {
  if (status != noErr)
    throw Failure(ExitCode::kComponentError,
                  std::string("the component refused ") + what + " (status " + std::to_string(status) + ")");
}

// The stretch of input the callback reads: its frames begin at the loop's
// sample time `firstSampleTime`; past them it reads silence.
struct InputSource {
  const float* frames = nullptr;  // interleaved, `channels` per frame
  std::size_t channels = 1;
  std::size_t count = 0;
  double firstSampleTime = 0.0;
};

OSStatus ProvideInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp* timeStamp, UInt32,
                      UInt32 frames, AudioBufferList* data) {
  const InputSource& source = *static_cast<const InputSource*>(refCon);
  const double time = timeStamp ? timeStamp->mSampleTime : source.firstSampleTime;
  const auto first = static_cast<std::size_t>(std::max(0.0, time - source.firstSampleTime));
  const std::size_t available = first < source.count ? std::min<std::size_t>(frames, source.count - first) : 0;
  const float* from = available > 0 ? source.frames + first * source.channels : nullptr;
  for (UInt32 buffer = 0; buffer < data->mNumberBuffers; ++buffer) {
    auto* out = static_cast<float*>(data->mBuffers[buffer].mData);
    if (!out) continue;
    if (source.channels == 1) {
      std::copy_n(from, available, out);
    } else {
      const std::size_t channel = std::min<std::size_t>(buffer, source.channels - 1);
      for (std::size_t i = 0; i < available; ++i) out[i] = from[i * source.channels + channel];
    }
    std::fill(out + available, out + frames, 0.0f);
  }
  return noErr;
}

void Configure(orvane::host::RenderLoop& renderLoop, double sampleRate, const RenderRequest& request,
               InputSource& source) {
  const AudioUnit unit = renderLoop.Unit();
  Check(AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &sampleRate,
                             sizeof sampleRate),
        "the sample rate");
  if (request.layout.inputChannels > 0) {
    const auto input = host::FloatStreamFormat(sampleRate, request.layout.inputChannels);
    Check(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &input, sizeof input),
          "the input format");
  }
  const auto output = host::FloatStreamFormat(sampleRate, request.layout.outputChannels);
  Check(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &output,
                             sizeof output),
        "the output format");
  const UInt32 blockSize = request.blockSize;
  Check(AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &blockSize,
                             sizeof blockSize),
        "the block size");
  if (request.layout.inputChannels > 0) {
    Check(renderLoop.SetInputCallback(0, ProvideInput, &source), "the input callback");
  }
  Check(AudioUnitInitialize(unit), "to initialise");
}

// The controller changes in time order, each with the loop's frame it lands
// on: at second 0 before the pre-roll, later ones in the input.
struct TimedChange {
  std::size_t frame;
  ControllerChange change;
};

std::vector<TimedChange> ScheduleChanges(const RenderRequest& request, double sampleRate) {
  std::vector<TimedChange> timed;
  for (const ControllerChange& change : request.controllerChanges) {
    const std::size_t frame =
        change.seconds > 0.0 ? request.prerollFrames + static_cast<std::size_t>(change.seconds * sampleRate) : 0;
    timed.push_back({frame, change});
  }
  std::stable_sort(timed.begin(), timed.end(),
                   [](const TimedChange& a, const TimedChange& b) { return a.frame < b.frame; });
  return timed;
}

// `count` frames of the channels, one after another into `frames`.
void Interleave(std::span<const float* const> channels, std::size_t count, float* frames) {
  if (channels.size() == 1) {
    std::copy_n(channels[0], count, frames);
  } else if (channels.size() == 2) {
    for (std::size_t i = 0; i < count; ++i) {
      frames[2 * i] = channels[0][i];
      frames[2 * i + 1] = channels[1][i];
    }
  } else {
    for (std::size_t channel = 0; channel < channels.size(); ++channel)
      for (std::size_t i = 0; i < count; ++i) frames[i * channels.size() + channel] = channels[channel][i];
  }
}

// Stretches of input read ahead of the render by the calling thread between
// its turns of the run loop, so that the render thread does not wait for the
// file (reading, decoding, mixing down, measuring) between stretches, and no
// thread is woken for each stretch. Reading ends after a stretch shorter than
// asked for or when the input throws.
class InputReadAhead {
public:
  InputReadAhead(const RenderRequest& request, std::size_t stretchFrames, std::size_t channels)
      : mRequest(request), mStretchFrames(stretchFrames) {
    // Left unset: each is read into before it is rendered.
    for (auto& stretch : mStretches) stretch = std::make_unique_for_overwrite<float[]>(stretchFrames * channels);
  }

  // Calling thread: reads into every stretch the render thread has finished
  // with, until the end of the input. What the input throws ends it.
  void ReadAhead() {
    for (;;) {
      std::unique_lock lock(mMutex);
      if (mEnded || mRead - mReleased == kStretches) return;
      const std::size_t index = mRead % kStretches;
      lock.unlock();
      std::size_t frames = 0;
      std::exception_ptr error;
      try {
        frames = mRequest.input(mStretches[index].get(), mStretchFrames);
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      mFrames[index] = frames;
      mError = error;
      mEnded = frames < mStretchFrames;
      ++mRead;
      lock.unlock();
      mStretchRead.notify_one();
    }
  }
  // Calling thread: the render thread is given no more input.
  void Stop() {
    {
      const std::lock_guard lock(mMutex);
      mStopped = true;
    }
    mStretchRead.notify_one();
  }

  // Render thread: the next stretch's interleaved frames once read, and how
  // many; zero at the end or when stopped. An offline render may wait.
  const float* Next(std::size_t& frames) {
    std::unique_lock lock(mMutex);
    mStretchRead.wait(lock, [this] { return mRead > mTaken || mStopped; });
    frames = 0;
    if (mRead == mTaken) return nullptr;
    const std::size_t index = mTaken++ % kStretches;
    frames = mFrames[index];
    return mStretches[index].get();
  }
  // Render thread: the stretch Next gave is rendered; its room may be read into.
  void Release() {
    const std::lock_guard lock(mMutex);
    ++mReleased;
  }

  // Once read to the end: rethrows what the input threw.
  void ThrowFailure() const {
    const std::lock_guard lock(mMutex);
    if (mError) std::rethrow_exception(mError);
  }

private:
  static constexpr std::size_t kStretches = 3;

  const RenderRequest& mRequest;
  std::size_t mStretchFrames;
  std::array<std::unique_ptr<float[]>, kStretches> mStretches;
  std::array<std::size_t, kStretches> mFrames{};
  mutable std::mutex mMutex;
  std::condition_variable mStretchRead;
  std::size_t mRead = 0;      // stretches read, the last one shorter
  std::size_t mTaken = 0;     // handed to the render thread
  std::size_t mReleased = 0;  // rendered, their room free again
  bool mEnded = false;
  bool mStopped = false;
  std::exception_ptr mError;
};

// Rendered frames on their way from the render thread to the calling thread:
// a ring of whole blocks with a stretch of samples for each channel, which the
// component renders into and the calling thread empties as it goes.
class OutputRing {
public:
  OutputRing(std::size_t frames, std::size_t channels)
      : mFrames(frames),
        mChannels(channels),
        mSamples(frames * channels),
        mTakenChannels(channels),
        mInterleaved(std::make_unique_for_overwrite<float[]>(kStreamFrames * channels)) {}

  // Render thread: room for `count` frames from `start` (never across the
  // ring's end), once the calling thread has taken what was there: a pointer
  // into each channel's stretch. False when told to stop meanwhile. An
  // offline render may wait.
  bool Claim(std::size_t start, std::size_t count, const std::atomic<bool>& stop, std::span<float*> channels) {
    for (;;) {
      if (stop.load(std::memory_order_acquire)) return false;
      if (start + count - mTaken.load(std::memory_order_acquire) <= mFrames) break;
      std::this_thread::sleep_for(kWaitForRoom);
    }
    for (std::size_t channel = 0; channel < mChannels; ++channel) channels[channel] = At(channel, start);
    return true;
  }
  void Publish(std::size_t end) { mWritten.store(end, std::memory_order_release); }
  std::size_t Written() const { return mWritten.load(std::memory_order_acquire); }

  // Calling thread: hands what was published and not yet taken to `sink`,
  // interleaved, a piece at a time.
  void Drain(const std::function<void(std::span<const float>)>& sink) {
    const std::size_t written = Written();
    std::size_t taken = mTaken.load(std::memory_order_relaxed);
    while (taken < written) {
      const std::size_t count = std::min({written - taken, mFrames - taken % mFrames, kStreamFrames});
      for (std::size_t channel = 0; channel < mChannels; ++channel) mTakenChannels[channel] = At(channel, taken);
      Interleave(mTakenChannels, count, mInterleaved.get());
      taken += count;
      mTaken.store(taken, std::memory_order_release);
      if (sink) sink(std::span<const float>(mInterleaved.get(), count * mChannels));
    }
  }

private:
  static constexpr std::chrono::microseconds kWaitForRoom{100};

  float* At(std::size_t channel, std::size_t frame) { return mSamples.data() + channel * mFrames + frame % mFrames; }

  std::size_t mFrames;
  std::size_t mChannels;
  std::vector<float> mSamples;  // each channel's stretch after the other
  std::vector<const float*> mTakenChannels;
  std::unique_ptr<float[]> mInterleaved;  // a piece taken, in memory that stays in the cache
  std::atomic<std::size_t> mWritten{0};
  std::atomic<std::size_t> mTaken{0};
};

// The render thread's work: the pre-roll, then the input a stretch at a time
// as read ahead, each stretch in blocks whose output goes into the ring. The
// first failure stops it: a refused call (its status and what failed), the
// end of the input after the input threw, or what rendering threw.
class StreamRenderer {
public:
  StreamRenderer(orvane::host::RenderLoop& renderLoop, const RenderRequest& request, std::size_t stretchFrames,
                 InputSource& source, InputReadAhead& input, double sampleRate, OutputRing& output,
                 const std::atomic<bool>& stop)
      : mLoop(renderLoop),
        mRequest(request),
        mSource(source),
        mInput(input),
        mOutput(output),
        mStop(stop),
        mChanges(ScheduleChanges(request, sampleRate)),
        mStretchFrames(stretchFrames),
        mOutputChannels(static_cast<std::size_t>(request.layout.outputChannels)),
        mRoom(mOutputChannels) {}

  void Run() {
    try {
      if (RenderPreroll()) RenderInput();
    } catch (...) {
      mError = std::current_exception();
    }
  }

  // After Run: rethrows what rendering threw, then reports a refused call.
  void ThrowFailure() const {
    if (mError) std::rethrow_exception(mError);
    Check(mStatus, mFailedCall);
  }

private:
  bool RenderPreroll() {
    for (std::size_t left = mRequest.prerollFrames; left > 0;) {
      const std::size_t frames = std::min(left, mStretchFrames);
      if (!RenderStretch(0, frames, false)) return false;
      left -= frames;
    }
    return true;
  }

  void RenderInput() {
    for (std::size_t frames = mStretchFrames; frames == mStretchFrames;) {
      mSource.frames = mInput.Next(frames);
      if (frames == 0 || !RenderStretch(frames, frames, true)) return;
      mInput.Release();
    }
  }

  // Renders `frames` in blocks with `inputFrames` of the source as their
  // input (silence after them); when kept, the output goes into the ring.
  bool RenderStretch(std::size_t inputFrames, std::size_t frames, bool keepOutput) {
    mSource.count = inputFrames;
    mSource.firstSampleTime = mLoop.SampleTime();
    for (std::size_t start = 0; start < frames; start += mRequest.blockSize) {
      const auto count = static_cast<UInt32>(std::min<std::size_t>(mRequest.blockSize, frames - start));
      if (!SendChangesDue(count)) return false;
      if (keepOutput && !ClaimRoom(count)) return false;
      // The loop's time stamps follow the blocks, so the input callback reads this block's frames.
      mStatus = mLoop.RenderBlock(count);
      if (mStatus != noErr) {
        mFailedCall = "to render";
        return false;
      }
      if (keepOutput) KeepOutput(count);
    }
    return true;
  }

  bool SendChangesDue(UInt32 count) {
    const auto blockStart = static_cast<std::size_t>(mLoop.SampleTime());
    for (; mNextChange < mChanges.size() && mChanges[mNextChange].frame < blockStart + count; ++mNextChange) {
      const TimedChange& timed = mChanges[mNextChange];
      const auto offset = static_cast<UInt32>(timed.frame > blockStart ? timed.frame - blockStart : 0);
      mStatus = MusicDeviceMIDIEvent(mLoop.Unit(), kControlChangeStatus, static_cast<UInt32>(timed.change.controller),
                                     static_cast<UInt32>(timed.change.value), offset);
      if (mStatus != noErr) {
        mFailedCall = "a MIDI controller change";
        return false;
      }
    }
    return true;
  }

  // Has the component render the next block straight into the ring. False
  // when told to stop while waiting for room.
  bool ClaimRoom(std::size_t count) {
    if (!mOutput.Claim(mFramesKept, count, mStop, mRoom)) return false;
    mLoop.SetHostBuffers(0, mRoom);
    return true;
  }

  // Completes the block in the ring: a channel the component put elsewhere
  // is copied, one it left short is completed with silence.
  void KeepOutput(std::size_t count) {
    for (std::size_t channel = 0; channel < mOutputChannels; ++channel) {
      const std::span<const float> rendered = mLoop.Output(0, static_cast<UInt32>(channel));
      const std::size_t frames = std::min(rendered.size(), count);
      float* room = mRoom[channel];
      if (rendered.data() != room) std::copy_n(rendered.data(), frames, room);
      std::fill(room + frames, room + count, 0.0f);
    }
    mFramesKept += count;
    mOutput.Publish(mFramesKept);
  }

  orvane::host::RenderLoop& mLoop;
  const RenderRequest& mRequest;
  InputSource& mSource;
  InputReadAhead& mInput;
  OutputRing& mOutput;
  const std::atomic<bool>& mStop;
  std::vector<TimedChange> mChanges;
  std::size_t mNextChange = 0;
  std::size_t mStretchFrames;
  std::size_t mOutputChannels;
  std::vector<float*> mRoom;  // each channel's room in the ring for the block
  std::size_t mFramesKept = 0;
  OSStatus mStatus = noErr;
  const char* mFailedCall = "";
  std::exception_ptr mError;
};

}  // namespace

std::vector<AUChannelInfo> ReadChannelConfigurations(AudioUnit unit) {
  UInt32 size = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, &size,
                               &writable) != noErr)
    return {};
  std::vector<AUChannelInfo> configurations(size / sizeof(AUChannelInfo));
  if (configurations.empty()) return {};
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0,
                           configurations.data(), &size) != noErr)
    return {};
  configurations.resize(size / sizeof(AUChannelInfo));
  return configurations;
}

std::optional<ChannelLayout> ChooseChannelLayout(const std::vector<AUChannelInfo>& configurations,
                                                 int fileChannels) {
  const auto bestFor = [&](int inputChannels) -> std::optional<ChannelLayout> {
    std::optional<ChannelLayout> best;
    for (const AUChannelInfo& configuration : configurations) {
      if (configuration.inChannels >= 0 && configuration.inChannels != inputChannels) continue;
      int outputs = configuration.outChannels;
      if (outputs < 0)
        outputs = configuration.inChannels < 0 && outputs == kSameAsInput ? inputChannels : kPreferredOutputChannels;
      if (outputs < 1) continue;
      const ChannelLayout candidate{inputChannels, outputs, false};
      if (!best) {
        best = candidate;
      } else if (best->outputChannels != kPreferredOutputChannels &&
                 (outputs == kPreferredOutputChannels || outputs > best->outputChannels)) {
        best = candidate;
      }
    }
    return best;
  };
  if (auto layout = bestFor(fileChannels)) return layout;
  if (fileChannels > 1) {
    if (auto layout = bestFor(1)) {
      layout->mixDown = true;
      return layout;
    }
  }
  return std::nullopt;
}

RenderResult RenderStream(AudioUnit unit, double sampleRate, const RenderRequest& request) {
  InputSource source;
  source.channels = static_cast<std::size_t>(std::max(request.layout.inputChannels, 1));
  orvane::host::RenderLoop renderLoop(unit, request.blockSize,
                                      {static_cast<UInt32>(request.layout.outputChannels)});
  Configure(renderLoop, sampleRate, request, source);

  // Whole blocks, enough for what the render thread makes while the calling
  // thread pumps the run loop once.
  const std::size_t ringBlocks =
      std::max<std::size_t>(2, static_cast<std::size_t>(kRingSeconds * sampleRate) / request.blockSize);
  OutputRing ring(ringBlocks * request.blockSize, static_cast<std::size_t>(request.layout.outputChannels));
  const std::size_t stretchFrames = (kStreamFrames + request.blockSize - 1) / request.blockSize * request.blockSize;
  std::atomic<bool> stop{false};
  const auto fractionDone = [&] {
    if (request.expectedFrames == 0) return 0.0;
    return std::min(1.0, static_cast<double>(ring.Written()) / static_cast<double>(request.expectedFrames));
  };

  const auto started = std::chrono::steady_clock::now();
  InputReadAhead input(request, stretchFrames, source.channels);
  StreamRenderer renderer(renderLoop, request, stretchFrames, source, input, sampleRate, ring, stop);
  std::future<void> rendering = std::async(std::launch::async, [&] { renderer.Run(); });
  // The main thread reads the input ahead, keeps the run loop going (the
  // component's timers), takes the output as it comes and reports progress
  // until the last block is rendered.
  try {
    do {
      input.ReadAhead();
      standin::testing::RunOnce();
      ring.Drain(request.output);
      if (request.progress) request.progress(fractionDone());
    } while (rendering.wait_for(kPumpInterval) != std::future_status::ready);
    ring.Drain(request.output);
  } catch (...) {
    stop.store(true, std::memory_order_release);
    input.Stop();
    rendering.wait();
    AudioUnitUninitialize(unit);
    throw;
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;

  AudioUnitUninitialize(unit);
  input.ThrowFailure();
  renderer.ThrowFailure();
  if (request.progress) request.progress(1.0);
  return {ring.Written(), elapsed.count()};
}

}  // namespace orvane::auhost
