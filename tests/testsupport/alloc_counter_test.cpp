#include "support/alloc_counter.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace orvane::testing {
namespace {

TEST(AllocationCounter, CountsOnlyInsideTheScopeAndOnlyThisThread) {
  auto before = std::make_unique<int>(1);
  std::size_t counted = 0;
  {
    ScopedAllocationCount scope;
    std::thread other([] { std::vector<int> v(100); });  // the thread object itself allocates here
    const std::size_t afterStart = scope.Count();
    other.join();
    EXPECT_EQ(scope.Count(), afterStart) << "allocations of another thread must not count";
    auto mine = std::make_unique<int>(2);
    counted = scope.Count();
  }
  EXPECT_GE(counted, 1u);
  const std::size_t total = AllocationsCountedOnThisThread();
  auto after = std::make_unique<int>(3);
  EXPECT_EQ(AllocationsCountedOnThisThread(), total) << "nothing counts outside a scope";
}

TEST(AllocationCounter, NestedScopesEachSeeTheirOwnAllocations) {
  ScopedAllocationCount outer;
  {
    ScopedAllocationCount inner;
    auto p = std::make_unique<double>(1.0);
    EXPECT_EQ(inner.Count(), 1u);
  }
  auto q = std::make_unique<double>(2.0);
  EXPECT_EQ(outer.Count(), 2u);
}

}  // namespace
}  // namespace orvane::testing
