#include "engine/biquad.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvane {
namespace {

constexpr double kMaxGainDb = 120.0;
constexpr double kMaxQ = 100.0;
constexpr double kNyquistFraction = 0.99;
constexpr BiquadParams kNewSectionDesign{1000.0, 1.0, 0.0, 0.0, BiquadType::AllPass};

struct Design {
  BiquadCoefficients c;
  bool secondOrder = true;
};

// Shared quantities of one design at one rate.
struct Angles {
  double cosW0;
  double alpha;
  double k;  // tan(w0 / 2), the prewarped first-order constant
};

Design SecondOrder(double b0, double b1, double b2, double a0, double a1, double a2) {
  return Design{BiquadCoefficients{a0, a1, a2, b0, b1, b2}, true};
}

Design FirstOrder(double b0, double b1, double a1) {
  return Design{BiquadCoefficients{1.0, a1, 0.0, b0, b1, 0.0}, false};
}

Design FirstOrderLowShelf(double k, double gainDb) {
  const double v = std::pow(10.0, std::fabs(gainDb) / 20.0);
  const double kv = k / std::sqrt(v);
  if (gainDb >= 0.0) {
    return FirstOrder((1.0 + kv * v) / (1.0 + kv), (kv * v - 1.0) / (1.0 + kv), (kv - 1.0) / (1.0 + kv));
  }
  return FirstOrder((1.0 + kv) / (1.0 + kv * v), (kv - 1.0) / (1.0 + kv * v), (kv * v - 1.0) / (1.0 + kv * v));
}

Design FirstOrderHighShelf(double k, double gainDb) {
  const double v = std::pow(10.0, std::fabs(gainDb) / 20.0);
  const double m = std::sqrt(v) * k;
  if (gainDb >= 0.0) {
    return FirstOrder((v + m) / (1.0 + m), (m - v) / (1.0 + m), (m - 1.0) / (1.0 + m));
  }
  return FirstOrder((1.0 + m) / (v + m), (m - 1.0) / (v + m), (m - v) / (v + m));
}

Design Shelf(BiquadType type, const Angles& w, double gainDb) {
  const double a = std::pow(10.0, gainDb / 40.0);
  const double c = w.cosW0;
  const double s = 2.0 * std::sqrt(a) * w.alpha;
  if (type == BiquadType::LowShelf) {
    return SecondOrder(a * ((a + 1) - (a - 1) * c + s), 2 * a * ((a - 1) - (a + 1) * c),
                       a * ((a + 1) - (a - 1) * c - s), (a + 1) + (a - 1) * c + s,
                       -2 * ((a - 1) + (a + 1) * c), (a + 1) + (a - 1) * c - s);
  }
  return SecondOrder(a * ((a + 1) + (a - 1) * c + s), -2 * a * ((a - 1) + (a + 1) * c),
                     a * ((a + 1) + (a - 1) * c - s), (a + 1) - (a - 1) * c + s,
                     2 * ((a - 1) - (a + 1) * c), (a + 1) - (a - 1) * c - s);
}

Design Coefficients(const BiquadParams& p, const Angles& w) {
  const double c = w.cosW0;
  const double alpha = w.alpha;
  const double k = w.k;
  switch (p.type) {
    case BiquadType::HighPass:
      return SecondOrder((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    case BiquadType::LowPass:
      return SecondOrder((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    case BiquadType::FirstOrderHighPass: {
      const double b0 = 1.0 / (k + 1.0);
      return FirstOrder(b0, -b0, (k - 1.0) / (k + 1.0));
    }
    case BiquadType::FirstOrderLowPass: {
      const double b0 = k / (k + 1.0);
      return FirstOrder(b0, b0, (k - 1.0) / (k + 1.0));
    }
    case BiquadType::BandPassPeakGainQ:
      return SecondOrder(p.q * alpha, 0, -p.q * alpha, 1 + alpha, -2 * c, 1 - alpha);
    case BiquadType::BandPass:
      return SecondOrder(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
    case BiquadType::Peaking: {
      const double a = std::pow(10.0, p.gainDb / 40.0);
      return SecondOrder(1 + alpha * a, -2 * c, 1 - alpha * a, 1 + alpha / a, -2 * c, 1 - alpha / a);
    }
    case BiquadType::Notch:
      return SecondOrder(1, -2 * c, 1, 1 + alpha, -2 * c, 1 - alpha);
    case BiquadType::AllPass:
      return SecondOrder(1 - alpha, -2 * c, 1 + alpha, 1 + alpha, -2 * c, 1 - alpha);
    case BiquadType::FirstOrderAllPass:
      return FirstOrder((1 - k) / (1 + k), -1, (k - 1) / (k + 1));
    case BiquadType::LowShelf:
    case BiquadType::HighShelf:
      return Shelf(p.type, w, p.gainDb);
    case BiquadType::FirstOrderLowShelf:
      return FirstOrderLowShelf(k, p.gainDb);
    case BiquadType::FirstOrderHighShelf:
      return FirstOrderHighShelf(k, p.gainDb);
    case BiquadType::Flat:
      break;
  }
  return FirstOrder(1, 0, 0);
}

BiquadCoefficients Normalised(BiquadCoefficients c) {
  if (c.a0 == 0.0) {
    return c;
  }
  const double a0 = c.a0;
  return BiquadCoefficients{1.0, c.a1 / a0, c.a2 / a0, c.b0 / a0, c.b1 / a0, c.b2 / a0};
}

// Moves one coefficient a step towards its target. Returns true when it has
// arrived: within tolerance, or when a step no longer changes it (a ramp
// towards 0 has tolerance 0 and would otherwise creep through subnormals).
bool StepTowards(double& current, double target, double tolerance, double rate) {
  const double d = target - current;
  if (std::fabs(d) <= tolerance) {
    current = target;
    return true;
  }
  const double next = current + rate * d;
  if (next == current) {
    current = target;
    return true;
  }
  current = next;
  return false;
}

}  // namespace

Biquad::Biquad() {
  DesignBiquad(*this, kNewSectionDesign, BiquadRamp::Ramped);
}

void Biquad::ProcessBlock(double* x, int n) {
  int i = 0;
  for (; i < n && mRamping; ++i) {
    x[i] = Process(x[i]);
  }
  if (i == n) {
    return;
  }
  const BiquadCoefficients c = mCurrent;
  const double gain = mOutputGain;
  const bool enabled = mEnabled;
  double x1 = mX1, x2 = mX2, y1 = mY1, y2 = mY2;
  for (; i < n; ++i) {
    const double in = x[i];
    const double y = Difference(c, x1, x2, y1, y2, in);
    x2 = x1;
    x1 = in;
    y2 = y1;
    y1 = y;
    x[i] = enabled ? y * gain : in;
  }
  mX1 = x1;
  mX2 = x2;
  mY1 = y1;
  mY2 = y2;
}

void Biquad::StepCoefficientRamp() {
  bool arrived = StepTowards(mCurrent.b0, mTarget.b0, mTolerance.b0, mRampRate);
  arrived &= StepTowards(mCurrent.b1, mTarget.b1, mTolerance.b1, mRampRate);
  arrived &= StepTowards(mCurrent.a1, mTarget.a1, mTolerance.a1, mRampRate);
  if (mSecondOrder) {
    arrived &= StepTowards(mCurrent.b2, mTarget.b2, mTolerance.b2, mRampRate);
    arrived &= StepTowards(mCurrent.a2, mTarget.a2, mTolerance.a2, mRampRate);
  }
  if (arrived) {
    mRamping = false;
  }
}

void Biquad::Prime(double u) {
  const double denominator = 1.0 + mTarget.a1 + mTarget.a2;
  if (denominator == 0.0) {
    return;
  }
  SnapToTargets();
  mX1 = mX2 = u;
  mY1 = mY2 = u * (mTarget.b0 + mTarget.b1 + mTarget.b2) / denominator;
}

void Biquad::ClearMemories() {
  mX1 = mX2 = mY1 = mY2 = 0.0;
}

void Biquad::SnapToTargets() {
  mCurrent = mTarget;
  mRamping = false;
}

void Biquad::SetSampleRate(double rateHz, BiquadRamp ramp) {
  if (!(rateHz > 0.0) || !std::isfinite(rateHz) || rateHz == mSampleRate) {
    return;
  }
  mSampleRate = rateHz;
  Redesign(ramp);
}

bool Biquad::Redesign(BiquadRamp ramp) {
  return DesignBiquad(*this, mParams, ramp);
}

void Biquad::AdoptDesign(const BiquadCoefficients& coefficients, bool secondOrder, BiquadRamp ramp) {
  mSecondOrder = secondOrder;
  mTarget = coefficients;
  if (ramp == BiquadRamp::Immediate) {
    mCurrent = coefficients;
    mRamping = false;
    return;
  }
  if (!secondOrder) {
    // The ramp no longer visits b2/a2, so they must not keep a second-order value.
    mCurrent.b2 = 0.0;
    mCurrent.a2 = 0.0;
  }
  mTolerance = RampTolerances{std::fabs(mTarget.b0 * mRampRate), std::fabs(mTarget.b1 * mRampRate),
                              std::fabs(mTarget.b2 * mRampRate), std::fabs(mTarget.a1 * mRampRate),
                              std::fabs(mTarget.a2 * mRampRate)};
  mRamping = true;
}

bool DesignBiquad(Biquad& filter, const BiquadParams& params, BiquadRamp ramp) {
  if (!(params.freqHz > 0.0) || !(params.q > 0.0) ||
      static_cast<std::uint32_t>(params.type) > kLastBiquadType || std::isnan(params.gainDb) ||
      std::isnan(params.outputGainDb)) {
    return false;
  }
  BiquadParams limited = params;
  limited.gainDb = std::clamp(params.gainDb, -kMaxGainDb, kMaxGainDb);
  limited.q = std::min(params.q, kMaxQ);
  filter.mParams = limited;
  const double rate = filter.mSampleRate;
  if (!(rate > 0.0)) {
    return false;
  }

  const double f = std::min(limited.freqHz, kNyquistFraction * rate / 2.0);
  const double w0 = 2.0 * std::numbers::pi * f / rate;
  const Angles angles{std::cos(w0), std::sin(w0) / (2.0 * limited.q), std::tan(w0 / 2.0)};
  const Design design = Coefficients(limited, angles);

  filter.mOutputGain = std::pow(10.0, limited.outputGainDb / 20.0);
  filter.AdoptDesign(Normalised(design.c), design.secondOrder, ramp);
  return true;
}

}  // namespace orvane
