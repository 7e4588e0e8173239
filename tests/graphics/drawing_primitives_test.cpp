#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/graphics_editor_delegate.h"
#include "support/graphics/recording_graphics.h"

namespace plugkit::graphics {
namespace {

using testing::FakeBitmap;
using testing::RecordingGraphics;
using Lines = std::vector<std::string>;

const IColor kRed(255, 255, 0, 0);
const char* const kStroke = "StrokePath solid(255,255,0,0) 1 miter=10 cap=0 join=0 blend=none";
const char* const kFill = "FillPath solid(255,255,0,0) rule=0 blend=none";

class DrawingTest : public ::testing::Test {
protected:
  IGEditorDelegate delegate{0};
  RecordingGraphics g{delegate, 100, 100};
};

TEST_F(DrawingTest, PrimitivesBuildTheirPathsThroughThePathSlots) {
  struct Case {
    const char* name;
    std::function<void(IGraphics&)> draw;
    Lines expected;
  };
  const float xs[] = {0, 10, 10};
  const float ys[] = {0, 0, 10};
  const float normY[] = {0.f, 0.5f, 1.f};
  const float normX[] = {0.9f, 0.2f, 1.f};
  const IColor fillColour(255, 0, 0, 255);
  const std::vector<Case> cases = {
      {"rounded rectangle",
       [](IGraphics& g) { g.DrawRoundRect(kRed, IRECT(0, 0, 10, 10), 2.f); },
       {"PathClear", "PathMoveTo 0 2", "PathArc 2 2 2 270 360 0", "PathArc 8 2 2 0 90 0", "PathArc 8 8 2 90 180 0",
        "PathArc 2 8 2 180 270 0", "PathClose", kStroke}},
      {"rounded rectangle of radius 0 is the plain one",
       [](IGraphics& g) { g.FillRoundRect(kRed, IRECT(0, 0, 10, 10), 0.f); },
       {"PathClear", "PathMoveTo 0 0", "PathLineTo 10 0", "PathLineTo 10 10", "PathLineTo 0 10", "PathClose", kFill}},
      {"negative radii give the plain rectangle",
       [](IGraphics& g) { g.DrawRoundRectCorners(kRed, IRECT(0, 0, 10, 10), -1.f, 0.f, -3.f, 0.f); },
       {"PathClear", "PathMoveTo 0 0", "PathLineTo 10 0", "PathLineTo 10 10", "PathLineTo 0 10", "PathClose",
        kStroke}},
      {"a radius beyond the size is not clamped",
       [](IGraphics& g) { g.FillRoundRect(kRed, IRECT(0, 0, 4, 10), 5.f); },
       {"PathClear", "PathMoveTo 0 5", "PathArc 5 5 5 270 360 0", "PathArc -1 5 5 0 90 0", "PathArc -1 5 5 90 180 0",
        "PathArc 5 5 5 180 270 0", "PathClose", kFill}},
      {"filled arc is a pie slice",
       [](IGraphics& g) { g.FillArc(kRed, 50, 50, 10, 0, 90); },
       {"PathClear", "PathMoveTo 50 50", "PathArc 50 50 10 0 90 0", "PathClose", kFill}},
      {"arc has no move before it",
       [](IGraphics& g) { g.DrawArc(kRed, 50, 50, 10, 0, 90); },
       {"PathClear", "PathArc 50 50 10 0 90 0", kStroke}},
      {"circle starts at its top",
       [](IGraphics& g) { g.DrawCircle(kRed, 50, 40, 10); },
       {"PathClear", "PathMoveTo 50 30", "PathArc 50 40 10 0 360 0", "PathClose", kStroke}},
      {"ellipse is a unit circle through three transforms",
       [](IGraphics& g) { g.FillEllipse(kRed, 10, 20, 4, 2, 0); },
       {"PathClear", "SetTransform 1 0 0 1 10 20", "SetTransform 1 0 0 1 10 20", "SetTransform 4 0 0 2 10 20",
        "PathMoveTo 0 -1", "PathArc 0 0 1 0 360 0", "PathClose", "SetTransform 1 0 0 1 0 0", kFill}},
      {"ellipse in a rectangle",
       [](IGraphics& g) { g.DrawEllipseInRect(kRed, IRECT(0, 0, 8, 4)); },
       {"PathClear", "SetTransform 1 0 0 1 4 2", "SetTransform 1 0 0 1 4 2", "SetTransform 4 0 0 2 4 2",
        "PathMoveTo 0 -1", "PathArc 0 0 1 0 360 0", "PathClose", "SetTransform 1 0 0 1 0 0", kStroke}},
      {"ellipse of radius 0 adds nothing",
       [](IGraphics& g) { g.DrawEllipse(kRed, 10, 20, 0, 2, 0); },
       {"PathClear", kStroke}},
      {"grid draws inside lines only",
       [](IGraphics& g) { g.DrawGrid(kRed, IRECT(0, 0, 10, 10), 5, 5); },
       {"PathClear", "PathMoveTo 5 0", "PathLineTo 5 10", "PathMoveTo 0 5", "PathLineTo 10 5", kStroke}},
      {"grid spacing of the size draws none",
       [](IGraphics& g) { g.DrawGrid(kRed, IRECT(0, 0, 10, 10), 10, 10); },
       {"PathClear", kStroke}},
      {"grid spacing of 1 draws none",
       [](IGraphics& g) { g.DrawGrid(kRed, IRECT(0, 0, 10, 10), 1, 0.5f); },
       {"PathClear", kStroke}},
      {"polyline of no points draws nothing",
       [&](IGraphics& g) { g.DrawXYPolyline(kRed, IRECT(0, 0, 10, 10), normY, 0); },
       {}},
      {"polyline of one point is a lone move",
       [&](IGraphics& g) { g.DrawXYPolyline(kRed, IRECT(0, 0, 10, 10), normY, 1); },
       {"PathClear", "PathMoveTo 0 10", kStroke}},
      {"polyline spaced evenly",
       [&](IGraphics& g) { g.DrawXYPolyline(kRed, IRECT(0, 0, 10, 10), normY, 3); },
       {"PathClear", "PathMoveTo 0 10", "PathLineTo 5 5", "PathLineTo 10 0", kStroke}},
      {"polyline at given x still starts at the left edge",
       [&](IGraphics& g) { g.DrawXYPolyline(kRed, IRECT(0, 0, 10, 10), normY, 3, normX); },
       {"PathClear", "PathMoveTo 0 10", "PathLineTo 2 5", "PathLineTo 10 0", kStroke}},
      {"polyline with a fill fills under the line, keeping the path",
       [&](IGraphics& g) { g.DrawXYPolyline(kRed, IRECT(0, 0, 10, 10), normY, 2, nullptr, nullptr, 2.f, &fillColour); },
       {"PathClear", "PathMoveTo 0 10", "PathLineTo 10 5", "FillPath solid(255,0,0,255) rule=0 preserve blend=none",
        "StrokePath solid(255,255,0,0) 2 miter=10 cap=0 join=0 blend=none"}},
      {"dotted line dashes its stroke",
       [](IGraphics& g) { g.DrawDottedLine(kRed, 0, 0, 10, 0, nullptr, 1.f, 3.f); },
       {"PathClear", "PathMoveTo 0 0", "PathLineTo 10 0",
        "StrokePath solid(255,255,0,0) 1 miter=10 cap=0 join=0 dash=[3]@0 blend=none"}},
      {"point is a unit square with its blend",
       [](IGraphics& g) {
         const IBlend half(0, 0.5f);
         g.DrawPoint(kRed, 3, 4, &half);
       },
       {"PathClear", "PathMoveTo 3 4", "PathLineTo 4 4", "PathLineTo 4 5", "PathLineTo 3 5", "PathClose",
        "FillPath solid(255,255,0,0) rule=0 blend=(0,0.5)"}},
      {"triangle and polygon close their paths",
       [&](IGraphics& g) {
         g.FillTriangle(kRed, 0, 0, 10, 0, 10, 10);
         g.DrawPolygon(kRed, xs, ys, 3);
       },
       {"PathClear", "PathMoveTo 0 0", "PathLineTo 10 0", "PathLineTo 10 10", "PathClose", kFill, "PathClear",
        "PathMoveTo 0 0", "PathLineTo 10 0", "PathLineTo 10 10", "PathClose", kStroke}},
      {"polygons without points draw nothing",
       [&](IGraphics& g) {
         g.DrawPolygon(kRed, xs, ys, 0);
         g.FillPolygon(kRed, xs, ys, -2);
         g.FillPolygon(kRed, nullptr, ys, 3);
       },
       {}},
      {"text block is not supported",
       [](IGraphics& g) { g.DrawTextBlock(IText(), "many words", IRECT(0, 0, 50, 20)); },
       {"DrawText \"Unsupported\" (0,0,50,20) Roboto-Regular 14 fg=(255,0,0,0) angle=0 align=1,1 blend=none"}},
      {"empty texts draw nothing",
       [](IGraphics& g) {
         g.DrawTextIfNotEmpty(IText(), "", IRECT(0, 0, 50, 20));
         g.DrawTextIfNotEmpty(IText(), nullptr, IRECT(0, 0, 50, 20));
         IRECT bounds(0, 0, 50, 20);
         EXPECT_EQ(g.MeasureTextIfNotEmpty(IText(), nullptr, bounds), 0.f);
         EXPECT_TRUE(bounds == IRECT(0, 0, 50, 20));
       },
       {}},
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    c.draw(g);
    EXPECT_EQ(g.CallLines(), c.expected) << c.name;
    EXPECT_EQ(g.TransformStackDepth(), 0) << c.name << ": the save stack is left as it was";
  }
}

TEST_F(DrawingTest, BitmapsWithoutASizeOrABackEndBitmapDrawNothing) {
  FakeBitmap pixels(20, 10, 2.f, 1.f);
  FakeBitmap empty(0, 10);
  const IBitmap bitmap(&pixels, 1, false, "knob.png");
  g.DrawStretchedBitmap(bitmap, IRECT(10, 10, 30, 30));
  g.DrawRotatedBitmap(bitmap, 50, 50, 90.0);
  EXPECT_EQ(g.CallLines(), (Lines{"SetTransform 1 0 0 1 10 10", "SetTransform 2 0 0 4 10 10",
                                  "DrawBitmap knob.png:10x5 (0,0,10,5) 0 0 blend=none", "SetTransform 1 0 0 1 0 0",
                                  "SetTransform 1 0 0 1 50 50", "SetTransform 0 1 -1 0 50 50",
                                  "DrawBitmap knob.png:10x5 (-5,-2.5,5,2.5) 0 0 blend=none",
                                  "SetTransform 1 0 0 1 0 0"}));

  g.ClearCalls();
  for (const IBitmap& nothing : {IBitmap(), IBitmap(&empty, 1, false)}) {
    g.DrawStretchedBitmap(nothing, IRECT(0, 0, 10, 10));
    g.DrawRotatedBitmap(nothing, 5, 5, 45.0);
  }
  EXPECT_TRUE(g.Calls().empty());
}

TEST_F(DrawingTest, ARotatedBitmapIsSizedThroughItsDrawScale) {
  FakeBitmap zoomed(20, 10, 2.f, 2.f);
  g.DrawRotatedBitmap(IBitmap(&zoomed, 1, false, "knob.png"), 50, 50, 0.0);
  EXPECT_EQ(g.CallLines().at(2), "DrawBitmap knob.png:10x5 (-2.5,-1.25,2.5,1.25) 0 0 blend=none");
}

TEST_F(DrawingTest, EveryPrimitiveLeavesTheTransformAsItFoundIt) {
  g.PathTransformTranslate(3, 4);
  g.PathTransformSave();
  g.PathTransformScale(2);
  const ITransform before = g.GetTransform();
  FakeBitmap pixels(8, 8);
  const IBitmap bitmap(&pixels, 1, false);
  g.DrawEllipse(kRed, 10, 10, 5, 3, 30);
  g.FillEllipseInRect(kRed, IRECT(0, 0, 10, 10));
  g.DrawStretchedBitmap(bitmap, IRECT(0, 0, 16, 16));
  g.DrawRotatedBitmap(bitmap, 4, 4, 30);
  EXPECT_TRUE(g.GetTransform() == before);
  EXPECT_TRUE(g.LastSetTransform() == before);
  EXPECT_EQ(g.TransformStackDepth(), 1);
}

TEST_F(DrawingTest, TransformStackRestoresAndResets) {
  // Restore with nothing saved calls nothing at all.
  g.PathTransformRestore();
  EXPECT_TRUE(g.Calls().empty());

  g.PathTransformSave();  // calls nothing either
  EXPECT_TRUE(g.Calls().empty());
  g.PathTransformTranslate(5, 6);
  g.PathTransformRotate(90);
  g.PathTransformSkew(0, 0);
  g.PathTransformMatrix(ITransform(2, 0, 0, 2, 1, 1));
  g.PathTransformRestore();
  EXPECT_EQ(g.CallLines(), (Lines{"SetTransform 1 0 0 1 5 6", "SetTransform 0 1 -1 0 5 6",
                                  "SetTransform 0 1 -1 0 5 6", "SetTransform 0 2 -2 0 4 7",
                                  "SetTransform 1 0 0 1 0 0"}));

  g.PathTransformSave();
  g.PathTransformSave();
  g.PathTransformScale(3, 4);
  g.ClearCalls();
  g.PathTransformReset(true);
  EXPECT_EQ(g.CallLines(), (Lines{"SetTransform 1 0 0 1 0 0"}));
  EXPECT_EQ(g.TransformStackDepth(), 0);
}

TEST_F(DrawingTest, RotatedTextIsTurnedAndPlacedByItsAlignments) {
  struct Case {
    float angle;
    EAlign align;
    EVAlign valign;
    IRECT expected;
  };
  const IRECT bounds(0, 0, 100, 100);
  const std::vector<Case> cases = {
      {0.f, EAlign::Center, EVAlign::Middle, IRECT(0, 0, 20, 10)},  // angle 0 changes nothing
      {90.f, EAlign::Center, EVAlign::Middle, IRECT(45, 40, 55, 60)},
      {90.f, EAlign::Near, EVAlign::Top, IRECT(0, 0, 10, 20)},
      {90.f, EAlign::Far, EVAlign::Bottom, IRECT(90, 80, 100, 100)},
      {180.f, EAlign::Center, EVAlign::Middle, IRECT(40, 45, 60, 55)},
  };
  for (const Case& c : cases) {
    const IText text(14.f, kColorBlack, nullptr, c.align, c.valign, c.angle);
    IRECT rect(0, 0, 20, 10);
    g.MeasureRotatedText(text, bounds, rect);
    EXPECT_NEAR(rect.L, c.expected.L, 1e-4) << c.angle;
    EXPECT_NEAR(rect.T, c.expected.T, 1e-4) << c.angle;
    EXPECT_NEAR(rect.R, c.expected.R, 1e-4) << c.angle;
    EXPECT_NEAR(rect.B, c.expected.B, 1e-4) << c.angle;
  }
}

}  // namespace
}  // namespace plugkit::graphics
