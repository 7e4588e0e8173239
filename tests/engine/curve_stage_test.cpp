#include "engine/curve_stage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvane {
namespace {

CurveStage ShapedAtOnce(double hardnessA, double limitA, double hardnessB, double limitB) {
  CurveStage stage;
  stage.SetCrossfadeLength(0);
  stage.SetShape(hardnessA, limitA, hardnessB, limitB);
  return stage;
}

void ExpectWorkedExample(CurveStage& stage) {
  EXPECT_NEAR(stage.Evaluate(9.0), 8.2, 1e-12);
  EXPECT_NEAR(stage.Evaluate(1.0), 1.8, 1e-12);
  EXPECT_NEAR(stage.Evaluate(25.0), 10.0, 1e-12);
  EXPECT_NEAR(stage.Evaluate(-100.0), 0.0, 1e-12);
  EXPECT_NEAR(stage.Evaluate(5.0), 5.0, 1e-12);
}

TEST(CurveShape, ExponentGrowsWithHardness) {
  const struct {
    double hardness;
    int exponent;
  } cases[] = {{0, 2}, {50, 4}, {75, 6}, {100, 10}, {250, 10}};
  for (const auto& c : cases) {
    CurveHalf half;
    half.Set(10.0, c.hardness);
    EXPECT_EQ(half.exponent, c.exponent) << "hardness " << c.hardness;
    EXPECT_FALSE(half.bypass);
  }
}

TEST(CurveShape, EachSideLeavesTheMidpointWithUnitSlopeAndMeetsItsLimitFlat) {
  CurveHalf half;
  half.Set(-7.0, 60.0);
  EXPECT_TRUE(half.mirrored);
  EXPECT_EQ(half.limit, 7.0);
  EXPECT_NEAR(half.Shape(1e-6) / 1e-6, 1.0, 1e-5);
  EXPECT_NEAR(half.Shape(half.knee * (1 - 1e-9)), 7.0, 1e-6);
  EXPECT_EQ(half.Shape(half.knee * 2), 7.0);
  CurveHalf flat;
  flat.Set(0.0, 50.0);
  EXPECT_TRUE(flat.bypass);
}

TEST(CurveShape, WorkedExampleWithoutCrossfade) {
  CurveStage stage = ShapedAtOnce(0, 0, 0, 10);
  ExpectWorkedExample(stage);
}

TEST(CurveShape, WorkedExampleAfterTheCrossfadeHasRun) {
  CurveStage stage;
  stage.SetShape(0, 0, 0, 10);
  ASSERT_TRUE(stage.Crossfading());
  for (int i = 0; i < kDefaultCrossfadeLength + 1; ++i) {
    stage.Evaluate(0.0);
  }
  EXPECT_FALSE(stage.Crossfading());
  ExpectWorkedExample(stage);
}

TEST(CurveShape, EachLimitIsReachedOnItsOwnSideWhateverTheirOrder) {
  CurveStage swapped = ShapedAtOnce(30, 10, 80, 0);
  EXPECT_NEAR(swapped.Evaluate(1000.0), 10.0, 1e-12);
  EXPECT_NEAR(swapped.Evaluate(-1000.0), 0.0, 1e-12);
  EXPECT_EQ(swapped.HalfA().exponent, 2);
  EXPECT_EQ(swapped.HalfB().exponent, 7);
}

TEST(CurveShape, EqualLimitsGiveAStraightLine) {
  CurveStage stage = ShapedAtOnce(50, 3, 50, 3);
  for (double u : {-500.0, -1.0, 0.0, 2.5, 3.0, 77.0}) {
    EXPECT_DOUBLE_EQ(stage.Evaluate(u), u);
  }
}

TEST(CurveShape, ValuesAreClampedAndNonNumbersIgnored) {
  CurveStage stage = ShapedAtOnce(150, 20000, -5, -20000);
  EXPECT_EQ(stage.HardnessA(), 100.0);
  EXPECT_EQ(stage.HardnessB(), 0.0);
  EXPECT_EQ(stage.LimitA(), 10000.0);
  EXPECT_EQ(stage.LimitB(), -10000.0);
  stage.SetShape(std::nan(""), 1, 1, 1);
  EXPECT_EQ(stage.LimitA(), 10000.0);
}

TEST(CurveCrossfade, SettingTheSameShapeTwiceStartsNoCrossfade) {
  CurveStage stage;
  EXPECT_FALSE(stage.Crossfading());
  stage.SetShape(50, 100, 50, -100);
  EXPECT_FALSE(stage.Crossfading());
}

TEST(CurveCrossfade, FirstSampleIsTheOldCurveAndTheLastTheNew) {
  CurveStage stage;
  stage.SetCrossfadeLength(100);
  const double u = 60.0;
  const double oldValue = stage.Transfer(u);
  stage.SetShape(20, 30, 20, -30);
  const double newValue = stage.Transfer(u);
  ASSERT_GT(std::fabs(newValue - oldValue), 1.0);
  EXPECT_NEAR(stage.Evaluate(u), oldValue, 1e-4);  // read from the table
  double previous = oldValue;
  for (int i = 2; i <= 100; ++i) {
    const double y = stage.Evaluate(u);
    EXPECT_LE(y, previous + 1e-12);  // moves monotonically towards the lower new value
    previous = y;
  }
  EXPECT_TRUE(stage.Crossfading());
  EXPECT_EQ(stage.Evaluate(u), newValue);
  EXPECT_FALSE(stage.Crossfading());
  EXPECT_EQ(stage.Mix(), 1.0);
}

TEST(CurveCrossfade, AShapeChangeMidwayContinuesFromWhatIsHeard) {
  CurveStage stage;
  stage.SetCrossfadeLength(100);
  stage.SetShape(20, 30, 20, -30);
  double last = 0.0;
  for (int i = 0; i < 40; ++i) {
    last = stage.Evaluate(50.0);
  }
  stage.SetShape(90, 200, 90, -200);
  EXPECT_NEAR(stage.Evaluate(50.0), last, 0.05);
}

TEST(CurveCrossfade, ZeroLengthSwitchesAtOnceAndEndsARunningCrossfade) {
  CurveStage stage;
  stage.SetShape(20, 30, 20, -30);
  ASSERT_TRUE(stage.Crossfading());
  stage.SetCrossfadeLength(0);
  EXPECT_FALSE(stage.Crossfading());
  EXPECT_FALSE(stage.TableValid());
  EXPECT_EQ(stage.Evaluate(60.0), stage.Transfer(60.0));
  stage.SetShape(10, 5, 10, -5);
  EXPECT_FALSE(stage.Crossfading());
}

// Oversampling dropping from 8x to 1x shrinks the crossfade length while one
// runs; the weight must stay within [0, 1] and the output between the curves.
TEST(CurveCrossfade, ShrinkingTheLengthMidwayKeepsTheFractionDone) {
  constexpr int kLong = 38400;
  constexpr int kShort = 4800;
  CurveStage stage;
  stage.SetCrossfadeLength(kLong);
  const double u = 60.0;
  const double oldValue = stage.Transfer(u);
  stage.SetShape(20, 30, 20, -30);
  const double newValue = stage.Transfer(u);
  for (int i = 0; i < kLong / 4; ++i) {
    stage.Evaluate(u);
  }
  const double mixBefore = stage.Mix();
  stage.SetCrossfadeLength(kShort);
  ASSERT_TRUE(stage.Crossfading());
  EXPECT_NEAR(static_cast<double>(stage.Remaining()), 0.75 * kShort, 2.0);
  const double low = std::min(oldValue, newValue) - 1e-9;
  const double high = std::max(oldValue, newValue) + 1e-9;
  double y = stage.Evaluate(u);
  EXPECT_NEAR(stage.Mix(), mixBefore, 0.01);
  while (stage.Crossfading()) {
    y = stage.Evaluate(u);
    ASSERT_GE(stage.Mix(), 0.0);
    ASSERT_LE(stage.Mix(), 1.0);
    ASSERT_GE(y, low);
    ASSERT_LE(y, high);
  }
  EXPECT_EQ(y, newValue);
}

TEST(CurveCrossfade, TheOldTableCoversBothShapesLimits) {
  CurveStage stage;
  stage.SetShape(50, 400, 50, -30);
  EXPECT_TRUE(stage.TableValid());
  EXPECT_EQ(stage.TableMin(), -800.0);
  EXPECT_EQ(stage.TableMax(), 800.0);
}

}  // namespace
}  // namespace orvane
