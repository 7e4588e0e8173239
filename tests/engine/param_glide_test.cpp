#include "engine/param_glide.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(ParamGlide, TheFirstValueIsTakenAtOnce) {
  ParamGlide glide;
  EXPECT_FALSE(glide.Initialised());
  glide.SetTarget(3.0, 100);
  EXPECT_EQ(glide.Current(), 3.0);
  EXPECT_FALSE(glide.Gliding());
}

TEST(ParamGlide, LandsExactlyOnTargetAfterLengthPlusOneSteps) {
  constexpr int kLength = 240;
  ParamGlide glide;
  glide.SetTarget(0.1, kLength);
  glide.SetTarget(-0.7, kLength);
  ASSERT_EQ(glide.Remaining(), kLength + 1);
  glide.Step();
  EXPECT_EQ(glide.Current(), 0.1);  // the first step stays at the start
  double previous = glide.Current();
  for (int i = 1; i < kLength; ++i) {
    glide.Step();
    EXPECT_LT(glide.Current(), previous);
    previous = glide.Current();
  }
  EXPECT_TRUE(glide.Gliding());
  glide.Step();
  EXPECT_FALSE(glide.Gliding());
  EXPECT_EQ(glide.Current(), -0.7);
}

TEST(ParamGlide, FollowsASmoothstep) {
  ParamGlide glide;
  glide.SetTarget(0.0, 4);
  glide.SetTarget(1.0, 4);
  const double expected[] = {0.0, 0.15625, 0.5, 0.84375, 1.0};
  for (double value : expected) {
    glide.Step();
    EXPECT_DOUBLE_EQ(glide.Current(), value);
  }
}

TEST(ParamGlide, AnUnchangedTargetStartsNothing) {
  ParamGlide glide;
  glide.SetTarget(1.0, 10);
  glide.SetTarget(2.0, 10);
  glide.Step();
  glide.Step();
  const int remaining = glide.Remaining();
  glide.SetTarget(2.0, 10);
  EXPECT_EQ(glide.Remaining(), remaining);
}

TEST(ParamGlide, ANewTargetMidwayStartsFromTheCurrentValue) {
  ParamGlide glide;
  glide.SetTarget(0.0, 10);
  glide.SetTarget(1.0, 10);
  for (int i = 0; i < 6; ++i) {
    glide.Step();
  }
  const double midway = glide.Current();
  glide.SetTarget(-1.0, 10);
  glide.Step();
  EXPECT_EQ(glide.Current(), midway);
}

TEST(ParamGlide, ALengthBelowOneJumps) {
  ParamGlide glide;
  glide.SetTarget(1.0, 0);
  glide.SetTarget(5.0, 0);
  EXPECT_EQ(glide.Current(), 5.0);
  EXPECT_FALSE(glide.Gliding());
  glide.SetTarget(6.0, -3);
  EXPECT_EQ(glide.Current(), 6.0);
}

TEST(ParamGlide, SnapToTargetEndsTheGlide) {
  ParamGlide glide;
  glide.SetTarget(1.0, 10);
  glide.SetTarget(2.0, 10);
  glide.SnapToTarget();
  EXPECT_EQ(glide.Current(), 2.0);
  EXPECT_FALSE(glide.Gliding());
}

}  // namespace
}  // namespace orvane
