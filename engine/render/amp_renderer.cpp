#include "engine/render/amp_renderer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/render/sample_count.h"

namespace orvane {
namespace {

constexpr int kMaxProcessedChannels = 2;
// Meters fall by 30 dB per second and read peaks below -120 dB as silence.
constexpr double kMeterDecayDbPerSecond = 30.0;
constexpr float kMeterSilencePeak = 0.000001f;
constexpr double kDbPerLog10 = 20.0;
constexpr double kOutputLimit = 1.0;

// The larger of a running peak and |x| as a 32-bit float; values that are not
// finite as a float do not count.
float LargerPeak(float peak, double x) {
  const float magnitude = std::fabs(static_cast<float>(x));
  return std::isfinite(magnitude) && magnitude > peak ? magnitude : peak;
}

// Overload and invalid-number guard of the output: clamped to [-1, 1], and
// silence in place of NaN or infinity (clamping those would turn them into
// full-scale clicks).
double GuardOutputSample(double y) {
  return std::isfinite(y) ? std::clamp(y, -kOutputLimit, kOutputLimit) : 0.0;
}

// Per frame: the next gain of the envelope times each output sample after
// `shape`; returns the output peak. Null outputs are skipped, and with no
// output at all the envelope still moves on by n samples.
template <typename Shape>
float ApplyMuteEnvelope(MuteEnvelope& envelope, double* const* outputs, int outputChannels, int n, Shape shape) {
  float peak = 0.0f;
  for (int i = 0; i < n; ++i) {
    const double gain = envelope.Step();
    for (int c = 0; c < outputChannels; ++c) {
      double* out = outputs[c];
      if (out != nullptr) {
        out[i] = shape(out[i]) * gain;
        peak = LargerPeak(peak, out[i]);
      }
    }
  }
  return peak;
}

AmpRenderer::ChannelRouting RoutingFor(const BlockFormat& format) {
  const int inputs = std::max(format.inputChannels, 0);
  const int outputs = std::max(format.outputChannels, 0);
  return {inputs, outputs, inputs == 1 && outputs == 2, std::min({inputs, outputs, kMaxProcessedChannels})};
}

// The input that feeds output channel c: its own input, input 0 when one
// input feeds two outputs, or none (silence).
const double* InputFor(const double* const* inputs, int c, const AmpRenderer::ChannelRouting& routing) {
  if (c < routing.inputs) {
    return inputs[c];
  }
  return routing.monoToStereo ? inputs[0] : nullptr;
}

}  // namespace

AmpRenderer::AmpRenderer() {
  mAppliedSettings.oversampling = 1;
  mAppliedSettings.toneStackPosition = kDefaultToneStackPosition;
  for (std::atomic<float>& level : mMeterLevels) {
    level.store(kMeterFloorDb, std::memory_order_relaxed);
  }
}

AmpRenderer::~AmpRenderer() {
  delete mPendingSnapshot.exchange(nullptr, std::memory_order_acq_rel);
  delete std::exchange(mCurrentSnapshot, nullptr);
  for (std::unique_ptr<AmpEngine>& engine : mEngines) {
    engine.reset();
  }
  mRetiredSnapshots.Reclaim();
}

void AmpRenderer::InstallEngines(AmpEnginePair engines, const EngineSettings& applied, double sampleRate) {
  mEngines = std::move(engines);
  mAppliedSettings = applied;
  const double rate = UsableSampleRate(sampleRate);
  mAppliedSampleRate = rate;
  mHostSampleRate.store(rate, std::memory_order_release);
}

AmpEngine* AmpRenderer::Engine(int channel) {
  return channel >= 0 && channel < static_cast<int>(mEngines.size()) ? mEngines[static_cast<std::size_t>(channel)].get()
                                                                       : nullptr;
}

bool AmpRenderer::HasEngines() const {
  return mEngines[0] != nullptr || mEngines[1] != nullptr;
}

void AmpRenderer::PostMuteRequest(int fadeOutMs, int holdMs, int fadeInMs) {
  mMuteEnvelope.Post(MakeMuteRequestWord(fadeOutMs, holdMs, fadeInMs));
}

std::array<float, 2> AmpRenderer::MeterLevels() const {
  return {mMeterLevels[0].load(std::memory_order_relaxed), mMeterLevels[1].load(std::memory_order_relaxed)};
}

void AmpRenderer::ProcessBlock(const double* const* inputs, double* const* outputs, int nFrames,
                               const BlockFormat& format) {
  const double rate = UsableSampleRate(format.sampleRate);
  const int n = std::max(nFrames, 0);
  const ChannelRouting routing = RoutingFor(format);
  const bool ampOn = mAmpEnabled.load(std::memory_order_acquire);
  // A request posted during the start-up settle waits for its release.
  if (!ampOn || mSettle.AcceptsMuteRequests()) {
    mMuteEnvelope.TakeRequest(rate);
  }

  Peaks peaks;
  if (ampOn) {
    ProcessAmpOn(inputs, outputs, n, routing, rate, peaks);
  } else {
    PassThroughAmpOff(inputs, outputs, n, routing, peaks);
  }
  if (nFrames <= 0) {
    return;
  }
  if (ampOn) {
    mSettle.Advance(n, routing.processed, mMuteEnvelope);
  }
  UpdateMeters(peaks, n, rate);
}

void AmpRenderer::PassThroughAmpOff(const double* const* inputs, double* const* outputs, int n,
                                    const ChannelRouting& routing, Peaks& peaks) {
  for (int c = 0; c < routing.outputs; ++c) {
    double* out = outputs[c];
    if (out == nullptr) {
      continue;
    }
    const double* in = InputFor(inputs, c, routing);
    if (in == nullptr) {
      std::fill(out, out + n, 0.0);
      continue;
    }
    for (int i = 0; i < n; ++i) {
      out[i] = in[i];
      peaks.input = LargerPeak(peaks.input, in[i]);
    }
  }
  peaks.output = ApplyMuteEnvelope(mMuteEnvelope, outputs, routing.outputs, n, [](double x) { return x; });
}

void AmpRenderer::ProcessAmpOn(const double* const* inputs, double* const* outputs, int n,
                               const ChannelRouting& routing, double rate, Peaks& peaks) {
  if (!mSettle.Started()) {
    mSettle.Start(rate, mMuteEnvelope);
  }
  if (HasEngines()) {
    TakePendingSnapshot();
    MapMidiCCToControls();
  }
  ReRateEnginesIfNeeded();

  const double inputGain = mInputGain.load(std::memory_order_relaxed);
  const double outputGain = mOutputGain.load(std::memory_order_relaxed);
  peaks.input = CopyGainedInput(inputs, outputs, n, routing, inputGain);
  RunEngines(outputs, n, routing);
  if (mSettle.Probing() && routing.processed >= 1) {
    mSettle.Probe(outputs, routing.processed, n);
  }
  peaks.output = ApplyMuteEnvelope(mMuteEnvelope, outputs, routing.outputs, n,
                                   [outputGain](double x) { return GuardOutputSample(x * outputGain); });
}

float AmpRenderer::CopyGainedInput(const double* const* inputs, double* const* outputs, int n,
                                   const ChannelRouting& routing, double inputGain) const {
  // The engines run on silence until the start-up settle releases them.
  const double gate = mSettle.InputGated() ? 0.0 : 1.0;
  float peak = 0.0f;
  for (int c = 0; c < routing.outputs; ++c) {
    double* out = outputs[c];
    if (out == nullptr) {
      continue;
    }
    const double* in = InputFor(inputs, c, routing);
    if (in == nullptr) {
      std::fill(out, out + n, 0.0);
      continue;
    }
    for (int i = 0; i < n; ++i) {
      double x = in[i] * inputGain;
      // One NaN or infinity would stay in every filter memory of the engine.
      if (!std::isfinite(x)) {
        x = 0.0;
      }
      out[i] = gate * x;
      peak = LargerPeak(peak, out[i]);
    }
  }
  return peak;
}

void AmpRenderer::RunEngines(double* const* outputs, int n, const ChannelRouting& routing) {
  for (int c = 0; c < routing.processed; ++c) {
    AmpEngine* engine = mEngines[static_cast<std::size_t>(c)].get();
    double* channel = outputs[c];
    if (engine != nullptr && channel != nullptr) {
      engine->Process(channel, channel, n);
    }
  }
  if (routing.monoToStereo && outputs[0] != nullptr && outputs[1] != nullptr) {
    std::copy(outputs[0], outputs[0] + n, outputs[1]);
  }
}

void AmpRenderer::ReRateEnginesIfNeeded() {
  const double hostRate = mHostSampleRate.load(std::memory_order_acquire);
  if (!HasEngines() || !(hostRate > 0.0) || !std::isfinite(hostRate) || hostRate == mAppliedSampleRate) {
    return;
  }
  for (std::unique_ptr<AmpEngine>& engine : mEngines) {
    if (engine != nullptr) {
      engine->SetSampleRate(hostRate);
      engine->Reset();
    }
  }
  mAppliedSampleRate = hostRate;
}

void AmpRenderer::UpdateMeters(const Peaks& peaks, int n, double rate) {
  const double decay = n * kMeterDecayDbPerSecond / rate;
  const float blockPeaks[] = {peaks.input, peaks.output};
  for (std::size_t m = 0; m < mMeterLevels.size(); ++m) {
    const double level = blockPeaks[m] > kMeterSilencePeak ? kDbPerLog10 * std::log10(blockPeaks[m]) : kMeterFloorDb;
    const double old = mMeterLevels[m].load(std::memory_order_relaxed);
    const double decayed = std::max(old - decay, static_cast<double>(kMeterFloorDb));
    mMeterLevels[m].store(static_cast<float>(std::max(decayed, level)), std::memory_order_relaxed);
  }
}

}  // namespace orvane
