#include "engine/curve_stage.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "engine/engine_units.h"

namespace orvane {
namespace {

constexpr double kMaxLimit = 10000.0;
constexpr int kMinExponent = 2;
constexpr int kExponentSpan = 8;
constexpr int kTableLastIndex = kCurveTableSize - 1;
// The table covers twice the largest limit of either curve on both sides.
constexpr double kTableRangeFactor = 2.0;
// A count of crossfade samples keeps room for the landing sample.
constexpr std::int32_t kMaxCrossfadeLength = std::numeric_limits<std::int32_t>::max() - 1;

double Smoothstep(double t) {
  return t * t * (3.0 - 2.0 * t);
}

}  // namespace

void CurveHalf::Set(double halfRange, double hardness) {
  if (halfRange == 0.0) {
    bypass = true;
    return;
  }
  mirrored = halfRange < 0.0;
  limit = std::fabs(halfRange);
  const double h = std::clamp(hardness, 0.0, kMaxHardness) / kMaxHardness;
  exponent = static_cast<std::int32_t>(kMinExponent + kExponentSpan * h * h);
  const double n = exponent;
  const double base = std::pow(1.0 / n, 1.0 / (n - 1.0));
  const double peak = base - CurveHalf::Power(base, exponent);
  if (peak == 0.0) {
    bypass = true;
    return;
  }
  scale = limit / peak;
  inverseScale = 1.0 / scale;
  knee = base * scale;
  bypass = false;
}

CurveStage::CurveStage() : mTable(kCurveTableSize, 0.0), mSpareTable(kCurveTableSize, 0.0) {
  SetShape(50.0, 100.0, 50.0, -100.0);
}

void CurveStage::SetShape(double hardnessA, double limitA, double hardnessB, double limitB) {
  if (std::isnan(hardnessA) || std::isnan(limitA) || std::isnan(hardnessB) || std::isnan(limitB)) {
    return;
  }
  hardnessA = std::clamp(hardnessA, 0.0, kMaxHardness);
  hardnessB = std::clamp(hardnessB, 0.0, kMaxHardness);
  limitA = std::clamp(limitA, -kMaxLimit, kMaxLimit);
  limitB = std::clamp(limitB, -kMaxLimit, kMaxLimit);
  if (mConfigured && hardnessA == mHardnessA && limitA == mLimitA && hardnessB == mHardnessB &&
      limitB == mLimitB) {
    return;
  }
  if (mConfigured && mCrossfadeEnabled && mCrossfadeLength >= 1) {
    FillTable(limitA, limitB);
    mRemaining = mCrossfadeLength + 1;
    mMix = 0.0;
  } else {
    mRemaining = 0;
    mMix = 1.0;
  }
  mHardnessA = hardnessA;
  mHardnessB = hardnessB;
  mLimitA = limitA;
  mLimitB = limitB;
  mHalfRangeA = (limitB - limitA) / 2.0;
  const double halfRangeB = (limitB - limitA) - mHalfRangeA;
  mHalfA.Set(mHalfRangeA, hardnessA);
  mHalfB.Set(halfRangeB, hardnessB);
  mConfigured = true;
}

// Captures what is heard now - the current curve, or the blend of a running
// crossfade - as the old curve of the crossfade that starts.
void CurveStage::FillTable(double newLimitA, double newLimitB) {
  const double reach = std::max({std::fabs(mLimitB), std::fabs(mLimitA), 1.0, std::fabs(newLimitA),
                                 std::fabs(newLimitB)});
  const double low = -kTableRangeFactor * reach;
  const double span = 2.0 * kTableRangeFactor * reach;
  const bool blending = mRemaining > 0;
  for (int i = 0; i < kCurveTableSize; ++i) {
    const double x = low + span * i / kTableLastIndex;
    const double heard = Transfer(x);
    if (blending) {
      const double old = OldCurve(x);
      mSpareTable[i] = old + mMix * (heard - old);
    } else {
      mSpareTable[i] = heard;
    }
  }
  std::swap(mTable, mSpareTable);
  mTableMin = low;
  mTableMax = low + span;
  mTableValid = true;
}

double CurveStage::OldCurve(double u) const {
  if (!mTableValid) {
    return u;
  }
  if (!(u > mTableMin)) {
    return mTable[0];
  }
  if (u >= mTableMax) {
    return mTable[kTableLastIndex];
  }
  const double position = kTableLastIndex * (u - mTableMin) / (mTableMax - mTableMin);
  const int index = std::min(static_cast<int>(position), kTableLastIndex - 1);
  const double fraction = position - index;
  return mTable[index] + fraction * (mTable[index + 1] - mTable[index]);
}

double CurveStage::Crossfade(double u, double y) {
  const double old = OldCurve(u);
  const double done = static_cast<double>(mCrossfadeLength - mRemaining + 1) / mCrossfadeLength;
  mMix = Smoothstep(std::clamp(done, 0.0, 1.0));
  --mRemaining;
  return old + (y - old) * mMix;
}

void CurveStage::SetCrossfadeLength(std::int32_t length) {
  if (length < 1) {
    mCrossfadeLength = 0;
    EndCrossfade();
    return;
  }
  length = std::min(length, kMaxCrossfadeLength);
  if (mRemaining > 0 && length != mCrossfadeLength) {
    const double rescaled = std::round(static_cast<double>(mRemaining) * length / mCrossfadeLength);
    mRemaining = static_cast<std::int32_t>(std::clamp(rescaled, 1.0, static_cast<double>(length) + 1.0));
  }
  mCrossfadeLength = length;
}

void CurveStage::EndCrossfade() {
  mRemaining = 0;
  mMix = 1.0;
  mTableValid = false;
}

}  // namespace orvane
