#pragma once

#include <cmath>
#include <complex>
#include <numbers>

#include "engine/biquad.h"

namespace orvane::testing {

// Magnitude of a coefficient set's response at `freqHz` (output gain included).
inline double Magnitude(const BiquadCoefficients& c, double freqHz, double rateHz, double outputGain = 1.0) {
  const double w = 2.0 * std::numbers::pi * freqHz / rateHz;
  const std::complex<double> z1 = std::polar(1.0, -w);
  const std::complex<double> z2 = z1 * z1;
  const std::complex<double> num = c.b0 + c.b1 * z1 + c.b2 * z2;
  const std::complex<double> den = 1.0 + c.a1 * z1 + c.a2 * z2;
  return std::abs(num / den) * outputGain;
}

inline double DbToLinear(double db) {
  return std::pow(10.0, db / 20.0);
}

}  // namespace orvane::testing
