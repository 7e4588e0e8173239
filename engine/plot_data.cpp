#include "engine/plot_data.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "engine/amp_engine.h"
#include "engine/biquad.h"
#include "engine/engine_units.h"
#include "engine/eq_stage.h"
#include "engine/power_amp_stage.h"
#include "engine/spectrum.h"
#include "engine/tone_stage.h"

namespace orvane {
namespace {

constexpr double kLastCurveIndex = static_cast<double>(kTransferCurvePoints - 1);

constexpr double kOutputLowPassQ = 1.0;

constexpr double kPowerRangeHeadroom = 1.5;
constexpr double kMinPowerGain = 1e-12;
constexpr double kFallbackPowerRange = 20.0;
constexpr double kMinPowerRange = 1.0;
constexpr double kMaxPowerRange = 1000000.0;

// Filters of a linear plot take their coefficients at once, at the plot rate
// (48 kHz while none is set; the spectrum then refuses the rate of 0).
std::vector<Biquad> Cascade(std::initializer_list<BiquadParams> designs, double rateHz) {
  std::vector<Biquad> cascade(designs.size());
  std::size_t i = 0;
  for (const BiquadParams& design : designs) {
    Biquad& filter = cascade[i++];
    filter.SetSampleRate(rateHz > 0.0 ? rateHz : kDefaultEngineRate, BiquadRamp::Immediate);
    DesignBiquad(filter, design, BiquadRamp::Immediate);
  }
  return cascade;
}

void ComputeResponse(std::initializer_list<BiquadParams> designs, double rateHz, double amplitude,
                     FrequencyCurve& curve) {
  std::vector<Biquad> cascade = Cascade(designs, rateHz);
  ImpulseResponseSpectrum(cascade, curve.frequencies, curve.magnitudes, rateHz, amplitude);
}

}  // namespace

double PowerPlotRange(const DecodedDna& dna) {
  const double gain = DbToGain(dna[kDnaPowerGain]);
  double range = gain > kMinPowerGain ? kPowerRangeHeadroom *
                                            std::max(std::fabs(dna[kDnaPowerRailPositive]),
                                                     std::fabs(dna[kDnaPowerRailNegative])) /
                                            gain
                                      : kFallbackPowerRange;
  if (!(range > 0.0) || !std::isfinite(range)) {
    range = kFallbackPowerRange;
  }
  return std::clamp(range, kMinPowerRange, kMaxPowerRange);
}

void PlotData::InvalidateForDnaIndex(std::size_t index) {
  if (index < static_cast<std::size_t>(kDnaToneHpfFreqMin)) {
    const int row = static_cast<int>(index) % kPreampRowsPerStage;
    if (row <= kPreampTubeGain || row == kPreampTubeBandwidth) {
      mPreampLinearValid = false;
    }
    if (row >= kPreampTubeGain && row <= kPreampTubeSatSharpness) {
      mPreampNonLinearValid = false;
    }
  } else if (index <= static_cast<std::size_t>(kDnaToneTrebleFreqMax)) {
    mToneStackValid = false;
  } else if (index == static_cast<std::size_t>(kDnaPowerGain)) {
    mPowerLinearValid = false;
    mPowerNonLinearValid = false;
  } else if (index <= static_cast<std::size_t>(kDnaPowerCrossoverRange)) {
    mPowerNonLinearValid = false;
  } else {
    mPowerLinearValid = false;
  }
}

bool PlotData::SetDna(const DnaBytes& dna) {
  if (dna == mDna) {
    return false;
  }
  for (std::size_t i = 0; i < kDnaSize; ++i) {
    if (dna[i] != mDna[i]) {
      InvalidateForDnaIndex(i);
    }
  }
  mDna = dna;
  return true;
}

void PlotData::SetKnobs(const AmpKnobs& knobs) {
  if (knobs == mKnobs) {
    return;
  }
  const auto changed = [&](AmpKnob knob) { return knobs[knob] != mKnobs[knob]; };
  if (changed(kKnobBass) || changed(kKnobMid) || changed(kKnobTreble)) {
    mToneStackValid = false;
  }
  if (changed(kKnobResonance) || changed(kKnobPresence)) {
    mPowerLinearValid = false;
  }
  mKnobs = knobs;
}

void PlotData::SetSampleRate(double rateHz) {
  if (!(rateHz > 0.0) || !std::isfinite(rateHz) || rateHz == mSampleRate) {
    return;
  }
  mSampleRate = rateHz;
  mPreampLinearValid = false;
  mToneStackValid = false;
  mPowerLinearValid = false;
}

void PlotData::ComputePreampLinear() {
  const DecodedDna dna = DecodeDna(mDna);
  for (int s = 0; s < kPreampStageCount; ++s) {
    const auto value = [&](PreampRow row) { return dna[static_cast<std::size_t>(PreampDnaIndex(s, row))]; };
    ComputeResponse({{value(kPreampAcCoupling), kPreampFilterQ, 0.0, 0.0, BiquadType::FirstOrderHighPass},
                     {value(kPreampColorFreq), kPreampFilterQ, value(kPreampColorGain), 0.0, BiquadType::FirstOrderHighShelf},
                     {value(kPreampTubeBandwidth), kPreampFilterQ, 0.0, 0.0, BiquadType::FirstOrderLowPass}},
                    mSampleRate, DbToGain(value(kPreampTubeGain)), mPreampResponse[static_cast<std::size_t>(s)]);
  }
  mPreampLinearValid = true;
}

void PlotData::ComputeToneStack() {
  const ToneStackRanges ranges = ToneStackRangesFromDna(DecodeDna(mDna));
  const ToneKnobs settings[kToneStackCurveCount] = {
      {0.0, 0.0, 0.0},
      {kKnobMax, kKnobMax, kKnobMax},
      {kKnobMax / 2, kKnobMax / 2, kKnobMax / 2},
      {mKnobs[kKnobBass], mKnobs[kKnobMid], mKnobs[kKnobTreble]}};
  for (std::size_t i = 0; i < kToneStackCurveCount; ++i) {
    const ToneStackDesigns d = DesignToneStack(ranges, settings[i], 0.0);
    ComputeResponse({d.hpf, d.bass, d.mid, d.treble}, mSampleRate, 1.0, mToneResponse[i]);
  }
  mToneStackValid = true;
}

void PlotData::ComputePowerAmpLinear() {
  const DecodedDna dna = DecodeDna(mDna);
  const double resonanceGain = dna[kDnaPowerResonanceGainMax] * mKnobs[kKnobResonance] / kPercentScale;
  const double presenceGain = dna[kDnaPowerPresenceGainMax] * mKnobs[kKnobPresence] / kPercentScale;
  const double presenceHz = dna[kDnaPowerPresenceFreq];
  ComputeResponse(
      {{dna[kDnaPowerAcCoupling], kPowerAmpFilterQ, 0.0, 0.0, BiquadType::FirstOrderHighPass},
       {dna[kDnaPowerBandwidth], kPowerAmpFilterQ, 0.0, 0.0, BiquadType::FirstOrderLowPass},
       {kEqInputHighPassHz, kEqInputHighPassQ, 0.0, 0.0, BiquadType::HighPass},
       {dna[kDnaPowerResonanceFreq], kResonanceShelfQ, resonanceGain, 0.0, BiquadType::LowShelf},
       {presenceHz, kPresenceShelfQ, presenceGain, 0.0, BiquadType::HighShelf},
       {kUpperPresenceFrequencyRatio * presenceHz, kUpperPresenceQ, presenceGain / kUpperPresenceGainDivisor, 0.0,
        BiquadType::HighShelf},
       {kEqOutputLowPassHz, kOutputLowPassQ, 0.0, 0.0, BiquadType::FirstOrderLowPass}},
      mSampleRate, DbToGain(dna[kDnaPowerGain]), mPowerResponse);
  mPowerLinearValid = true;
}

// The tube curves of each stage, over -20..+20 V at the stage's input, with
// the stage's full tube gain (the gain knob's cut is not shown).
void PlotData::ComputePreampNonLinear() {
  AmpEngine engine(&mDna);
  engine.SetOversampling(1);
  engine.Reset();
  for (std::size_t j = 0; j < kTransferCurvePoints; ++j) {
    mPreampInput[j] = -kPreampInputVolts + 2.0 * kPreampInputVolts * static_cast<double>(j) / kLastCurveIndex;
  }
  for (int s = 0; s < kPreampStageCount; ++s) {
    const double bias = engine.BiasGlide(s).Current();
    const double drive = DbToGain(engine.Decoded()[static_cast<std::size_t>(PreampDnaIndex(s, kPreampTubeGain))]);
    TransferCurve& output = mPreampOutput[static_cast<std::size_t>(s)];
    for (std::size_t j = 0; j < kTransferCurvePoints; ++j) {
      output[j] = engine.EvaluatePreampTube(s, bias - drive * mPreampInput[j]);
    }
  }
  mPreampNonLinearValid = true;
}

void PlotData::ComputePowerAmpNonLinear() {
  AmpEngine engine(&mDna);
  engine.SetOversampling(1);
  engine.Reset();
  const double range = PowerPlotRange(engine.Decoded());
  mPowerInputMin = -range;
  mPowerInputMax = range;
  for (std::size_t j = 0; j < kTransferCurvePoints; ++j) {
    mPowerInput[j] = static_cast<double>(j) * 2.0 * range / kLastCurveIndex - range;
    mPowerOutput[j] = engine.EvaluatePowerAmpNonLinearity(mPowerInput[j]);
  }
  mPowerNonLinearValid = true;
}

}  // namespace orvane
