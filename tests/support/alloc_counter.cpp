#include "alloc_counter.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool tCounting = false;
thread_local std::size_t tCount = 0;

void* CountedAllocate(std::size_t size, std::size_t alignment, bool nothrow) {
  if (tCounting) ++tCount;
  if (size == 0) size = 1;
  void* p = nullptr;
  if (alignment > alignof(std::max_align_t)) {
    const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
    p = std::aligned_alloc(alignment, rounded);
  } else {
    p = std::malloc(size);
  }
  if (!p && !nothrow) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(std::size_t size) { return CountedAllocate(size, 0, false); }
void* operator new[](std::size_t size) { return CountedAllocate(size, 0, false); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocate(size, 0, true); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocate(size, 0, true); }
void* operator new(std::size_t size, std::align_val_t a) { return CountedAllocate(size, static_cast<std::size_t>(a), false); }
void* operator new[](std::size_t size, std::align_val_t a) { return CountedAllocate(size, static_cast<std::size_t>(a), false); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return CountedAllocate(size, static_cast<std::size_t>(a), true);
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  return CountedAllocate(size, static_cast<std::size_t>(a), true);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace orvane::testing {

ScopedAllocationCount::ScopedAllocationCount() : mStart(tCount), mWasCounting(tCounting) { tCounting = true; }

ScopedAllocationCount::~ScopedAllocationCount() { tCounting = mWasCounting; }

std::size_t ScopedAllocationCount::Count() const { return tCount - mStart; }

std::size_t AllocationsCountedOnThisThread() { return tCount; }

}  // namespace orvane::testing
