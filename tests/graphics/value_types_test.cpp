#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics/drawing_types.h"
#include "graphics/graphics_types.h"

namespace plugkit::graphics {
namespace {

TEST(IRECTTest, ContainsPointsInsideTheLeftAndTopEdgesOnly) {
  struct Case {
    IRECT r;
    float x, y;
    bool inside;
  };
  const std::vector<Case> cases = {
      {IRECT(), 0.f, 0.f, false},  // the empty rectangle contains nothing
      {IRECT(0, 0, 10, 10), 0.f, 0.f, true},
      {IRECT(0, 0, 10, 10), 5.f, 0.f, true},
      {IRECT(0, 0, 10, 10), 10.f, 5.f, false},
      {IRECT(0, 0, 10, 10), 5.f, 10.f, false},
      {IRECT(0, 0, 10, 10), -0.1f, 5.f, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.r.Contains(c.x, c.y), c.inside) << c.x << "," << c.y << " in " << c.r.L << "," << c.r.R;
}

TEST(IRECTTest, ContainmentAndIntersectionNeedTwoNonEmptyRectangles) {
  const IRECT big(0, 0, 10, 10);
  struct Case {
    IRECT other;
    bool contains, intersects;
  };
  const std::vector<Case> cases = {
      {IRECT(2, 2, 8, 8), true, true},   {IRECT(0, 0, 10, 10), true, true},
      {IRECT(5, 5, 15, 15), false, true}, {IRECT(10, 0, 20, 10), false, false},  // touching only
      {IRECT(), false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(big.Contains(c.other), c.contains) << c.other.L;
    EXPECT_EQ(big.Intersects(c.other), c.intersects) << c.other.L;
    EXPECT_FALSE(IRECT().Contains(c.other));
    EXPECT_FALSE(IRECT().Intersects(c.other));
  }
}

TEST(IRECTTest, CombiningRectangles) {
  const IRECT a(0, 0, 10, 10);
  const IRECT b(5, 5, 20, 8);
  struct Case {
    IRECT result, expected;
  };
  const std::vector<Case> cases = {
      {a.Intersect(b), IRECT(5, 5, 10, 8)},
      {a.Intersect(IRECT(20, 20, 30, 30)), IRECT()},
      {a.Intersect(IRECT()), IRECT()},
      {IRECT().Intersect(a), IRECT()},
      {a.Union(b), IRECT(0, 0, 20, 10)},
      {a.Union(IRECT()), a},
      {IRECT().Union(b), b},
      {a.GetGrown(0.75f), IRECT(-0.75f, -0.75f, 10.75f, 10.75f)},
      {IRECT(0.3f, 0.3f, 10.2f, 10.2f).GetPixelAligned(2.f), IRECT(0, 0, 10.5f, 10.5f)},
      {IRECT(95, 0, 105, 10).GetConstrained(IRECT(0, 0, 100, 100)), IRECT(89, 0, 99, 10)},
      {IRECT(-5, 20, 5, 30).GetConstrained(IRECT(0, 0, 100, 100)), IRECT(0, 20, 10, 30)},
      {IRECT(-5, 0, 200, 10).GetConstrained(IRECT(0, 0, 100, 100)), IRECT(0, 0, 99, 10)},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const IRECT& r = cases[i].result;
    const IRECT& e = cases[i].expected;
    EXPECT_TRUE(r == e) << "case " << i << ": (" << r.L << "," << r.T << "," << r.R << "," << r.B << ")";
  }
}

TEST(ITransformTest, OperationsComposeOnTheRight) {
  struct Case {
    const char* name;
    ITransform t;
    double x, y, expectedX, expectedY;
  };
  ITransform rotated;
  rotated.Rotate(90.f);
  ITransform translatedThenScaled;
  translatedThenScaled.Translate(10.f, 20.f);
  translatedThenScaled.Scale(2.f, 3.f);
  ITransform skewed;
  skewed.Skew(45.f, 0.f);
  ITransform skewedY;
  skewedY.Skew(0.f, 45.f);
  ITransform product(1, 2, 3, 4, 5, 6);
  product.Transform(ITransform(7, 8, 9, 10, 11, 12));
  const std::vector<Case> cases = {
      {"rotate 90 turns right into down", rotated, 1, 0, 0, 1},
      {"translate then scale", translatedThenScaled, 1, 1, 12, 23},
      {"skew x", skewed, 0, 1, 1, 1},
      {"skew y", skewedY, 1, 0, 1, 1},
      // (1 2 3 4 5 6) · (7 8 9 10 11 12) = (31 46 39 58 52 76)
      {"matrix product", product, 1, 0, 31 + 52, 46 + 76},
  };
  for (const Case& c : cases) {
    double x = c.x, y = c.y;
    c.t.TransformPoint(x, y);
    EXPECT_NEAR(x, c.expectedX, 1e-6) << c.name;
    EXPECT_NEAR(y, c.expectedY, 1e-6) << c.name;
  }
  EXPECT_TRUE(product == ITransform(31, 46, 39, 58, 52, 76));
}

TEST(IPaintTest, ASolidPaintHasOneStopOfItsColour) {
  const IColor colour(200, 10, 20, 30);
  const IPaint paint(colour);
  EXPECT_EQ(paint.mType, EPaintType::Solid);
  EXPECT_EQ(paint.mExtend, EPaintExtend::Pad);
  EXPECT_EQ(paint.NStops(), 1);
  EXPECT_EQ(paint.GetStop(0).mColor, colour);
  EXPECT_EQ(paint.GetStop(0).mOffset, 0.f);
  for (int i = 1; i < IPaint::kMaxStops; ++i) {
    EXPECT_EQ(paint.GetStop(i).mColor, IColor(255, 0, 0, 0)) << i;
    EXPECT_EQ(paint.GetStop(i).mOffset, 0.f) << i;
  }
  EXPECT_TRUE(paint.mTransform == ITransform(1, 0, 0, 1, 0, 0));
}

}  // namespace
}  // namespace plugkit::graphics
