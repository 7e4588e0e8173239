#pragma once

#include <cstdint>
#include <vector>

namespace orvane {

// One side of a saturation curve: unity slope at the midpoint, polynomial
// soft saturation into `limit`, reached with slope 0 at `knee`.
struct CurveHalf {
  bool bypass = true;
  bool mirrored = false;  // the side's half-range was negative
  std::int32_t exponent = 2;
  double limit = 0.0;
  double knee = 0.0;
  double scale = 1.0;
  double inverseScale = 1.0;

  // Shapes the half from a signed half-range and a hardness 0..100.
  void Set(double halfRange, double hardness);

  // x^n by squaring: a short chain of multiplications on the render path.
  static double Power(double x, std::int32_t n) {
    double result = 1.0;
    for (; n > 0; n >>= 1) {
      if (n & 1) {
        result *= x;
      }
      x *= x;
    }
    return result;
  }

  // The shaping function for a distance w >= 0 from the midpoint.
  double Shape(double w) const {
    if (w >= knee) {
      return limit;
    }
    const double kw = inverseScale * w;
    return scale * (kw - Power(kw, exponent));
  }
};

// The static curve (pure): half B acts first, half A on its result, each on
// its own side of the midpoint limitA + halfA.
inline double CurveTransfer(const CurveHalf& a, const CurveHalf& b, double limitA, double halfA, double u) {
  const double midpoint = limitA + halfA;
  double v = u - limitA - halfA;
  if (!b.bypass) {
    if (!b.mirrored) {
      if (v >= 0.0) {
        v = b.Shape(v);
      }
    } else if (v < 0.0) {
      v = -b.Shape(-v);
    }
  }
  if (!a.bypass) {
    if (!a.mirrored) {
      if (v <= 0.0) {
        return midpoint - a.Shape(-v);
      }
    } else if (v > 0.0) {
      return midpoint + a.Shape(v);
    }
  }
  return midpoint + v;
}

inline constexpr std::int32_t kCurveTableSize = 4097;
inline constexpr std::int32_t kDefaultCrossfadeLength = 240;

// A saturation stage (a preamp tube, the power amp's rails). A shape change
// while audio runs crossfades from the curve heard so far to the new one over
// the crossfade length, reading the old curve from a 4097-point table.
class CurveStage {
public:
  CurveStage();

  void SetShape(double hardnessA, double limitA, double hardnessB, double limitB);

  // The curve with the running crossfade applied; one call per processed sample.
  double Evaluate(double u) {
    const double y = Transfer(u);
    if (mRemaining < 1) {
      return y;
    }
    return Crossfade(u, y);
  }

  double Transfer(double u) const { return CurveTransfer(mHalfA, mHalfB, mLimitA, mHalfRangeA, u); }
  // The static curve over a block in place: x[i] = Transfer(x[i]), or
  // Transfer(bias + drive * x[i]).
  void TransferBlock(double* x, int n) const;
  void TransferBlock(double bias, double drive, double* x, int n) const;

  // A length below 1 ends a running crossfade; a running crossfade keeps the
  // fraction it has done under the new length.
  void SetCrossfadeLength(std::int32_t length);
  void EndCrossfade();
  void SetCrossfadeEnabled(bool enabled) { mCrossfadeEnabled = enabled; }

  double HardnessA() const { return mHardnessA; }
  double HardnessB() const { return mHardnessB; }
  double LimitA() const { return mLimitA; }
  double LimitB() const { return mLimitB; }
  double Midpoint() const { return mLimitA + mHalfRangeA; }
  const CurveHalf& HalfA() const { return mHalfA; }
  const CurveHalf& HalfB() const { return mHalfB; }
  double Mix() const { return mMix; }
  std::int32_t CrossfadeLength() const { return mCrossfadeLength; }
  std::int32_t Remaining() const { return mRemaining; }
  bool Crossfading() const { return mRemaining > 0; }
  bool TableValid() const { return mTableValid; }
  double TableMin() const { return mTableMin; }
  double TableMax() const { return mTableMax; }

private:
  template <typename Input>
  void TransferBlockOf(double* x, int n, Input input) const;
  double Crossfade(double u, double y);
  double OldCurve(double u) const;
  void FillTable(double newLimitA, double newLimitB);

  double mHardnessA = 50.0;
  double mHardnessB = 50.0;
  double mLimitB = -100.0;
  double mLimitA = 100.0;
  double mHalfRangeA = 0.0;
  CurveHalf mHalfA;
  CurveHalf mHalfB;
  double mMix = 1.0;
  double mTableMin = -200.0;
  double mTableMax = 200.0;
  std::vector<double> mTable;
  std::vector<double> mSpareTable;  // the next table is built here, then swapped in
  std::int32_t mCrossfadeLength = kDefaultCrossfadeLength;
  std::int32_t mRemaining = 0;
  bool mCrossfadeEnabled = true;
  bool mConfigured = false;
  bool mTableValid = false;
};

}  // namespace orvane
