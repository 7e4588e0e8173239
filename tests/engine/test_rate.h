#pragma once

namespace orvane::testing {

// The sample rate the engine's tests run at.
inline constexpr double kRate = 48000.0;

}  // namespace orvane::testing
