#pragma once

namespace plugkit::testing {

// How long the test thread pumps the main run loop, on the real clock, between
// two looks at what the other threads have done.
inline constexpr double kPumpSeconds = 0.002;

}  // namespace plugkit::testing
