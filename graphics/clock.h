#pragma once

#include <optional>

namespace plugkit::graphics {

// The graphics core's one time base: milliseconds of the steady clock, read by
// animations and frame timing. Any thread.
class GraphicsClock {
public:
  static double NowMs();
  // Tests only: pins the time NowMs answers; nullopt returns to the clock.
  static void PinForTesting(std::optional<double> ms);
};

}  // namespace plugkit::graphics
