#include "common/heap_buf.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace plugkit {
namespace {

TEST(HeapBufTest, SmallGranularityGrowsByTheGranularityAndKeepsItOnSmallShrinks) {
  HeapBuf buf(128);
  EXPECT_EQ(buf.Resize(0), nullptr);
  ASSERT_NE(buf.Resize(10), nullptr);
  EXPECT_EQ(buf.GetSize(), 10);
  EXPECT_EQ(buf.GetAllocated(), 138);

  buf.Resize(9);
  EXPECT_EQ(buf.GetSize(), 9);
  EXPECT_EQ(buf.GetAllocated(), 138);
}

TEST(HeapBufTest, LargeGranularityRoundsAllocationsToPages) {
  HeapBuf buf(4096);
  buf.Resize(100);
  EXPECT_EQ(buf.GetAllocated(), 4000);

  buf.Resize(10000);  // step 5000 rounds down to 4096: (10000 + 4096 + 96) & ~4095 = 12288
  EXPECT_EQ(buf.GetAllocated(), 12288 - 96);
}

TEST(HeapBufTest, LargeGranularityStepIsCappedAtFourMebibytes) {
  HeapBuf buf(4096);
  const int size = 20 * 1024 * 1024;
  buf.Resize(size);
  ASSERT_EQ(buf.GetSize(), size);
  EXPECT_EQ(buf.GetAllocated(), size + 4 * 1024 * 1024 - 96);
}

TEST(HeapBufTest, ShrinksOnlyBelowTheThresholdAndOnlyWhenAsked) {
  HeapBuf buf(128);
  buf.Resize(2000);  // allocation 3000
  ASSERT_EQ(buf.GetAllocated(), 3000);

  buf.Resize(1000, false);
  EXPECT_EQ(buf.GetAllocated(), 3000);

  buf.Resize(1600);  // threshold min(3000 - 512, 1500) = 1500
  EXPECT_EQ(buf.GetAllocated(), 3000);
  buf.Resize(1400);
  EXPECT_EQ(buf.GetAllocated(), 1400 + 700);
}

TEST(HeapBufTest, ResizingKeepsContentsAndZeroFrees) {
  HeapBuf buf(16);
  std::memcpy(buf.Resize(6), "hello", 6);
  buf.Resize(5000);
  EXPECT_STREQ(static_cast<const char*>(buf.Get()), "hello");

  EXPECT_EQ(buf.Resize(0), nullptr);
  EXPECT_EQ(buf.GetAllocated(), 0);
  EXPECT_EQ(buf.Get(), nullptr);

  buf.Resize(-5);
  EXPECT_EQ(buf.GetSize(), 0);
}

TEST(HeapBufTest, FailedGrowthLeavesTheBufferAsItWas) {
  HeapBuf buf(128);
  std::memcpy(buf.Resize(4), "abc", 4);
  void* const before = buf.Get();

  EXPECT_NO_THROW(buf.Resize(INT_MAX));
  EXPECT_EQ(buf.GetSize(), 4);
  EXPECT_EQ(buf.GetAllocated(), 132);
  EXPECT_EQ(buf.Get(), before);
  EXPECT_STREQ(static_cast<const char*>(buf.Get()), "abc");
}

TEST(HeapBufTest, CopiesAreDeepAndMovesTransferOwnership) {
  HeapBuf original(128);
  std::memcpy(original.Resize(3), "xy", 3);

  HeapBuf copy(original);
  static_cast<char*>(copy.Get())[0] = 'z';
  EXPECT_STREQ(static_cast<const char*>(original.Get()), "xy");

  HeapBuf moved(std::move(copy));
  EXPECT_STREQ(static_cast<const char*>(moved.Get()), "zy");
  EXPECT_EQ(copy.GetSize(), 0);  // NOLINT(bugprone-use-after-move): moved-from is empty
}

TEST(TypedBufTest, CountsElementsAndAppends) {
  struct Pair {
    int a;
    double b;
  };
  TypedBuf<Pair> buf;
  EXPECT_EQ(buf.GetSize(), 0);
  ASSERT_TRUE(buf.Add({1, 2.0}));
  ASSERT_TRUE(buf.Add({3, 4.0}));
  EXPECT_EQ(buf.GetSize(), 2);
  EXPECT_EQ(buf.GetBytes(), static_cast<int>(2 * sizeof(Pair)));
  EXPECT_EQ(buf.Get()[1].a, 3);

  buf.Resize(1);
  EXPECT_EQ(buf.GetSize(), 1);
  EXPECT_EQ(buf.Get()[0].b, 2.0);
}

TEST(TypedBufTest, RefusesACountWhoseByteSizeOverflows) {
  TypedBuf<double> buf;
  buf.Add(1.0);
  buf.Resize(INT_MAX);
  EXPECT_EQ(buf.GetSize(), 1);
  EXPECT_EQ(buf.Get()[0], 1.0);
}

}  // namespace
}  // namespace plugkit
