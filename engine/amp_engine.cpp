#include "engine/amp_engine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/biquad_cascade.h"
#include "engine/engine_units.h"
#include "engine/flush_denormals.h"

namespace orvane {
namespace {

constexpr double kUpsamplerCutoffHz = 16000.0;
constexpr double kDownsamplerCutoffHz = 18000.0;
// Fallback cut-off at low host rates; always below the oversampler's limit of
// rate x factor / 2.1 for factors of 2 and more.
constexpr double kLowRateCutoffFraction = 0.45;

constexpr double kGlideSeconds = 0.1;
constexpr double kMaxTrimDb = 60.0;
constexpr double kDcBlockerHz = 2.0;
constexpr double kDcBlockerQ = 1.0;

bool Finite(double x) {
  return std::isfinite(x);
}

bool ValidSection(int section) {
  return section >= 0 && section < static_cast<int>(kAmpSectionCount);
}

double AcceptedCutoff(double preferredHz, double hostRateHz, int factor) {
  if (OversamplerAcceptsCutoff(preferredHz, hostRateHz, factor)) {
    return preferredHz;
  }
  return kLowRateCutoffFraction * hostRateHz;
}

}  // namespace

OversamplerCutoffs ComputeOversamplerCutoffs(double hostRateHz, int factor) {
  return {AcceptedCutoff(kUpsamplerCutoffHz, hostRateHz, factor),
          AcceptedCutoff(kDownsamplerCutoffHz, hostRateHz, factor)};
}

std::int32_t GlideLengthForRate(double processingRateHz) {
  const double samples = std::floor(processingRateHz * kGlideSeconds + 0.5);
  if (!(samples > 0.0)) {
    return 0;
  }
  constexpr double kMax = static_cast<double>(ParamGlide::kMaxLength);
  return samples >= kMax ? ParamGlide::kMaxLength : static_cast<std::int32_t>(samples);
}

AmpEngine::AmpEngine(const DnaBytes* dna)
    : mDnaBytes(EngineDefaultDna()),
      mPowerStage(kDefaultEngineRate, PowerAmpSettings{}),
      mToneStage(kDefaultEngineRate),
      mEqStage(kDefaultEngineRate) {
  mKnobs.fill(kKnobMax / 2);
  mSectionOn.fill(true);
  for (ParamGlide& trim : mTrim) {
    trim.SetTarget(1.0, mGlideLength);
  }
  // Reserved now so that no later change of factor creates sections.
  mUpsampler.Reserve(kOversamplerOrder);
  mDownsampler.Reserve(kOversamplerOrder);

  mOutputDcBlocker.SetEnabled(true);
  DesignBiquad(mOutputDcBlocker, {kDcBlockerHz, kDcBlockerQ, 0.0, 0.0, BiquadType::FirstOrderHighPass},
               BiquadRamp::Ramped);
  for (PreampStage& stage : mPreamp) {
    for (Biquad* filter : {&stage.acCoupling, &stage.color, &stage.bandwidth}) {
      filter->SetEnabled(true);
    }
  }
  mEqStage.SetEnabled(true);

  SetSampleRate(kDefaultEngineRate);
  SetDna(dna != nullptr ? *dna : mDnaBytes);
  SetKnobs(mKnobs);
  Reset();
}

double AmpEngine::ProcessingRate() const {
  return mOversamplingActive ? mBaseRate * mOversamplingFactor : mBaseRate;
}

void AmpEngine::ApplyProcessingRate() {
  const double rate = ProcessingRate();
  mGlideLength = GlideLengthForRate(rate);
  for (PreampStage& stage : mPreamp) {
    stage.tube.SetCrossfadeLength(mGlideLength);
  }
  mPowerStage.SetGlideLength(mGlideLength);
  if (rate > 0.0) {
    for (PreampStage& stage : mPreamp) {
      for (Biquad* filter : {&stage.acCoupling, &stage.color, &stage.bandwidth}) {
        filter->SetSampleRate(rate, BiquadRamp::Ramped);
        filter->ClearMemories();
      }
    }
  }
  mPowerStage.SetSampleRate(rate);
  mToneStage.SetSampleRate(rate);
  mEqStage.SetSampleRate(rate);
  if (mBaseRate > 0.0) {
    mOutputDcBlocker.SetSampleRate(mBaseRate, BiquadRamp::Ramped);
    mOutputDcBlocker.ClearMemories();
  }
}

void AmpEngine::ConfigureOversamplers() {
  const OversamplerCutoffs cutoffs = ComputeOversamplerCutoffs(mBaseRate, mOversamplingFactor);
  mUpsampler.Configure(mOversamplingFactor, kOversamplerOrder, mBaseRate, cutoffs.upHz);
  mDownsampler.Configure(mOversamplingFactor, kOversamplerOrder, mBaseRate, cutoffs.downHz);
}

void AmpEngine::SetSampleRate(double rateHz) {
  if (!(rateHz > 0.0) || !Finite(rateHz)) {
    return;
  }
  mBaseRate = rateHz;
  mOversamplingFactor = std::clamp(mOversamplingFactor, 1, kMaxOversamplingFactor);
  ConfigureOversamplers();
  ApplyProcessingRate();
}

void AmpEngine::SetOversampling(int factor) {
  mOversamplingFactor = std::clamp(factor, 1, kMaxOversamplingFactor);
  mOversamplingActive = factor > 1;
  ConfigureOversamplers();
  ApplyProcessingRate();
}

void AmpEngine::SetToneStackPosition(int position) {
  mToneStackPosition = std::clamp(position, 1, kPreampStageCount);
}

void AmpEngine::SetSectionOn(int section, bool on) {
  if (ValidSection(section)) {
    mSectionOn[static_cast<std::size_t>(section)] = on;
  }
}

void AmpEngine::SetSectionTrimDb(int section, double gainDb) {
  if (ValidSection(section) && Finite(gainDb)) {
    mTrim[static_cast<std::size_t>(section)].SetTarget(DbToGain(std::clamp(gainDb, -kMaxTrimDb, kMaxTrimDb)),
                                                       mGlideLength);
  }
}

void AmpEngine::SetDna(const DnaBytes& dna) {
  mDnaBytes = dna;
  mDna = DecodeDna(dna);
  for (int s = 0; s < kPreampStageCount; ++s) {
    const double supply = mDna[PreampDnaIndex(s, kPreampTubeSupply)];
    const double satLimit = mDna[PreampDnaIndex(s, kPreampTubeSatLimit)];
    const double biasPercent = mDna[PreampDnaIndex(s, kPreampTubeBias)];
    const double bias = supply * satLimit / kPercentScale + (supply - supply / kPercentScale) * biasPercent / kPercentScale;
    mBias[static_cast<std::size_t>(s)].SetTarget(bias, mGlideLength);
  }
  for (int s = 0; s < kPreampStageCount; ++s) {
    PreampStage& stage = mPreamp[static_cast<std::size_t>(s)];
    const auto value = [&](PreampRow row) { return mDna[PreampDnaIndex(s, row)]; };
    const double supply = value(kPreampTubeSupply);
    DesignBiquad(stage.acCoupling, {value(kPreampAcCoupling), kPreampFilterQ, 0.0, 0.0, BiquadType::FirstOrderHighPass},
                 BiquadRamp::Ramped);
    DesignBiquad(stage.color,
                 {value(kPreampColorFreq), kPreampFilterQ, value(kPreampColorGain), 0.0, BiquadType::FirstOrderHighShelf},
                 BiquadRamp::Ramped);
    stage.tube.SetShape(value(kPreampTubeCutoffSharpness), supply, value(kPreampTubeSatSharpness),
                        supply * value(kPreampTubeSatLimit) / kPercentScale);
    DesignBiquad(stage.bandwidth, {value(kPreampTubeBandwidth), kPreampFilterQ, 0.0, 0.0, BiquadType::FirstOrderLowPass},
                 BiquadRamp::Ramped);
  }
  UpdateStageDrives();

  mToneStage.Update(ToneStackRangesFromDna(mDna), 0.0);

  const double railPos = mDna[kDnaPowerRailPositive];
  const double railNeg = mDna[kDnaPowerRailNegative];
  PowerAmpSettings power;
  power.bandwidthHz = mDna[kDnaPowerBandwidth];
  power.crossoverAmountPercent = mDna[kDnaPowerCrossoverAmount];
  power.crossoverRange = mDna[kDnaPowerCrossoverRange] / kPercentScale * std::min(std::fabs(railPos), std::fabs(railNeg));
  power.drive = DbToGain(mDna[kDnaPowerGain]);
  power.hardnessPos = mDna[kDnaPowerCutoffHardnessPos];
  power.hardnessNeg = mDna[kDnaPowerCutoffHardnessNeg];
  power.railPos = railPos;
  power.railNeg = railNeg;
  power.acCouplingHz = mDna[kDnaPowerAcCoupling];
  mPowerStage.Update(power);

  mEqStage.Update(mKnobs[kKnobResonance], mKnobs[kKnobPresence],
                  EqVoicing{mDna[kDnaPowerResonanceFreq], mDna[kDnaPowerResonanceGainMax], mDna[kDnaPowerPresenceFreq],
                            mDna[kDnaPowerPresenceGainMax]});
}

void AmpEngine::SetKnobs(const AmpKnobs& knobs) {
  for (std::size_t i = 0; i < kAmpKnobCount; ++i) {
    mKnobs[i] = std::clamp(knobs[i], 0.0, kKnobMax);
  }
  const double master = mKnobs[kKnobMaster] / kKnobMax;
  mMasterGain = master * master * master;
  UpdateStageDrives();
  mToneStage.SetKnobs(mKnobs[kKnobBass], mKnobs[kKnobMid], mKnobs[kKnobTreble]);
  mToneStage.Update();
  mEqStage.Update(mKnobs[kKnobResonance], mKnobs[kKnobPresence],
                  EqVoicing{mDna[kDnaPowerResonanceFreq], mDna[kDnaPowerResonanceGainMax], mDna[kDnaPowerPresenceFreq],
                            mDna[kDnaPowerPresenceGainMax]});
}

void AmpEngine::UpdateStageDrives() {
  const PreampDrives drives = ComputePreampDrives(mDna, mKnobs[kKnobGain]);
  for (int s = 0; s < kPreampStageCount; ++s) {
    mDrive[static_cast<std::size_t>(s)].SetTarget(drives[static_cast<std::size_t>(s)], mGlideLength);
  }
}

void AmpEngine::Reset() {
  for (auto* glides : {&mDrive, &mBias}) {
    for (ParamGlide& glide : *glides) {
      glide.SnapToTarget();
    }
  }
  for (ParamGlide& trim : mTrim) {
    trim.SnapToTarget();
  }
  double rest = 0.0;  // what the previous stage puts out in silence
  for (int s = 0; s < kPreampStageCount; ++s) {
    PreampStage& stage = mPreamp[static_cast<std::size_t>(s)];
    stage.tube.EndCrossfade();
    stage.acCoupling.Prime(rest);
    stage.color.Prime(0.0);
    rest = stage.tube.Transfer(mBias[static_cast<std::size_t>(s)].Current());
    stage.bandwidth.Prime(rest);
  }
  mToneStage.Reset(rest);
  mPowerStage.Reset(mSectionOn[kSectionToneStack] ? 0.0 : rest);
  mEqStage.Reset(mPowerStage.Rails().Transfer(0.0));
}

void AmpEngine::RunTrim(ParamGlide& trim, double* x, int n) {
  int i = 0;
  for (; i < n && trim.Gliding(); ++i) {
    trim.Step();
    x[i] *= trim.Current();
  }
  const double gain = trim.Current();
  for (; i < n; ++i) {
    x[i] *= gain;
  }
}

void AmpEngine::RunTube(std::size_t stage, double* x, int n) {
  ParamGlide& drive = mDrive[stage];
  ParamGlide& bias = mBias[stage];
  CurveStage& tube = mPreamp[stage].tube;
  int i = 0;
  for (; i < n && (drive.Gliding() || bias.Gliding() || tube.Crossfading()); ++i) {
    drive.StepIfGliding();
    bias.StepIfGliding();
    x[i] = tube.Evaluate(bias.Current() + drive.Current() * x[i]);
  }
  tube.TransferBlock(bias.Current(), drive.Current(), x + i, n - i);
}

template <std::size_t N>
void AmpEngine::QueueStage(const std::array<Biquad*, N>& sections, bool enabled, BiquadCascade& cascade, double* x,
                           int n) {
  if (!enabled) {
    // A disabled stage passes its input; its sections still run, on a copy.
    cascade.Run(x, n);
    std::copy_n(x, n, mScratch.data());
    x = mScratch.data();
  }
  for (Biquad* section : sections) {
    cascade.Add(*section);
  }
  if (!enabled) {
    cascade.Run(x, n);
  }
}

// Every glide moves once per processed sample; the chain stepped the ones it
// used, the others catch up here.
void AmpEngine::AdvanceUnusedGlides(int n) {
  for (std::size_t s = 0; s < kPreampStageCount; ++s) {
    if (mSectionOn[s]) {
      mTrim[s].Advance(n);
    } else {
      mDrive[s].Advance(n);
      mBias[s].Advance(n);
    }
  }
  for (std::size_t section : {std::size_t{kSectionToneStack}, std::size_t{kSectionPowerAmp}}) {
    if (mSectionOn[section]) {
      mTrim[section].Advance(n);
    }
  }
}

// The chain at the processing rate, stage by stage over the block. Filters
// between two nonlinear stages run as one cascade; the first and the last
// filters join the cascades the caller began and ends.
void AmpEngine::RunChain(BiquadCascade& cascade, double* x, int n) {
  for (std::size_t s = 0; s < kPreampStageCount; ++s) {
    PreampStage& stage = mPreamp[s];
    if (mSectionOn[s]) {
      cascade.Add(stage.acCoupling);
      cascade.Add(stage.color);
      cascade.Run(x, n);
      RunTube(s, x, n);
      cascade.Add(stage.bandwidth);
    } else {
      cascade.Run(x, n);
      RunTrim(mTrim[s], x, n);
    }
    if (mToneStackPosition == static_cast<int>(s) + 1) {
      if (mSectionOn[kSectionToneStack]) {
        QueueStage(mToneStage.Sections(), mToneStage.Enabled(), cascade, x, n);
      } else {
        cascade.Run(x, n);
        RunTrim(mTrim[kSectionToneStack], x, n);
      }
    }
  }
  if (mSectionOn[kSectionPowerAmp]) {
    cascade.Add(mPowerStage.AcCoupling(), mMasterGain);
    cascade.Run(x, n);
    mPowerStage.ProcessNonLinearityBlock(x, n);
    cascade.Add(mPowerStage.Bandwidth());
    QueueStage(mEqStage.Sections(), mEqStage.Enabled(), cascade, x, n);
  } else {
    cascade.Run(x, n);
    RunTrim(mTrim[kSectionPowerAmp], x, n);
  }
  AdvanceUnusedGlides(n);
}

int AmpEngine::ChunkLength() const {
  if (!mOversamplingActive || mOversamplingFactor < 2) {
    return kChunkSamples;
  }
  // Both oversamplers run at the engine's factor; the largest of the three
  // keeps the buffer safe all the same.
  return kChunkSamples / std::max({mOversamplingFactor, mUpsampler.Factor(), mDownsampler.Factor()});
}

// Returns the number of samples done: all n, or fewer when an output was not
// finite and the engine started over from rest after it.
int AmpEngine::ProcessChunk(const double* input, double* output, int n) {
  double* host = mHostSamples.data();
  for (int i = 0; i < n; ++i) {
    host[i] = Finite(input[i]) ? input[i] : 0.0;
  }
  BiquadCascade cascade;
  // A DC blocker at rest joins the last cascade: after a non-finite output
  // its state is its cleared memories whatever it ran past that sample.
  bool dcBlockerDone = false;
  if (mOversamplingActive && mOversamplingFactor >= 2) {
    double* work = mWork.data();
    const int processed = n * mOversamplingFactor;
    mUpsampler.HoldInputs(host, n, work);
    mUpsampler.QueueSections(cascade);
    RunChain(cascade, work, processed);
    mDownsampler.QueueSections(cascade);
    cascade.Run(work, processed);
    mDownsampler.KeepFirstOfEach(work, n, host);
  } else {
    RunChain(cascade, host, n);
    dcBlockerDone = !mOutputDcBlocker.Ramping();
    if (dcBlockerDone) {
      cascade.Add(mOutputDcBlocker);
    }
    cascade.Run(host, n);
  }
  for (int i = 0; i < n; ++i) {
    const double y = dcBlockerDone ? host[i] : mOutputDcBlocker.Process(host[i]);
    const double out = static_cast<double>(static_cast<float>(y));
    if (!Finite(out)) {
      RecoverFromNonFiniteOutput();
      output[i] = 0.0;
      return i + 1;
    }
    output[i] = out;
  }
  return n;
}

// A non-finite value would stay in every filter memory for good: start over
// from rest, including the memories a normal reset leaves alone.
void AmpEngine::RecoverFromNonFiniteOutput() {
  Reset();
  mOutputDcBlocker.ClearMemories();
  mUpsampler.ClearMemories();
  mDownsampler.ClearMemories();
  mOversamplingBuffer.fill(0.0);
}

bool AmpEngine::Process(const double* input, double* output, int n) {
  if (input == nullptr || output == nullptr) {
    return false;
  }
  const ScopedFlushDenormals flushDenormals;
  const int chunk = ChunkLength();
  for (int done = 0; done < n;) {
    done += ProcessChunk(input + done, output + done, std::min(chunk, n - done));
  }
  return true;
}

AmpEnginePair BuildAmpEngine(const EngineSettings& settings, double rateHz) {
  const double rate = rateHz > 0.0 && std::isfinite(rateHz) ? rateHz : kDefaultEngineRate;
  AmpEnginePair engines;
  for (std::unique_ptr<AmpEngine>& engine : engines) {
    engine = std::make_unique<AmpEngine>(&settings.dna);
    engine->SetOversampling(settings.oversampling);
    engine->SetToneStackPosition(settings.toneStackPosition);
    engine->SetSampleRate(rate);
    engine->SetDna(settings.dna);
    engine->SetKnobs(settings.knobs);
    for (int section = 0; section < static_cast<int>(kAmpSectionCount); ++section) {
      engine->SetSectionOn(section, settings.sections[static_cast<std::size_t>(section)]);
      engine->SetSectionTrimDb(section, settings.bypassGainDb[static_cast<std::size_t>(section)]);
    }
    engine->Reset();
  }
  return engines;
}

}  // namespace orvane
