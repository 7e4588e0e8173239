#include "engine/tone_stage.h"

#include <algorithm>
#include <cmath>

#include "engine/engine_units.h"

namespace orvane {
namespace {

constexpr double kShelfQ = 0.7;
// The bass corner follows the knob on a steep taper: knob 1 already moves it
// most of the way.
constexpr double kBassFrequencyTaper = 0.1;

double Lerp(double a, double b, double w) {
  return a + w * (b - a);
}

}  // namespace

ToneStackRanges ToneStackRangesFromDna(const DecodedDna& dna) {
  ToneStackRanges r;
  double* const fields[kToneStackRangeCount] = {
      &r.hpfMinHz,   &r.hpfMaxHz,        &r.bassGainMinDb,   &r.bassGainMaxDb, &r.bassMinHz,   &r.bassMaxHz,
      &r.midGainMinDb, &r.midGainMaxDb,  &r.midQMin,         &r.midQMax,       &r.midMinHz,    &r.midMaxHz,
      &r.trebleGainMinDb, &r.trebleGainMaxDb, &r.trebleMinHz, &r.trebleMaxHz};
  for (int i = 0; i < kToneStackRangeCount; ++i) {
    *fields[i] = dna[static_cast<std::size_t>(kDnaToneHpfFreqMin + i)];
  }
  return r;
}

ToneStackDesigns DesignToneStack(const ToneStackRanges& r, const ToneKnobs& knobs, double outputGainDb) {
  const double b = knobs.bass / kKnobMax;
  const double m = knobs.mid / kKnobMax;
  const double t = knobs.treble / kKnobMax;
  ToneStackDesigns d;
  d.hpf = {Lerp(r.hpfMinHz, r.hpfMaxHz, b), kShelfQ, 0.0, 0.0, BiquadType::FirstOrderHighPass};
  d.bass = {Lerp(r.bassMinHz, r.bassMaxHz, std::pow(b, kBassFrequencyTaper)), kShelfQ,
            Lerp(r.bassGainMinDb, r.bassGainMaxDb, b), 0.0, BiquadType::FirstOrderLowShelf};
  d.mid = {Lerp(r.midMinHz, r.midMaxHz, m), Lerp(r.midQMin, r.midQMax, m), Lerp(r.midGainMinDb, r.midGainMaxDb, m),
           0.0, BiquadType::Peaking};
  d.treble = {Lerp(r.trebleMinHz, r.trebleMaxHz, t), kShelfQ, Lerp(r.trebleGainMinDb, r.trebleGainMaxDb, t),
              outputGainDb, BiquadType::FirstOrderHighShelf};
  return d;
}

ToneStage::ToneStage(double rateHz) : mSampleRate(rateHz) {
  for (Biquad* section : {&mHpf, &mBass, &mMid, &mTreble}) {
    section->SetSampleRate(rateHz, BiquadRamp::Ramped);
  }
  Update();
}

void ToneStage::SetKnobs(double bass, double mid, double treble) {
  mKnobs = {std::clamp(bass, 0.0, kKnobMax), std::clamp(mid, 0.0, kKnobMax), std::clamp(treble, 0.0, kKnobMax)};
}

void ToneStage::Update(const ToneStackRanges& ranges, double outputGainDb) {
  mRanges = ranges;
  mOutputGainDb = outputGainDb;
  const ToneStackDesigns d = DesignToneStack(mRanges, mKnobs, mOutputGainDb);
  DesignBiquad(mHpf, d.hpf, BiquadRamp::Ramped);
  DesignBiquad(mBass, d.bass, BiquadRamp::Ramped);
  DesignBiquad(mMid, d.mid, BiquadRamp::Ramped);
  DesignBiquad(mTreble, d.treble, BiquadRamp::Ramped);
}

void ToneStage::Reset(double u) {
  mHpf.Prime(u);
  mBass.Prime(0.0);
  mMid.Prime(0.0);
  mTreble.Prime(0.0);
}

void ToneStage::SetSampleRate(double rateHz) {
  if (!(rateHz > 0.0)) {
    return;
  }
  mSampleRate = rateHz;
  for (Biquad* section : {&mHpf, &mBass, &mMid, &mTreble}) {
    section->SetSampleRate(rateHz, BiquadRamp::Ramped);
    section->ClearMemories();
  }
}

}  // namespace orvane
