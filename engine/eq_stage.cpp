#include "engine/eq_stage.h"

#include <algorithm>

namespace orvane {
namespace {

constexpr double kKnobMax = 100.0;
constexpr double kMinFrequencyHz = 1.0;
constexpr double kMaxFrequencyHz = 10000.0;
constexpr double kMaxGainDb = 100.0;

constexpr double kInputHighPassHz = 6.0;
constexpr double kInputHighPassQ = 0.3;
constexpr double kResonanceQ = 0.71;
constexpr double kPresenceQ = 0.4;
// A second, narrower presence shelf higher up, at a fraction of the gain.
constexpr double kUpperPresenceFrequencyRatio = 3.7;
constexpr double kUpperPresenceQ = 0.7;
constexpr double kUpperPresenceGainDivisor = 2.4;
constexpr double kOutputLowPassHz = 22000.0;
constexpr double kOutputLowPassQ = 0.3;

}  // namespace

EqDesigns DesignEq(double resonanceKnob, double presenceKnob, const EqVoicing& v) {
  const double resonance = resonanceKnob / kKnobMax;
  const double presence = presenceKnob / kKnobMax;
  EqDesigns d;
  d.inputHighPass = {kInputHighPassHz, kInputHighPassQ, 0.0, 0.0, BiquadType::HighPass};
  d.resonance = {v.resonanceHz, kResonanceQ, v.resonanceGainMaxDb * resonance, 0.0, BiquadType::LowShelf};
  d.presence = {v.presenceHz, kPresenceQ, v.presenceGainMaxDb * presence, 0.0, BiquadType::HighShelf};
  d.upperPresence = {v.presenceHz * kUpperPresenceFrequencyRatio, kUpperPresenceQ,
                     (v.presenceGainMaxDb / kUpperPresenceGainDivisor) * presence, 0.0, BiquadType::HighShelf};
  d.outputLowPass = {kOutputLowPassHz, kOutputLowPassQ, 0.0, 0.0, BiquadType::FirstOrderLowPass};
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
