#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/biquad.h"
#include "engine/curve_stage.h"
#include "engine/dna_table.h"
#include "engine/engine_settings.h"
#include "engine/eq_stage.h"
#include "engine/oversampler.h"
#include "engine/param_glide.h"
#include "engine/power_amp_stage.h"
#include "engine/tone_stage.h"

namespace orvane {

class BiquadCascade;

namespace testing {
class ReferenceAmpEngine;
}

inline constexpr int kOversamplerOrder = 22;
inline constexpr double kDefaultEngineRate = 48000.0;
// Q of the preamp stages' first-order coupling, colour and bandwidth filters.
inline constexpr double kPreampFilterQ = 0.7;

// Cut-offs of the up- and downsampler for a host rate and factor. The usual
// 16 kHz / 18 kHz are kept wherever the oversampler accepts them; at low host
// rates, where it would refuse them, 0.45 x the host rate is used instead.
struct OversamplerCutoffs {
  double upHz;
  double downHz;
};
OversamplerCutoffs ComputeOversamplerCutoffs(double hostRateHz, int factor);

// Glide length for a processing rate: 100 ms of samples, saturating.
std::int32_t GlideLengthForRate(double processingRateHz);

// The whole amplifier for one channel: four preamp stages (coupling, colour,
// tube, bandwidth), the tone stack at a chosen position, the power amp with
// its EQ, optional oversampling of that chain, and a DC blocker at the host
// rate. Built on the user-interface thread; afterwards every call runs on the
// render thread and allocates nothing.
class AmpEngine {
public:
  // Without DNA the engine default DNA is used.
  explicit AmpEngine(const DnaBytes* dna = nullptr);

  // Processes n samples; input and output may be the same array. Returns
  // false for a missing array. Outputs are representable as 32-bit floats.
  bool Process(const double* input, double* output, int n);

  void SetDna(const DnaBytes& dna);
  void SetKnobs(const AmpKnobs& knobs);
  // Ignored unless finite and above 0.
  void SetSampleRate(double rateHz);
  // Requested factor: above 1 runs the chain oversampled, clamped to 8.
  void SetOversampling(int factor);
  void SetToneStackPosition(int position);
  void SetSectionOn(int section, bool on);
  // A non-finite gain keeps the trim; others are limited to +-60 dB.
  void SetSectionTrimDb(int section, double gainDb);
  // Brings every glide, crossfade and filter to rest for silence.
  void Reset();

  // Recomputes the four preamp drives from the decoded DNA and the gain knob
  // and sets them as glide targets.
  void UpdateStageDrives();
  // Re-rates every filter, crossfade and glide for the current base rate and
  // oversampling.
  void ApplyProcessingRate();

  // For the plot curves: one sample through a preamp tube (with its
  // crossfade), and through the power amp's nonlinearity.
  double EvaluatePreampTube(int stage, double u) { return mPreamp[static_cast<std::size_t>(stage)].tube.Evaluate(u); }
  double EvaluatePowerAmpNonLinearity(double x) { return mPowerStage.ProcessNonLinearity(x); }

  double BaseRate() const { return mBaseRate; }
  double ProcessingRate() const;
  int OversamplingFactor() const { return mOversamplingFactor; }
  bool OversamplingActive() const { return mOversamplingActive; }
  std::int32_t GlideLength() const { return mGlideLength; }
  const DnaBytes& Dna() const { return mDnaBytes; }
  const DecodedDna& Decoded() const { return mDna; }
  const AmpKnobs& Knobs() const { return mKnobs; }
  double MasterGain() const { return mMasterGain; }
  int ToneStackPosition() const { return mToneStackPosition; }
  bool SectionOn(int section) const { return mSectionOn[static_cast<std::size_t>(section)]; }
  const ParamGlide& DriveGlide(int stage) const { return mDrive[static_cast<std::size_t>(stage)]; }
  const ParamGlide& BiasGlide(int stage) const { return mBias[static_cast<std::size_t>(stage)]; }
  const ParamGlide& TrimGlide(int section) const { return mTrim[static_cast<std::size_t>(section)]; }
  const CurveStage& PreampTube(int stage) const { return mPreamp[static_cast<std::size_t>(stage)].tube; }
  const Biquad& PreampColor(int stage) const { return mPreamp[static_cast<std::size_t>(stage)].color; }
  const ToneStage& Tone() const { return mToneStage; }
  const PowerAmpStage& PowerAmp() const { return mPowerStage; }
  const EqStage& Eq() const { return mEqStage; }
  const Biquad& OutputDcBlocker() const { return mOutputDcBlocker; }
  const Oversampler& Upsampler() const { return mUpsampler; }
  const Oversampler& Downsampler() const { return mDownsampler; }

private:
  // The one-sample-at-a-time oracle of the tests runs this engine's own stages.
  friend class testing::ReferenceAmpEngine;

  struct PreampStage {
    Biquad acCoupling;
    Biquad color;
    CurveStage tube;
    Biquad bandwidth;
  };

  int ChunkLength() const;
  int ProcessChunk(const double* input, double* output, int n);
  void RunChain(BiquadCascade& cascade, double* x, int n);
  void RunTube(std::size_t stage, double* x, int n);
  static void RunTrim(ParamGlide& trim, double* x, int n);
  template <std::size_t N>
  void QueueStage(const std::array<Biquad*, N>& sections, bool enabled, BiquadCascade& cascade, double* x, int n);
  void AdvanceUnusedGlides(int n);
  void ConfigureOversamplers();
  void RecoverFromNonFiniteOutput();

  bool mOversamplingActive = false;
  DnaBytes mDnaBytes;
  double mBaseRate = kDefaultEngineRate;
  AmpKnobs mKnobs;
  DecodedDna mDna{};
  double mMasterGain = 0.0;
  std::array<ParamGlide, kPreampStageCount> mDrive;
  std::array<ParamGlide, kPreampStageCount> mBias;
  std::int32_t mGlideLength = kDefaultCrossfadeLength;
  std::array<ParamGlide, kAmpSectionCount> mTrim;
  Biquad mOutputDcBlocker;
  std::array<PreampStage, kPreampStageCount> mPreamp;
  PowerAmpStage mPowerStage;
  ToneStage mToneStage;
  EqStage mEqStage;
  Oversampler mUpsampler;
  Oversampler mDownsampler;
  int mOversamplingFactor = 1;
  std::array<double, kMaxOversamplingFactor> mOversamplingBuffer{};
  int mToneStackPosition = kPreampStageCount;
  AmpSections mSectionOn;

  // A block runs in chunks of this many processing-rate samples.
  static constexpr int kChunkSamples = 512;
  std::array<double, kChunkSamples> mHostSamples{};  // a chunk at the host rate
  std::array<double, kChunkSamples> mWork{};         // the chunk at the processing rate
  std::array<double, kChunkSamples> mScratch{};      // what a disabled stage's sections put out
};

using AmpEnginePair = std::array<std::unique_ptr<AmpEngine>, 2>;

// The two channel engines for an amplifier's settings at a host rate (a rate
// that is not above 0 means 48 kHz), each at rest on its targets.
AmpEnginePair BuildAmpEngine(const EngineSettings& settings, double rateHz);

}  // namespace orvane
