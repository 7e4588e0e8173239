#include "engine/power_amp_stage.h"

#include <algorithm>
#include <cmath>

#include "engine/engine_units.h"

namespace orvane {
namespace {

constexpr double kMinBandwidthHz = 100.0;
constexpr double kMaxBandwidthHz = 22000.0;
// Above this the bandwidth filter is switched off rather than designed.
constexpr double kBandwidthFilterLimitHz = 19000.0;
constexpr double kMaxCrossoverRange = 1000.0;
constexpr double kMaxDrive = 10000.0;
constexpr double kMaxRail = 1000.0;
constexpr double kMinAcCouplingHz = 0.2;
constexpr double kMaxAcCouplingHz = 2000.0;

PowerAmpSettings Clamped(const PowerAmpSettings& s) {
  return PowerAmpSettings{std::clamp(s.bandwidthHz, kMinBandwidthHz, kMaxBandwidthHz),
                          std::clamp(s.crossoverAmountPercent, 0.0, kPercentScale),
                          std::clamp(s.crossoverRange, 0.0, kMaxCrossoverRange),
                          std::clamp(s.drive, -kMaxDrive, kMaxDrive),
                          std::clamp(s.hardnessPos, 0.0, kMaxHardness),
                          std::clamp(s.hardnessNeg, 0.0, kMaxHardness),
                          std::clamp(s.railPos, -kMaxRail, kMaxRail),
                          std::clamp(s.railNeg, -kMaxRail, kMaxRail),
                          std::clamp(s.acCouplingHz, kMinAcCouplingHz, kMaxAcCouplingHz)};
}

}  // namespace

void LinearSmoother::SetTarget(double value, std::int32_t length) {
  if (!set) {
    current = target = value;
    count = 0;
    set = true;
    return;
  }
  if (value == target) {
    return;
  }
  target = value;
  Retime(length);
}

void LinearSmoother::Retime(std::int32_t length) {
  if (length < 1) {
    SnapToTarget();
    return;
  }
  if (current == target) {
    count = 0;
    return;
  }
  step = (target - current) / length;
  count = length;
}

PowerAmpStage::PowerAmpStage(double rateHz, const PowerAmpSettings& settings) : mSampleRate(rateHz) {
  mBandwidth.SetSampleRate(rateHz, BiquadRamp::Ramped);
  mAcCoupling.SetSampleRate(rateHz, BiquadRamp::Ramped);
  Update(settings);
}

void PowerAmpStage::Update(const PowerAmpSettings& settings) {
  mSettings = Clamped(settings);
  const PowerAmpSettings& s = mSettings;
  mAmount.SetTarget(s.crossoverAmountPercent / kPercentScale, mGlideLength);
  mRange.SetTarget(s.crossoverRange, mGlideLength);
  mDrive.SetTarget(s.drive, mGlideLength);
  mRails.SetShape(s.hardnessPos, s.railPos, s.hardnessNeg, s.railNeg);

  if (s.bandwidthHz <= kBandwidthFilterLimitHz) {
    DesignBiquad(mBandwidth, {s.bandwidthHz, kPowerAmpFilterQ, 0.0, 0.0, BiquadType::FirstOrderLowPass}, BiquadRamp::Ramped);
    mBandwidth.SetEnabled(true);
  } else {
    mBandwidth.SetEnabled(false);
  }
  DesignBiquad(mAcCoupling, {s.acCouplingHz, kPowerAmpFilterQ, 0.0, 0.0, BiquadType::FirstOrderHighPass}, BiquadRamp::Ramped);
  mAcCoupling.SetEnabled(true);
}

void PowerAmpStage::ProcessNonLinearityBlock(double* x, int n) {
  int i = 0;
  for (; i < n && (mAmount.count > 0 || mRange.count > 0 || mDrive.count > 0 || mRails.Crossfading()); ++i) {
    x[i] = ProcessNonLinearity(x[i]);
  }
  const double amount = mAmount.current;
  const double range = mRange.current;
  const double drive = mDrive.current;
  const CurveStage& rails = mRails;
  for (; i < n; ++i) {
    x[i] = rails.Transfer(Crossover(x[i], amount, range, drive));
  }
}

void PowerAmpStage::Reset(double u) {
  mRails.EndCrossfade();
  mAmount.SnapToTarget();
  mRange.SnapToTarget();
  mDrive.SnapToTarget();
  mAcCoupling.Prime(u);
  mBandwidth.Prime(mRails.Transfer(0.0));
}

// Running ramps keep heading for the stored targets under the new length; a
// smoother's position is never taken as its target.
void PowerAmpStage::SetGlideLength(std::int32_t length) {
  mGlideLength = std::max(length, std::int32_t{0});
  mRails.SetCrossfadeLength(mGlideLength);
  for (LinearSmoother* smoother : {&mAmount, &mRange, &mDrive}) {
    if (smoother->count > 0) {
      smoother->Retime(mGlideLength);
    }
  }
}

void PowerAmpStage::SetSampleRate(double rateHz) {
  if (!(rateHz > 0.0)) {
    return;
  }
  mSampleRate = rateHz;
  mBandwidth.SetSampleRate(rateHz, BiquadRamp::Ramped);
  mAcCoupling.SetSampleRate(rateHz, BiquadRamp::Ramped);
}

}  // namespace orvane
