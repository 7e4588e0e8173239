#include "engine/curve_stage.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

#include "engine/engine_units.h"
#include "engine/vector_lanes.h"

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

#if defined(__SSE2__)
using lanes::Pair;

// How one half of the curve acts; fixed for a block.
enum class Side { Bypassed, Normal, Mirrored };

Side SideOf(const CurveHalf& half) {
  return half.bypass ? Side::Bypassed : half.mirrored ? Side::Mirrored : Side::Normal;
}

// A CurveHalf in both lanes.
class HalfPair {
public:
  explicit HalfPair(const CurveHalf& half)
      : mInverseScale(_mm_set1_pd(half.inverseScale)),
        mScale(_mm_set1_pd(half.scale)),
        mKnee(_mm_set1_pd(half.knee)),
        mLimit(_mm_set1_pd(half.limit)),
        mExponent(half.exponent) {}

  // CurveHalf::Shape, both sides of the knee computed.
  Pair Shape(Pair w) const {
    const Pair saturated = _mm_cmpge_pd(w, mKnee);
    if (_mm_movemask_pd(saturated) == kBothLanes) {
      return mLimit;
    }
    const Pair kw = _mm_mul_pd(mInverseScale, w);
    Pair power = _mm_set1_pd(1.0);
    Pair base = kw;
    for (std::int32_t n = mExponent; n > 0; n >>= 1) {
      if (n & 1) {
        power = _mm_mul_pd(power, base);
      }
      base = _mm_mul_pd(base, base);
    }
    const Pair shaped = _mm_mul_pd(mScale, _mm_sub_pd(kw, power));
    return lanes::Select(saturated, mLimit, shaped);
  }

private:
  static constexpr int kBothLanes = 3;
  Pair mInverseScale, mScale, mKnee, mLimit;
  std::int32_t mExponent;
};

// CurveTransfer on pairs of samples: both sides of each comparison are
// computed and every lane keeps the one its own comparison picks. Returns how
// many samples it did (an even number).
template <Side B, Side A, typename Input>
int TransferPairs(const CurveHalf& a, const CurveHalf& b, double limitA, double halfA, double* x, int n,
                  Input input) {
  const HalfPair shapeA(a);
  const HalfPair shapeB(b);
  const Pair limitAPair = _mm_set1_pd(limitA);
  const Pair halfAPair = _mm_set1_pd(halfA);
  const Pair midpoint = _mm_set1_pd(limitA + halfA);
  const Pair zero = _mm_setzero_pd();
  int i = 0;
  for (; i + 2 <= n; i += 2) {
    Pair v = _mm_sub_pd(_mm_sub_pd(input(_mm_loadu_pd(x + i)), limitAPair), halfAPair);
    // Neighbouring samples mostly lie on the same side of the midpoint: a
    // side that no lane takes is not computed.
    if constexpr (B == Side::Normal) {
      const Pair shaped = _mm_cmpge_pd(v, zero);
      if (_mm_movemask_pd(shaped) != 0) {
        v = lanes::Select(shaped, shapeB.Shape(v), v);
      }
    } else if constexpr (B == Side::Mirrored) {
      const Pair shaped = _mm_cmplt_pd(v, zero);
      if (_mm_movemask_pd(shaped) != 0) {
        v = lanes::Select(shaped, lanes::Negate(shapeB.Shape(lanes::Negate(v))), v);
      }
    }
    Pair y = _mm_add_pd(midpoint, v);
    if constexpr (A == Side::Normal) {
      const Pair shaped = _mm_cmple_pd(v, zero);
      if (_mm_movemask_pd(shaped) != 0) {
        y = lanes::Select(shaped, _mm_sub_pd(midpoint, shapeA.Shape(lanes::Negate(v))), y);
      }
    } else if constexpr (A == Side::Mirrored) {
      const Pair shaped = _mm_cmpgt_pd(v, zero);
      if (_mm_movemask_pd(shaped) != 0) {
        y = lanes::Select(shaped, _mm_add_pd(midpoint, shapeA.Shape(v)), y);
      }
    }
    _mm_storeu_pd(x + i, y);
  }
  return i;
}

template <Side B, typename Input>
int TransferPairsForB(const CurveHalf& a, const CurveHalf& b, double limitA, double halfA, double* x, int n,
                      Input input) {
  switch (SideOf(a)) {
    case Side::Bypassed: return TransferPairs<B, Side::Bypassed>(a, b, limitA, halfA, x, n, input);
    case Side::Normal: return TransferPairs<B, Side::Normal>(a, b, limitA, halfA, x, n, input);
    case Side::Mirrored: break;
  }
  return TransferPairs<B, Side::Mirrored>(a, b, limitA, halfA, x, n, input);
}

template <typename Input>
int TransferPairsFor(const CurveHalf& a, const CurveHalf& b, double limitA, double halfA, double* x, int n,
                     Input input) {
  switch (SideOf(b)) {
    case Side::Bypassed: return TransferPairsForB<Side::Bypassed>(a, b, limitA, halfA, x, n, input);
    case Side::Normal: return TransferPairsForB<Side::Normal>(a, b, limitA, halfA, x, n, input);
    case Side::Mirrored: break;
  }
  return TransferPairsForB<Side::Mirrored>(a, b, limitA, halfA, x, n, input);
}
#endif

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

template <typename Input>
void CurveStage::TransferBlockOf(double* x, int n, Input input) const {
  int i = 0;
#if defined(__SSE2__)
  i = TransferPairsFor(mHalfA, mHalfB, mLimitA, mHalfRangeA, x, n, input);
#endif
  for (; i < n; ++i) {
    x[i] = Transfer(input(x[i]));
  }
}

void CurveStage::TransferBlock(double* x, int n) const {
  TransferBlockOf(x, n, [](auto u) { return u; });
}

void CurveStage::TransferBlock(double bias, double drive, double* x, int n) const {
#if defined(__SSE2__)
  const Pair biasPair = _mm_set1_pd(bias);
  const Pair drivePair = _mm_set1_pd(drive);
#endif
  TransferBlockOf(x, n, [&](auto u) {
    if constexpr (std::is_same_v<decltype(u), double>) {
      return bias + drive * u;
#if defined(__SSE2__)
    } else {
      return _mm_add_pd(biasPair, _mm_mul_pd(drivePair, u));
#endif
    }
  });
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
