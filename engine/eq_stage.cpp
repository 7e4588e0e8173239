#include "engine/eq_stage.h"

#include <algorithm>

#include "engine/engine_units.h"

namespace orvane {
namespace {

constexpr double kMinFrequencyHz = 1.0;
constexpr double kMaxFrequencyHz = 10000.0;
constexpr double kMaxGainDb = 100.0;
constexpr double kOutputLowPassQ = 0.3;

}  // namespace

EqDesigns DesignEq(double resonanceKnob, double presenceKnob, const EqVoicing& v) {
  const double resonance = resonanceKnob / kKnobMax;
  const double presence = presenceKnob / kKnobMax;
  EqDesigns d;
  d.inputHighPass = {kEqInputHighPassHz, kEqInputHighPassQ, 0.0, 0.0, BiquadType::HighPass};
  d.resonance = {v.resonanceHz, kResonanceShelfQ, v.resonanceGainMaxDb * resonance, 0.0, BiquadType::LowShelf};
  d.presence = {v.presenceHz, kPresenceShelfQ, v.presenceGainMaxDb * presence, 0.0, BiquadType::HighShelf};
  d.upperPresence = {v.presenceHz * kUpperPresenceFrequencyRatio, kUpperPresenceQ,
                     (v.presenceGainMaxDb / kUpperPresenceGainDivisor) * presence, 0.0, BiquadType::HighShelf};
  d.outputLowPass = {kEqOutputLowPassHz, kOutputLowPassQ, 0.0, 0.0, BiquadType::FirstOrderLowPass};
  return d;
}

EqStage::EqStage(double rateHz) : mSampleRate(rateHz) {
  for (Biquad* section : {&mInputHighPass, &mResonance, &mPresence, &mUpperPresence, &mOutputLowPass}) {
    section->SetSampleRate(rateHz, BiquadRamp::Ramped);
  }
  Update(mResonanceKnob, mPresenceKnob, mVoicing);
}

void EqStage::Update(double resonanceKnob, double presenceKnob, const EqVoicing& voicing) {
  mResonanceKnob = std::clamp(resonanceKnob, 0.0, kKnobMax);
  mPresenceKnob = std::clamp(presenceKnob, 0.0, kKnobMax);
  mVoicing = {std::clamp(voicing.resonanceHz, kMinFrequencyHz, kMaxFrequencyHz),
              std::clamp(voicing.resonanceGainMaxDb, -kMaxGainDb, kMaxGainDb),
              std::clamp(voicing.presenceHz, kMinFrequencyHz, kMaxFrequencyHz),
              std::clamp(voicing.presenceGainMaxDb, -kMaxGainDb, kMaxGainDb)};
  const EqDesigns d = DesignEq(mResonanceKnob, mPresenceKnob, mVoicing);
  DesignBiquad(mInputHighPass, d.inputHighPass, BiquadRamp::Ramped);
  DesignBiquad(mResonance, d.resonance, BiquadRamp::Ramped);
  DesignBiquad(mPresence, d.presence, BiquadRamp::Ramped);
  DesignBiquad(mUpperPresence, d.upperPresence, BiquadRamp::Ramped);
  DesignBiquad(mOutputLowPass, d.outputLowPass, BiquadRamp::Ramped);
}

void EqStage::Reset(double u) {
  mInputHighPass.Prime(u);
  for (Biquad* section : {&mResonance, &mPresence, &mUpperPresence, &mOutputLowPass}) {
    section->Prime(0.0);
  }
}

void EqStage::SetSampleRate(double rateHz) {
  if (!(rateHz > 0.0)) {
    return;
  }
  mSampleRate = rateHz;
  for (Biquad* section : {&mInputHighPass, &mResonance, &mPresence, &mUpperPresence, &mOutputLowPass}) {
    section->SetSampleRate(rateHz, BiquadRamp::Ramped);
    section->ClearMemories();
  }
}

}  // namespace orvane
