#include "graphics/renderer/allocation.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<std::uint64_t> gAllocationCount{0};
std::atomic<int> gAllocationsBeforeFailure{-1};
std::atomic<std::size_t> gLargestAllocation{0};
std::atomic<std::size_t> gAllocationSizeLimit{0};

// Counts the call and answers whether it may allocate.
bool AllocationAllowed(std::size_t size) {
  gAllocationCount.fetch_add(1, std::memory_order_relaxed);
  std::size_t largest = gLargestAllocation.load(std::memory_order_relaxed);
  while (size > largest && !gLargestAllocation.compare_exchange_weak(largest, size, std::memory_order_relaxed)) {
  }
  const std::size_t limit = gAllocationSizeLimit.load(std::memory_order_relaxed);
  if (limit != 0 && size > limit) return false;
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

void* vc__alloc(std::size_t size) { return AllocationAllowed(size) ? std::malloc(size) : nullptr; }

void* vc__realloc(void* ptr, std::size_t size) { return AllocationAllowed(size) ? std::realloc(ptr, size) : nullptr; }

void vc__free(void* ptr) { std::free(ptr); }

std::uint64_t vcAllocationCount() { return gAllocationCount.load(std::memory_order_relaxed); }

std::size_t vcLargestAllocationSize() { return gLargestAllocation.load(std::memory_order_relaxed); }

void vcResetLargestAllocationSize() { gLargestAllocation.store(0, std::memory_order_relaxed); }

void vcSetAllocationSizeLimit(std::size_t bytes) { gAllocationSizeLimit.store(bytes, std::memory_order_relaxed); }

void vcSetAllocationsBeforeFailure(int allowed) {
  gAllocationsBeforeFailure.store(allowed, std::memory_order_relaxed);
}
