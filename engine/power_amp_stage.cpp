#include "engine/power_amp_stage.h"

#include <algorithm>
#include <cmath>

#include "engine/engine_units.h"
#include "engine/vector_lanes.h"

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

#if defined(__SSE2__)
using lanes::Pair;

// Crossover on two samples: both sides of the knee are computed, each lane
// keeps the one its own comparison picks.
Pair CrossoverPair(Pair x, double amount, double range, double drive) {
  constexpr double k = kCrossoverKnee;
  const Pair u = _mm_div_pd(_mm_mul_pd(_mm_mul_pd(_mm_set1_pd(drive), x), _mm_set1_pd(k)), _mm_set1_pd(range));
  const Pair amountPair = _mm_set1_pd(amount);
  const Pair cube = _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(amountPair, u), u), u);
  const Pair cubic = _mm_add_pd(cube, _mm_mul_pd(_mm_set1_pd(1.0 - amount), u));
  const Pair sign = lanes::Select(_mm_cmplt_pd(u, _mm_setzero_pd()), _mm_set1_pd(-1.0), _mm_set1_pd(1.0));
  const Pair offset = _mm_set1_pd(amount * (k - k * k * k));
  const Pair linear = _mm_sub_pd(u, _mm_mul_pd(offset, sign));
  const Pair magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), u);
  const Pair y = lanes::Select(_mm_cmplt_pd(magnitude, _mm_set1_pd(k)), cubic, linear);
  return _mm_div_pd(_mm_mul_pd(y, _mm_set1_pd(range)), _mm_set1_pd(k));
}
#endif

// Crossover over a block in place, with the smoothed values at rest.
void CrossoverBlock(double* x, int n, double amount, double range, double drive) {
  int i = 0;
#if defined(__SSE2__)
  if (!(range < kMinCrossoverRange)) {
    for (; i + 2 <= n; i += 2) {
      _mm_storeu_pd(x + i, CrossoverPair(_mm_loadu_pd(x + i), amount, range, drive));
    }
  }
#endif
  for (; i < n; ++i) {
    x[i] = Crossover(x[i], amount, range, drive);
  }
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
  CrossoverBlock(x + i, n - i, mAmount.current, mRange.current, mDrive.current);
  mRails.TransferBlock(x + i, n - i);
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
