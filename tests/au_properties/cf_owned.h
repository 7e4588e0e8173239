#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>
#include <standin/testing/objects.h>

namespace plugkit::testing {

// Owns one reference to a CF object for the scope of a test.
template <typename Ref>
class CFOwned {
public:
  CFOwned() = default;
  explicit CFOwned(Ref ref) : mRef(ref) {}
  ~CFOwned() { Reset(); }
  CFOwned(const CFOwned&) = delete;
  CFOwned& operator=(const CFOwned&) = delete;

  void Reset(Ref ref = nullptr) {
    if (mRef != nullptr) CFRelease(mRef);
    mRef = ref;
  }
  Ref Get() const { return mRef; }
  // For out-arguments: the slot the callee fills.
  Ref* Out() {
    Reset();
    return &mRef;
  }

private:
  Ref mRef = nullptr;
};

// Fails a test that leaves CF objects or allocator blocks behind.
class CFLeakCheckedTest : public ::testing::Test {
protected:
  void SetUp() override {
    mObjectsAtStart = standin::testing::LiveObjectCount();
    mAllocationsAtStart = standin::testing::LiveAllocationCount();
  }
  void TearDown() override {
    EXPECT_EQ(standin::testing::LiveObjectCount(), mObjectsAtStart) << "CF objects leaked";
    EXPECT_EQ(standin::testing::LiveAllocationCount(), mAllocationsAtStart) << "allocator blocks leaked";
  }

private:
  long mObjectsAtStart = 0;
  long mAllocationsAtStart = 0;
};

inline CFMutableDictionaryRef NewCFDictionary() {
  return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
}

// Sets key to value and drops the caller's reference to value.
inline void SetOwned(CFMutableDictionaryRef dict, const char* key, CFTypeRef value) {
  CFDictionarySetValue(dict, CFStringMakeConstantString(key), value);
  CFRelease(value);
}

}  // namespace plugkit::testing
