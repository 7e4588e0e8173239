#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "graphics/graphics_editor_delegate.h"
#include "support/alloc_counter.h"
#include "support/graphics/recording_graphics.h"

namespace plugkit::graphics {
namespace {

using testing::RecordingGraphics;
using Lines = std::vector<std::string>;

// A closed axis-aligned rectangle whose four sides are straight cubics.
SvgSubpath Box(float l, float t, float r, float b) {
  SvgSubpath subpath;
  const float corners[][2] = {{l, t}, {r, t}, {r, b}, {l, b}, {l, t}};
  subpath.mPoints = {l, t};
  for (int i = 1; i < 5; ++i) {
    const float* from = corners[i - 1];
    const float* to = corners[i];
    for (float f : {1.f / 3.f, 2.f / 3.f}) {
      subpath.mPoints.push_back(from[0] + (to[0] - from[0]) * f);
      subpath.mPoints.push_back(from[1] + (to[1] - from[1]) * f);
    }
    subpath.mPoints.insert(subpath.mPoints.end(), {to[0], to[1]});
  }
  subpath.mClosed = true;
  subpath.mMinX = l;
  subpath.mMinY = t;
  return subpath;
}

// The box without its left side, which only the outline's closing segment draws.
SvgSubpath ThreeSides(float l, float t, float r, float b) {
  SvgSubpath subpath = Box(l, t, r, b);
  subpath.mPoints.resize(subpath.mPoints.size() - 6);
  return subpath;
}

SvgPaint Colour(uint32_t packed) {
  SvgPaint paint;
  paint.mType = SvgPaint::kColor;
  paint.mColor = packed;
  return paint;
}

SvgPaint Gradient(int32_t type, int32_t spread, int stops) {
  SvgPaint paint;
  paint.mType = type;
  paint.mGradient.mSpread = spread;
  paint.mGradient.mTransform[4] = 5.f;
  for (int i = 0; i < stops; ++i) {
    paint.mGradient.mStops.push_back({0x80000000u | static_cast<uint32_t>(i), static_cast<float>(i) / 20.f});
  }
  return paint;
}

SvgImage ImageOf(float width, float height, std::vector<SvgShape> shapes) {
  SvgImage image;
  image.mWidth = width;
  image.mHeight = height;
  image.mShapes = std::move(shapes);
  return image;
}

SvgShape FilledBox() {
  SvgShape shape;
  shape.mFill = Colour(0x332211);
  shape.mSubpaths = {Box(0, 0, 10, 10)};
  return shape;
}

Lines LinesOf(const RecordingGraphics& g, const std::string& kind) {
  Lines lines;
  for (const auto& call : g.Calls()) {
    if (call.kind == kind) lines.push_back(call.line);
  }
  return lines;
}

class SvgDrawingTest : public ::testing::Test {
protected:
  IGEditorDelegate delegate{0};
  RecordingGraphics g{delegate, 300, 300};
};

TEST_F(SvgDrawingTest, TheImageIsScaledByOneFactorFromTheTopLeftCorner) {
  SvgShape shape = FilledBox();
  shape.mSubpaths = {Box(0, 0, 100, 50)};
  const SvgImage image = ImageOf(100, 50, {shape});
  g.SetGeometryMode(true);
  g.DrawSVG(ISVG(&image), IRECT(0, 0, 300, 300));

  EXPECT_EQ(LinesOf(g, "SetTransform"),
            (Lines{"SetTransform 1 0 0 1 0 0", "SetTransform 3 0 0 3 0 0", "SetTransform 1 0 0 1 0 0"}));
  double bottom = 0.0;
  double right = 0.0;
  for (const auto& point : g.AllPoints()) {
    bottom = std::max(bottom, point.y);
    right = std::max(right, point.x);
  }
  EXPECT_NEAR(bottom, 150.0, 1e-4);
  EXPECT_NEAR(right, 300.0, 1e-4);
}

TEST_F(SvgDrawingTest, EachSubpathIsWalkedAndMarkedSolidOrHole) {
  struct Case {
    const char* name;
    std::vector<SvgSubpath> subpaths;
    Lines windings;
  };
  const std::vector<Case> cases = {
      {"inside another", {Box(0, 0, 10, 10), Box(4, 4, 6, 6)}, {"PathWinding 0", "PathWinding 1"}},
      {"beside another", {Box(0, 0, 10, 10), Box(20, 0, 30, 10)}, {"PathWinding 0", "PathWinding 0"}},
      {"inside two", {Box(0, 0, 10, 10), Box(1, 1, 9, 9), Box(4, 4, 6, 6)},
       {"PathWinding 0", "PathWinding 1", "PathWinding 0"}},
      {"seen across the other's closing segment", {ThreeSides(0, 0, 10, 10), Box(2, 5, 4, 7)},
       {"PathWinding 0", "PathWinding 1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SvgShape shape = FilledBox();
    shape.mSubpaths = c.subpaths;
    const SvgImage image = ImageOf(10, 10, {shape});
    g.ClearCalls();
    g.DrawSVG(ISVG(&image), IRECT(0, 0, 10, 10));
    EXPECT_EQ(LinesOf(g, "PathWinding"), c.windings);
  }

  // The whole walk of one outline: segments, closing, winding, then the fill.
  SvgShape open = FilledBox();
  open.mSubpaths = {Box(0, 0, 3, 3)};
  open.mSubpaths[0].mClosed = false;
  open.mSubpaths[0].mPoints.resize(2 + 6 * 2 + 2);  // two whole segments and one cut short
  const SvgImage image = ImageOf(3, 3, {open});
  g.ClearCalls();
  g.DrawSVG(ISVG(&image), IRECT(0, 0, 3, 3));
  EXPECT_EQ(g.CallLines(), (Lines{"SetTransform 1 0 0 1 0 0", "SetTransform 1 0 0 1 0 0", "PathClear",
                                  "PathMoveTo 0 0", "PathCubicTo 1 0 2 0 3 0", "PathCubicTo 3 1 3 2 3 3",
                                  "PathWinding 0", "FillPath solid(255,17,34,51) rule=2 blend=none",
                                  "SetTransform 1 0 0 1 0 0"}));
}

TEST_F(SvgDrawingTest, ShapesArePaintedWithTheirOwnPaintsAndStrokeStyle) {
  const IColor fillOverride(255, 1, 2, 3);
  const IColor strokeOverride(200, 4, 5, 6);
  const IBlend blend(0, 0.5f);
  struct Case {
    const char* name;
    std::function<void(SvgShape&)> change;
    const IColor* strokeColor;
    const IColor* fillColor;
    Lines paints;  // the fill and stroke calls
  };
  const std::vector<Case> cases = {
      {"opacity to alpha, the packed colour's top byte unused",
       [](SvgShape& s) {
         s.mOpacity = 0.5f;
         s.mFill = Colour(0xFF332211);
       },
       nullptr, nullptr, {"FillPath solid(128,17,34,51) rule=2 blend=(0,0.5)"}},
      {"a stroke keeps the path after the fill",
       [](SvgShape& s) {
         s.mStroke = Colour(0x0000FF);
         s.mStrokeWidth = 2.5f;
         s.mLineCap = SvgShape::kCapRound;
         s.mLineJoin = SvgShape::kJoinBevel;
         s.mMiterLimit = 3.f;
         s.mDashCount = 3;
         s.mDashArray[0] = 1;
         s.mDashArray[1] = 2;
         s.mDashArray[2] = 3;
         s.mDashOffset = 0.5f;
       },
       nullptr, nullptr,
       {"FillPath solid(255,17,34,51) rule=2 preserve blend=(0,0.5)",
        "StrokePath solid(255,255,0,0) 2.5 miter=3 cap=1 join=2 dash=[1 2 3]@0.5 blend=(0,0.5)"}},
      {"unknown cap and join are butt and miter",
       [](SvgShape& s) {
         s.mFill.mType = SvgPaint::kNone;
         s.mStroke = Colour(0x000000);
         s.mLineCap = 7;
         s.mLineJoin = 3;
       },
       nullptr, nullptr, {"StrokePath solid(255,0,0,0) 1 miter=4 cap=0 join=0 blend=(0,0.5)"}},
      {"colours given replace both paints",
       [](SvgShape& s) {
         s.mOpacity = 0.2f;
         s.mStroke = Gradient(SvgPaint::kLinearGradient, 0, 2);
       },
       &strokeOverride, &fillOverride,
       {"FillPath solid(255,1,2,3) rule=2 preserve blend=(0,0.5)",
        "StrokePath solid(200,4,5,6) 1 miter=4 cap=0 join=0 blend=(0,0.5)"}},
      {"an unknown paint type is black at the shape's opacity",
       [](SvgShape& s) {
         s.mOpacity = 0.25f;
         s.mFill.mType = 9;
       },
       nullptr, nullptr, {"FillPath solid(64,0,0,0) rule=2 blend=(0,0.5)"}},
      {"a gradient without stops is skipped",
       [](SvgShape& s) { s.mStroke = Gradient(SvgPaint::kRadialGradient, 0, 0); },
       nullptr, nullptr, {"FillPath solid(255,17,34,51) rule=2 blend=(0,0.5)"}},
      {"an invisible shape is skipped", [](SvgShape& s) { s.mVisible = false; }, nullptr, nullptr, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SvgShape shape = FilledBox();
    c.change(shape);
    const SvgImage image = ImageOf(10, 10, {shape});
    g.ClearCalls();
    g.DrawSVG(ISVG(&image), IRECT(0, 0, 10, 10), &blend, c.strokeColor, c.fillColor);
    Lines paints;
    for (const auto& call : g.Calls()) {
      if (call.kind == "FillPath" || call.kind == "StrokePath") paints.push_back(call.line);
    }
    EXPECT_EQ(paints, c.paints);
  }
}

TEST_F(SvgDrawingTest, GradientsBecomeGradientPaints) {
  struct Case {
    int32_t type;
    int32_t spread;
    int stops;
    EPaintType paintType;
    EPaintExtend extend;
    int paintStops;
  };
  const std::vector<Case> cases = {
      {SvgPaint::kLinearGradient, 0, 2, EPaintType::Linear, EPaintExtend::Pad, 2},
      {SvgPaint::kRadialGradient, 1, 3, EPaintType::Radial, EPaintExtend::Reflect, 3},
      {SvgPaint::kLinearGradient, 2, 1, EPaintType::Linear, EPaintExtend::Repeat, 1},
      {SvgPaint::kRadialGradient, 3, 20, EPaintType::Radial, EPaintExtend::Pad, IPaint::kMaxStops},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.spread);
    SvgShape shape = FilledBox();
    shape.mOpacity = 0.1f;
    shape.mFill = Gradient(c.type, c.spread, c.stops);
    const SvgImage image = ImageOf(10, 10, {shape});
    g.ClearCalls();
    g.DrawSVG(ISVG(&image), IRECT(0, 0, 10, 10));
    ASSERT_EQ(g.CountCalls("FillPath"), 1);
    const IPaint& paint = *std::find_if(g.Calls().begin(), g.Calls().end(), [](const auto& call) {
                             return call.kind == "FillPath";
                           })->paint;
    EXPECT_EQ(paint.mType, c.paintType);
    EXPECT_EQ(paint.mExtend, c.extend);
    ASSERT_EQ(paint.NStops(), c.paintStops);
    for (int i = 0; i < c.paintStops; ++i) {
      EXPECT_EQ(paint.GetStop(i).mColor, IColor(255, i, 0, 0));
      EXPECT_FLOAT_EQ(paint.GetStop(i).mOffset, static_cast<float>(i) / 20.f);
    }
    EXPECT_EQ(paint.mTransform, ITransform(1, 0, 0, 1, 5, 0));
  }
}

TEST_F(SvgDrawingTest, AnImageWithoutAPositiveFiniteSizeDrawsNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float sizes[][2] = {{0, 10}, {10, 0}, {-5, 10}, {nan, 10}, {10, inf}};
  for (const auto& size : sizes) {
    const SvgImage image = ImageOf(size[0], size[1], {FilledBox()});
    g.DrawSVG(ISVG(&image), IRECT(0, 0, 10, 10));
  }
  g.DrawSVG(ISVG(), IRECT(0, 0, 10, 10));
  EXPECT_TRUE(g.Calls().empty());
}

TEST_F(SvgDrawingTest, ARotatedImageLeavesTheTransformAsItWas) {
  const SvgImage image = ImageOf(10, 10, {FilledBox()});
  g.PathTransformTranslate(5, 7);
  const ITransform before = g.GetTransform();
  g.SetGeometryMode(true);
  g.DrawRotatedSVG(ISVG(&image), 50, 50, 20, 20, 90);

  EXPECT_EQ(g.GetTransform(), before);
  EXPECT_EQ(g.LastSetTransform(), before);
  EXPECT_EQ(g.TransformStackDepth(), 0);
  // Turned a quarter about (55, 57): the image's top-left corner lands top-right.
  const auto points = g.AllPoints();
  ASSERT_FALSE(points.empty());
  EXPECT_NEAR(points.front().x, 65.0, 1e-4);
  EXPECT_NEAR(points.front().y, 47.0, 1e-4);
}

// The walk builds its paints and styles on the stack: drawing a prepared
// image allocates nothing once the save stack has grown.
TEST(SvgDrawingAllocationTest, DrawingAPreparedImageAllocatesNothing) {
  IGEditorDelegate delegate(0);
  RecordingGraphics g(delegate, 100, 100);
  g.SetRecording(false);
  SvgShape shape = FilledBox();
  shape.mSubpaths.push_back(Box(2, 2, 4, 4));
  shape.mStroke = Gradient(SvgPaint::kRadialGradient, 1, 20);
  shape.mDashCount = 2;
  const SvgImage image = ImageOf(10, 10, {shape, shape});
  const IColor fill(255, 1, 2, 3);
  auto draw = [&] {
    g.DrawSVG(ISVG(&image), IRECT(0, 0, 50, 50));
    g.DrawRotatedSVG(ISVG(&image), 50, 50, 20, 20, 30, nullptr, nullptr, &fill);
  };
  draw();

  orvane::testing::ScopedAllocationCount allocations;
  draw();
  EXPECT_EQ(allocations.Count(), 0u);
}

}  // namespace
}  // namespace plugkit::graphics
