#include "graphics/renderer/allocation.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<std::uint64_t> gAllocationCount{0};
std::atomic<int> gAllocationsBeforeFailure{-1};

// Counts the call and answers whether it may allocate.
bool AllocationAllowed() {
  gAllocationCount.fetch_add(1, std::memory_order_relaxed);
  int allowed = gAllocationsBeforeFailure.load(std::memory_order_relaxed);
  while (allowed >= 0) {
    if (allowed == 0) return false;
    if (gAllocationsBeforeFailure.compare_exchange_weak(allowed, allowed - 1, std::memory_order_relaxed)) {
      return true;
    }
  }
  return true;
}

}  // namespace

void* vc__alloc(std::size_t size) { return AllocationAllowed() ? std::malloc(size) : nullptr; }

void* vc__realloc(void* ptr, std::size_t size) { return AllocationAllowed() ? std::realloc(ptr, size) : nullptr; }

void vc__free(void* ptr) { std::free(ptr); }

std::uint64_t vcAllocationCount() { return gAllocationCount.load(std::memory_order_relaxed); }

void vcSetAllocationsBeforeFailure(int allowed) {
  gAllocationsBeforeFailure.store(allowed, std::memory_order_relaxed);
}
