#include "framework/core/state_chunk.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace plugkit {
namespace {

TEST(IStateChunkTest, AppendsInMachineByteOrderAndReadsBack) {
  IStateChunk chunk;
  ASSERT_TRUE(chunk.Put(int32_t{0x01020304}));
  ASSERT_TRUE(chunk.Put(2.5));
  ASSERT_TRUE(chunk.PutStr("abc"));
  EXPECT_EQ(chunk.Size(), 4 + 8 + 4 + 3);

  int32_t word = 0;
  std::memcpy(&word, chunk.GetData(), 4);
  EXPECT_EQ(word, 0x01020304);

  double value = 0.0;
  EXPECT_EQ(chunk.Get(&value, 4), 12);
  EXPECT_EQ(value, 2.5);
  int32_t length = 0;
  EXPECT_EQ(chunk.Get(&length, 12), 16);
  EXPECT_EQ(length, 3);
  char text[4] = {};
  EXPECT_EQ(chunk.GetBytes(text, 3, 16), 19);
  EXPECT_STREQ(text, "abc");
}

TEST(IStateChunkTest, ReadsThatDoNotFitAnswerMinusOneAndLeaveTheOutputAlone) {
  IStateChunk chunk;
  chunk.Put(int32_t{7});
  int32_t word = 42;
  EXPECT_EQ(chunk.Get(&word, 1), -1);
  EXPECT_EQ(chunk.Get(&word, -1), -1);
  EXPECT_EQ(chunk.Get(&word, INT_MAX), -1);
  EXPECT_EQ(chunk.GetBytes(&word, -4, 0), -1);
  EXPECT_EQ(word, 42);
  EXPECT_EQ(chunk.GetBytes(nullptr, 0, 4), 4);
  EXPECT_TRUE(chunk.Holds(0, 4));
  EXPECT_FALSE(chunk.Holds(1, 4));
  EXPECT_FALSE(chunk.Holds(0, INT_MAX));
}

TEST(IStateChunkTest, AppendsChunksAndClearsAndCopies) {
  IStateChunk first;
  first.PutStr("");
  IStateChunk second;
  second.Put(uint8_t{9});
  ASSERT_TRUE(first.PutChunk(second));
  EXPECT_EQ(first.Size(), 5);
  EXPECT_EQ(first.GetData()[4], 9);

  IStateChunk copy = first;
  first.Clear();
  EXPECT_EQ(first.Size(), 0);
  EXPECT_EQ(copy.Size(), 5);
  EXPECT_EQ(copy.Resize(2), 2);
}

TEST(IStateChunkTest, AFailedAppendLeavesTheChunkAsItWas) {
  IStateChunk chunk;
  chunk.Put(int32_t{1});
  char byte = 0;
  EXPECT_FALSE(chunk.PutBytes(&byte, INT_MAX));
  EXPECT_FALSE(chunk.PutBytes(nullptr, 4));
  EXPECT_FALSE(chunk.PutBytes(&byte, -1));
  EXPECT_EQ(chunk.Size(), 4);
}

}  // namespace
}  // namespace plugkit
