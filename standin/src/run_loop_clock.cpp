// CFAbsoluteTime: the real clock, or the manual clock that tests step.

#include <CoreFoundation/CFDate.h>

#include <standin/testing/run_loop.h>

#include <atomic>
#include <chrono>

namespace {

// Seconds from the Unix epoch to 2001-01-01 00:00:00 UTC, where CFAbsoluteTime counts from.
constexpr double kUnixToReferenceDateSeconds = 978307200.0;

std::atomic<bool> gManualClock{false};
std::atomic<double> gManualNow{0.0};

double RealNow() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration<double>(sinceEpoch).count() - kUnixToReferenceDateSeconds;
}

}  // namespace

extern "C" CFAbsoluteTime CFAbsoluteTimeGetCurrent(void) {
  if (gManualClock.load(std::memory_order_acquire)) return gManualNow.load(std::memory_order_acquire);
  return RealNow();
}

namespace standin::testing {

void UseManualClock(CFAbsoluteTime now) {
  gManualNow.store(now, std::memory_order_release);
  gManualClock.store(true, std::memory_order_release);
}

void AdvanceManualClock(CFTimeInterval seconds) {
  gManualNow.store(gManualNow.load(std::memory_order_acquire) + seconds, std::memory_order_release);
}

void UseRealClock() { gManualClock.store(false, std::memory_order_release); }

bool UsesManualClock() { return gManualClock.load(std::memory_order_acquire); }

}  // namespace standin::testing
