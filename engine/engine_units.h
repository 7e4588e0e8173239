#pragma once

#include <cmath>

namespace orvane {

// Knobs and percentages of the engine run 0..100.
inline constexpr double kKnobMax = 100.0;
inline constexpr double kPercentScale = 100.0;
inline constexpr double kMaxHardness = 100.0;

inline double DbToGain(double db) {
  return std::pow(10.0, db / 20.0);
}

}  // namespace orvane
