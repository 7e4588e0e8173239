#include "usage_checks.h"

#include <standin/testing/appkit.h>
#include <standin/testing/run_loop.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>

namespace standin::appkit {
namespace {

std::atomic<long> gMainThreadViolations{0};
std::atomic<long> gValidationErrors{0};

struct OptionalMethods {
  std::mutex mutex;
  std::set<std::string, std::less<>> switchedOff;
};

OptionalMethods& Optional() {
  static OptionalMethods* const methods = new OptionalMethods;  // outlives static destructors
  return *methods;
}

}  // namespace

bool CheckMainThread() {
  if (testing::IsMainThread()) return true;
  gMainThreadViolations.fetch_add(1, std::memory_order_relaxed);
  return false;
}

void CountValidationError() { gValidationErrors.fetch_add(1, std::memory_order_relaxed); }

bool OptionalMethodAvailable(std::string_view selectorName) {
  OptionalMethods& methods = Optional();
  std::lock_guard lock(methods.mutex);
  return methods.switchedOff.find(selectorName) == methods.switchedOff.end();
}

}  // namespace standin::appkit

namespace standin::testing {

long AppKitMainThreadViolationCount() {
  return appkit::gMainThreadViolations.load(std::memory_order_relaxed);
}

long AppKitValidationErrorCount() { return appkit::gValidationErrors.load(std::memory_order_relaxed); }

void SetOptionalMethodAvailable(const std::string& selectorName, bool available) {
  appkit::OptionalMethods& methods = appkit::Optional();
  std::lock_guard lock(methods.mutex);
  if (available) {
    methods.switchedOff.erase(selectorName);
  } else {
    methods.switchedOff.insert(selectorName);
  }
}

}  // namespace standin::testing

namespace standin::appkit {

void ResetUsageChecks() {
  gMainThreadViolations.store(0, std::memory_order_relaxed);
  gValidationErrors.store(0, std::memory_order_relaxed);
  OptionalMethods& methods = Optional();
  std::lock_guard lock(methods.mutex);
  methods.switchedOff.clear();
}

}  // namespace standin::appkit
