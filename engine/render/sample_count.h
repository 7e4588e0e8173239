#pragma once

// Sample counts from rates and durations. A host may report any rate, so the
// conversions saturate instead of overflowing.

#include <cmath>
#include <concepts>
#include <limits>

namespace orvane {

inline constexpr double kFallbackSampleRate = 48000.0;

// The rate the render side works with: the given one when it is a positive
// finite number, else 48 kHz.
inline double UsableSampleRate(double rateHz) {
  return rateHz > 0.0 && std::isfinite(rateHz) ? rateHz : kFallbackSampleRate;
}

// round(value), halves away from zero, limited to the range of T (NaN gives 0).
template <std::integral T>
T SaturatingRound(double value) {
  const double rounded = std::round(value);
  if (std::isnan(rounded)) {
    return 0;
  }
  if (rounded <= static_cast<double>(std::numeric_limits<T>::min())) {
    return std::numeric_limits<T>::min();
  }
  // The maximum of a 32- or 64-bit type is not exactly a double; compare with
  // the power of two just above it.
  constexpr double kAboveMax = 2.0 * static_cast<double>(std::numeric_limits<T>::max() / 2 + 1);
  if (rounded >= kAboveMax) {
    return std::numeric_limits<T>::max();
  }
  return static_cast<T>(rounded);
}

}  // namespace orvane
