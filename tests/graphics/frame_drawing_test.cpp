#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/graphics_context.h"
#include "support/graphics/frame_runner.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit::graphics {
namespace {

using testing::FrameResult;
using testing::ProbeControl;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using testing::RunFrame;
using Rects = std::vector<IRECT>;
using Names = std::vector<std::string>;

class FrameDrawingTest : public ::testing::Test {
protected:
  ProbeControl* Attach(const IRECT& bounds, const char* name) {
    return static_cast<ProbeControl*>(g.AttachControl(new ProbeControl(bounds, name)));
  }
  // The calls of the probe's region, from its SetTransform to its CompleteRegion.
  std::vector<std::string> RegionOf(const std::string& name) {
    const std::vector<std::string> lines = g.CallLines();
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i].rfind("Note " + name + " ", 0) == 0) return {lines.begin() + (i - 3), lines.begin() + (i + 2)};
    return {};
  }

  RecordingDelegate delegate{0};
  RecordingGraphics g{delegate, 400, 300};
};

TEST_F(FrameDrawingTest, DirtyControlsGiveTheirGrownRectanglesKeptInsideTheirParents) {
  ProbeControl* parent = Attach(IRECT(0, 0, 15, 15), "parent");
  ProbeControl* alone = Attach(IRECT(10, 10, 20, 20), "alone");
  ProbeControl* child = Attach(IRECT(10, 10, 20, 20), "child");
  child->SetParent(parent);
  g.SetAllControlsClean();

  alone->MarkDirty(false);
  FrameResult frame = RunFrame(g);
  EXPECT_EQ(frame.dirty, (Rects{{9.25f, 9.25f, 20.75f, 20.75f}}));
  EXPECT_EQ(frame.drawn, (Rects{{9, 9, 21, 21}}));

  child->MarkDirty(false);
  EXPECT_EQ(RunFrame(g).dirty, (Rects{{3.25f, 3.25f, 14.75f, 14.75f}}));
  EXPECT_TRUE(RunFrame(g).dirty.empty());
}

TEST_F(FrameDrawingTest, EachControlDrawsUnderTheIdentityTransformClippedToItsRegionAndAncestors) {
  Attach(IRECT(0, 0, 400, 300), "background");
  ProbeControl* parent = Attach(IRECT(0, 0, 20, 20), "parent");
  Attach(IRECT(10, 10, 30, 30), "child")->SetParent(parent);
  Attach(IRECT(300, 200, 310, 210), "far");
  g.SetAllControlsClean();
  g.PathTransformSave();
  g.PathTransformTranslate(5, 5);
  parent->MarkDirty(false);

  const FrameResult frame = RunFrame(g);
  EXPECT_EQ(frame.drawn, (Rects{{-1, -1, 21, 21}}));
  EXPECT_EQ(frame.order, (Names{"background", "parent", "child"}));  // "far" lies outside the region
  EXPECT_EQ(RegionOf("child"), (std::vector<std::string>{
                                   "SetTransform 1 0 0 1 0 0",
                                   "PathClear",
                                   "SetClipRect (8,8,20,20)",
                                   "Note child clip=(8,8,20,20) transform=(1,0,0,1,0,0)",
                                   "CompleteRegion (8,8,20,20)",
                               }));
  EXPECT_EQ(g.TransformStackDepth(), 0);
  EXPECT_EQ(g.CountCalls("BeginFrame"), 1);
  EXPECT_EQ(g.CallLines().back(), "EndFrame");
}

TEST_F(FrameDrawingTest, AHiddenBackgroundStillDrawsOtherHiddenControlsDoNot) {
  Attach(IRECT(0, 0, 400, 300), "background")->Hide(true);
  Attach(IRECT(0, 0, 50, 50), "hidden")->Hide(true);
  Attach(IRECT(0, 0, 50, 50), "shown");
  EXPECT_EQ(RunFrame(g).order, (Names{"background", "shown"}));
}

TEST_F(FrameDrawingTest, StrictDrawingDrawsTheBoundingBoxOfAllRegions) {
  ProbeControl* a = Attach(IRECT(10, 10, 20, 20), "a");
  ProbeControl* b = Attach(IRECT(300, 200, 310, 210), "b");
  g.SetStrictDrawing(true);
  g.SetAllControlsClean();
  a->MarkDirty(false);
  b->MarkDirty(false);
  EXPECT_EQ(RunFrame(g).drawn, (Rects{{9, 9, 311, 211}}));
}

TEST_F(FrameDrawingTest, EveryCheckRunsTheDisplayTickAndTheAnimations) {
  int ticks = 0;
  g.SetDisplayTickFunc([&] { ++ticks; });
  ProbeControl* animated = Attach(IRECT(0, 0, 10, 10), "animated");
  int steps = 0;
  animated->SetAnimation([&](IControl*) { ++steps; });
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(RunFrame(g).order, (Names{"animated"}));
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(steps, 3);
}

}  // namespace
}  // namespace plugkit::graphics
