#include "support/alloc_counter.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace orvane::testing {
namespace {

// Stores a pointer where the optimiser must assume it is read: clang removes a
// new-expression whose result never escapes, and there would be nothing to count.
void* volatile gEscaped = nullptr;

template <typename T>
std::unique_ptr<T> Allocated(T value) {
  auto allocated = std::make_unique<T>(value);
  gEscaped = allocated.get();
  return allocated;
}

TEST(AllocationCounter, CountsOnlyInsideTheScopeAndOnlyThisThread) {
  auto before = Allocated(1);
  std::size_t counted = 0;
  {
    ScopedAllocationCount scope;
    std::thread other([] { std::vector<int> v(100); });  // the thread object itself allocates here
    const std::size_t afterStart = scope.Count();
    other.join();
    EXPECT_EQ(scope.Count(), afterStart) << "allocations of another thread must not count";
    auto mine = Allocated(2);
    counted = scope.Count();
  }
  EXPECT_GE(counted, 1u);
  const std::size_t total = AllocationsCountedOnThisThread();
  auto after = Allocated(3);
  EXPECT_EQ(AllocationsCountedOnThisThread(), total) << "nothing counts outside a scope";
}

TEST(AllocationCounter, NestedScopesEachSeeTheirOwnAllocations) {
  ScopedAllocationCount outer;
  {
    ScopedAllocationCount inner;
    auto p = Allocated(1.0);
    EXPECT_EQ(inner.Count(), 1u);
  }
  auto q = Allocated(2.0);
  EXPECT_EQ(outer.Count(), 2u);
}

}  // namespace
}  // namespace orvane::testing
