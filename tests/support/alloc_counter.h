#pragma once

#include <cstddef>

namespace orvane::testing {

// Counts calls of the global operator new made by the current thread while an
// instance is alive. Render-thread tests wrap the code under test in one and
// expect a count of zero.
class ScopedAllocationCount {
public:
  ScopedAllocationCount();
  ~ScopedAllocationCount();
  ScopedAllocationCount(const ScopedAllocationCount&) = delete;
  ScopedAllocationCount& operator=(const ScopedAllocationCount&) = delete;

  std::size_t Count() const;

private:
  std::size_t mStart;
  bool mWasCounting;
};

// Allocations counted on this thread since the process started (only while a
// ScopedAllocationCount was alive on it).
std::size_t AllocationsCountedOnThisThread();

}  // namespace orvane::testing
