#pragma once

#include <array>

#include "engine/biquad.h"

namespace orvane {

// Fixed parts of the EQ voicing; the plot of the power amp draws them too.
inline constexpr double kEqInputHighPassHz = 6.0;
inline constexpr double kEqInputHighPassQ = 0.3;
inline constexpr double kResonanceShelfQ = 0.71;
inline constexpr double kPresenceShelfQ = 0.4;
// A second, narrower presence shelf higher up, at a fraction of the gain.
inline constexpr double kUpperPresenceFrequencyRatio = 3.7;
inline constexpr double kUpperPresenceQ = 0.7;
inline constexpr double kUpperPresenceGainDivisor = 2.4;
inline constexpr double kEqOutputLowPassHz = 22000.0;

// The power amp's resonance and presence voicing (DNA rows 69..72).
struct EqVoicing {
  double resonanceHz = 125.0;
  double resonanceGainMaxDb = 5.3;
  double presenceHz = 1000.0;
  double presenceGainMaxDb = 4.8;
};

// The filter records of the power-amp EQ at the given knobs.
struct EqDesigns {
  BiquadParams inputHighPass, resonance, presence, upperPresence, outputLowPass;
};
EqDesigns DesignEq(double resonanceKnob, double presenceKnob, const EqVoicing& voicing);

// Fixed input high-pass, resonance and presence shelves driven by their
// knobs, fixed output low-pass.
class EqStage {
public:
  explicit EqStage(double rateHz);

  // Knobs clamp to 0..100, frequencies to 1..10000 Hz, gains to +-100 dB.
  void Update(double resonanceKnob, double presenceKnob, const EqVoicing& voicing);

  double Process(double x) {
    const double y =
        mOutputLowPass.Process(mUpperPresence.Process(mPresence.Process(mResonance.Process(mInputHighPass.Process(x)))));
    return mEnabled ? y : x;
  }

  void Reset(double u);
  void SetSampleRate(double rateHz);

  void SetEnabled(bool enabled) { mEnabled = enabled; }
  bool Enabled() const { return mEnabled; }
  // The sections in processing order, for block processing.
  std::array<Biquad*, 5> Sections() {
    return {&mInputHighPass, &mResonance, &mPresence, &mUpperPresence, &mOutputLowPass};
  }
  double ResonanceKnob() const { return mResonanceKnob; }
  double PresenceKnob() const { return mPresenceKnob; }
  const EqVoicing& Voicing() const { return mVoicing; }
  double SampleRate() const { return mSampleRate; }
  const Biquad& Resonance() const { return mResonance; }
  const Biquad& Presence() const { return mPresence; }
  const Biquad& UpperPresence() const { return mUpperPresence; }

private:
  double mSampleRate;
  double mResonanceKnob = 50.0;
  double mPresenceKnob = 50.0;
  EqVoicing mVoicing;
  Biquad mInputHighPass, mResonance, mPresence, mUpperPresence, mOutputLowPass;
  bool mEnabled = true;
};

}  // namespace orvane
