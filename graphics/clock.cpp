#include "graphics/clock.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>

namespace plugkit::graphics {

namespace {

constexpr double kNanosecondsPerMillisecond = 1e6;
constexpr double kUnpinned = std::numeric_limits<double>::quiet_NaN();

std::atomic<double> sPinnedMs{kUnpinned};

}  // namespace

double GraphicsClock::NowMs() {
  const double pinned = sPinnedMs.load(std::memory_order_relaxed);
  if (!std::isnan(pinned)) return pinned;
  const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<double>(nanoseconds.count()) / kNanosecondsPerMillisecond;
}

void GraphicsClock::PinForTesting(std::optional<double> ms) {
  sPinnedMs.store(ms.value_or(kUnpinned), std::memory_order_relaxed);
}

}  // namespace plugkit::graphics
