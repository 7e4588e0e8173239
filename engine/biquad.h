#pragma once

#include <cstdint>

namespace orvane {

// Filter shapes of the designer; the numbers are part of the design records
// that the stages and the plot code pass around.
enum class BiquadType : std::uint32_t {
  HighPass = 0,
  LowPass = 1,
  FirstOrderHighPass = 2,
  FirstOrderLowPass = 3,
  BandPassPeakGainQ = 4,
  BandPass = 5,
  Peaking = 6,
  Notch = 7,
  AllPass = 8,
  FirstOrderAllPass = 9,
  LowShelf = 10,
  FirstOrderLowShelf = 11,
  HighShelf = 12,
  FirstOrderHighShelf = 13,
  Flat = 14,
};

inline constexpr std::uint32_t kLastBiquadType = 14;

struct BiquadParams {
  double freqHz = 1000.0;
  double q = 1.0;
  double gainDb = 0.0;
  double outputGainDb = 0.0;
  BiquadType type = BiquadType::AllPass;
};

// Normalised coefficients: a0 is 1 except for a degenerate second-order set
// whose a0 was 0 and is left undivided.
struct BiquadCoefficients {
  double a0 = 1.0;
  double a1 = 0.0;
  double a2 = 0.0;
  double b0 = 1.0;
  double b1 = 0.0;
  double b2 = 0.0;
};

enum class BiquadRamp { Immediate, Ramped };

inline constexpr double kDefaultFilterRate = 48000.0;
inline constexpr double kCoefficientRampRate = 0.1;

// One direct-form-I second-order section. A ramped redesign moves the current
// coefficients a fraction of the way to their targets every processed sample,
// so redesigns on the render thread glide instead of clicking.
//
// A new section runs at 48 kHz with flat current coefficients and ramps
// towards an all-pass at 1 kHz, Q 1: every owner redesigns it right away.
class Biquad {
public:
  Biquad();

  // One sample through the section; advances a running ramp first. A disabled
  // section passes its input but keeps its memories running.
  double Process(double x) {
    if (mRamping) {
      StepCoefficientRamp();
    }
    const double y = Difference(mCurrent, mX1, mX2, mY1, mY2, x);
    mX2 = mX1;
    mX1 = x;
    mY2 = mY1;
    mY1 = y;
    return mEnabled ? y * mOutputGain : x;
  }

  // The difference equation. The new input enters last: the terms of the
  // memories are ready before it arrives, which keeps a long chain of
  // sections short on latency.
  static double Difference(const BiquadCoefficients& c, double x1, double x2, double y1, double y2, double x) {
    return ((c.b1 * x1 + c.b2 * x2) - (c.a1 * y1 + c.a2 * y2)) + c.b0 * x;
  }

  // n samples in place, the same arithmetic as n calls of Process: a running
  // ramp is stepped sample by sample, then the rest runs with the section's
  // state in locals.
  void ProcessBlock(double* x, int n);

  void StepCoefficientRamp();

  // Sets the memories to the steady state of the constant input `u` under the
  // target coefficients, which become current. Skipped when the target set has
  // no finite DC gain (1 + a1 + a2 == 0).
  void Prime(double u);
  void ClearMemories();
  // Current coefficients jump to their targets, memories untouched.
  void SnapToTargets();

  // Redesigns from the stored parameters at a new rate, only when it differs.
  void SetSampleRate(double rateHz, BiquadRamp ramp);
  // Redesigns from the stored parameters at the current rate.
  bool Redesign(BiquadRamp ramp);

  void SetEnabled(bool enabled) { mEnabled = enabled; }
  bool Enabled() const { return mEnabled; }
  bool SecondOrder() const { return mSecondOrder; }
  bool Ramping() const { return mRamping; }
  double SampleRate() const { return mSampleRate; }
  double OutputGain() const { return mOutputGain; }
  const BiquadParams& Params() const { return mParams; }
  const BiquadCoefficients& Current() const { return mCurrent; }
  const BiquadCoefficients& Target() const { return mTarget; }

private:
  friend class BiquadCascade;
  friend bool DesignBiquad(Biquad& filter, const BiquadParams& params, BiquadRamp ramp);

  struct RampTolerances {
    double b0 = 10.0, b1 = 10.0, b2 = 10.0, a1 = 10.0, a2 = 10.0;
  };

  void AdoptDesign(const BiquadCoefficients& coefficients, bool secondOrder, BiquadRamp ramp);

  bool mEnabled = true;
  bool mSecondOrder = false;
  double mSampleRate = kDefaultFilterRate;
  double mX1 = 0.0, mX2 = 0.0, mY1 = 0.0, mY2 = 0.0;
  double mOutputGain = 1.0;
  BiquadParams mParams;
  double mRampRate = kCoefficientRampRate;
  RampTolerances mTolerance;
  bool mRamping = false;
  BiquadCoefficients mTarget;
  BiquadCoefficients mCurrent;
};

// Designs `filter` from musical parameters (cookbook formulas). Refuses, and
// changes nothing, for a non-positive or non-numeric frequency or Q, or an
// unknown type; stores the (limited) parameters and then refuses when the
// filter's rate is not above 0, so a later rate change can design them.
bool DesignBiquad(Biquad& filter, const BiquadParams& params, BiquadRamp ramp);

}  // namespace orvane
