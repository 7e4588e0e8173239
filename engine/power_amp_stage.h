#pragma once

#include <cmath>
#include <cstdint>

#include "engine/biquad.h"
#include "engine/curve_stage.h"

namespace orvane {

// Q of the power amp's first-order coupling and bandwidth filters.
inline constexpr double kPowerAmpFilterQ = 1.0;

// The power amp's circuit values. The defaults are the ones a new engine
// starts with before its DNA is loaded.
struct PowerAmpSettings {
  double bandwidthHz = 15000.0;
  double crossoverAmountPercent = 50.0;
  double crossoverRange = 50.0;
  double drive = 10.0;  // linear
  double hardnessPos = 50.0;
  double hardnessNeg = 50.0;
  double railPos = 300.0;
  double railNeg = -270.0;
  double acCouplingHz = 2.0;
};

// A value that moves linearly to a new target over the glide length.
struct LinearSmoother {
  double current = 0.0;
  double target = 0.0;
  double step = 0.0;
  std::int32_t count = 0;
  bool set = false;

  void SetTarget(double value, std::int32_t length);
  // Restarts a running ramp from where it is, over a new length.
  void Retime(std::int32_t length);
  void Advance() {
    if (count > 0) {
      current = --count == 0 ? target : current + step;
    }
  }
  void SnapToTarget() {
    current = target;
    count = 0;
  }
};

// Below this range the crossover's knee collapses; it then passes g * x.
inline constexpr double kMinCrossoverRange = 1e-12;
// 1/sqrt(3): where u^3 and u meet with matching slope for the knee.
inline constexpr double kCrossoverKnee = 0.5773502691896258;

// Crossover distortion: unity slope away from zero, slope 1 - amount near it.
inline double Crossover(double x, double amount, double range, double drive) {
  if (range < kMinCrossoverRange) {
    return drive * x;
  }
  constexpr double k = kCrossoverKnee;
  const double u = drive * x * k / range;
  double y;
  if (std::fabs(u) < k) {
    y = amount * u * u * u + (1.0 - amount) * u;
  } else {
    y = u - amount * (k - k * k * k) * (u < 0.0 ? -1.0 : 1.0);
  }
  return y * range / k;
}

// AC-coupling high-pass, crossover distortion, rail clipping, bandwidth low-pass.
class PowerAmpStage {
public:
  PowerAmpStage(double rateHz, const PowerAmpSettings& settings);

  // Values are clamped to the stage's ranges; smoothed values glide, the rails
  // crossfade and the filters ramp.
  void Update(const PowerAmpSettings& settings);

  double ProcessInputFilter(double x) { return mAcCoupling.Process(x); }
  double ProcessNonLinearity(double x) {
    mAmount.Advance();
    mRange.Advance();
    mDrive.Advance();
    return mRails.Evaluate(Crossover(x, mAmount.current, mRange.current, mDrive.current));
  }
  // n samples in place, the same as n calls of ProcessNonLinearity.
  void ProcessNonLinearityBlock(double* x, int n);
  double ProcessOutputFilter(double x) { return mBandwidth.Process(x); }
  double Process(double x) { return ProcessOutputFilter(ProcessNonLinearity(ProcessInputFilter(x))); }

  // At rest for a constant input `u`.
  void Reset(double u);
  void SetGlideLength(std::int32_t length);
  void SetSampleRate(double rateHz);

  const PowerAmpSettings& Settings() const { return mSettings; }
  double SampleRate() const { return mSampleRate; }
  std::int32_t GlideLength() const { return mGlideLength; }
  const LinearSmoother& AmountSmoother() const { return mAmount; }
  const LinearSmoother& RangeSmoother() const { return mRange; }
  const LinearSmoother& DriveSmoother() const { return mDrive; }
  const CurveStage& Rails() const { return mRails; }
  CurveStage& Rails() { return mRails; }
  const Biquad& Bandwidth() const { return mBandwidth; }
  const Biquad& AcCoupling() const { return mAcCoupling; }
  Biquad& Bandwidth() { return mBandwidth; }
  Biquad& AcCoupling() { return mAcCoupling; }

private:
  double mSampleRate;
  PowerAmpSettings mSettings;  // as clamped
  CurveStage mRails;
  LinearSmoother mAmount, mRange, mDrive;
  std::int32_t mGlideLength = kDefaultCrossfadeLength;
  Biquad mBandwidth;
  Biquad mAcCoupling;
};

}  // namespace orvane
