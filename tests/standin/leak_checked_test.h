#pragma once

#include <gtest/gtest.h>
#include <standin/testing/objects.h>

// A fixture that fails a test which leaves CF objects or allocator blocks behind.
class LeakCheckedTest : public ::testing::Test {
protected:
  void SetUp() override {
    objectsAtStart_ = standin::testing::LiveObjectCount();
    allocationsAtStart_ = standin::testing::LiveAllocationCount();
  }
  void TearDown() override {
    EXPECT_EQ(standin::testing::LiveObjectCount(), objectsAtStart_) << "CF objects leaked";
    EXPECT_EQ(standin::testing::LiveAllocationCount(), allocationsAtStart_)
        << "allocator blocks leaked";
  }

private:
  long objectsAtStart_ = 0;
  long allocationsAtStart_ = 0;
};

// Owns one reference for the scope of a test.
template <typename Ref>
class Owned {
public:
  explicit Owned(Ref ref) : ref_(ref) {}
  ~Owned() {
    if (ref_ != nullptr) CFRelease(ref_);
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Ref get() const { return ref_; }
  operator Ref() const { return ref_; }

private:
  Ref ref_;
};
