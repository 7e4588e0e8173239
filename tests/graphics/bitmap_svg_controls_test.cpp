#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "graphics/bitmap_control.h"
#include "graphics/graphics_context.h"
#include "graphics/svg_control.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/frame_runner.h"
#include "support/graphics/recording_delegate.h"
#include "support/graphics/resource_bundle.h"

namespace plugkit::graphics {
namespace {

using testing::FakeBitmap;
using testing::RecordingDelegate;
using testing::RecordingGraphics;

class BitmapSvgControlsTest : public ::testing::Test {
protected:
  // The source offset of the last bitmap drawn: which frame of a strip it was.
  std::pair<int, int> LastSource() const {
    for (auto call = g.Calls().rbegin(); call != g.Calls().rend(); ++call)
      if (call->kind == "DrawBitmap") return {static_cast<int>(call->args[0]), static_cast<int>(call->args[1])};
    return {-1, -1};
  }

  RecordingDelegate delegate{0};
  RecordingGraphics g{delegate, 200, 100};
};

TEST_F(BitmapSvgControlsTest, ABitmapControlIsOneFrameOfItsStrip) {
  const struct {
    int width, height, frames;
    bool horizontal;
    IRECT expected;
  } cases[] = {
      {30, 90, 3, false, {5, 5, 35, 35}},
      {90, 30, 3, true, {5, 5, 35, 35}},
      {31, 31, 2, true, {5, 5, 20, 36}},
      {30, 90, 0, false, {5, 5, 35, 95}},  // no frames counts as one
      {90, 30, -2, true, {5, 5, 95, 35}},
  };
  for (const auto& c : cases) {
    FakeBitmap fake(c.width, c.height);
    const IBitmapControl control(5, 5, IBitmap(&fake, c.frames, c.horizontal));
    EXPECT_EQ(control.GetRECT(), c.expected) << c.frames;
  }
}

TEST_F(BitmapSvgControlsTest, TheFrameDrawnFollowsTheValue) {
  FakeBitmap fake(10, 30);
  const struct {
    int frames;
    double value;
    int sourceY;  // 10 per frame of three
  } cases[] = {
      {1, 0.0, 0}, {1, 1.0, 0}, {3, 0.0, 0}, {3, 0.5, 10}, {3, 1.0, 20}, {3, 0.24, 0}, {3, 0.26, 10},
  };
  for (const auto& c : cases) {
    IBitmapControl control(0, 0, IBitmap(&fake, c.frames, false));
    control.SetValueAt(c.value);
    control.Draw(g);
    EXPECT_EQ(LastSource(), std::make_pair(0, c.sourceY)) << c.frames << " frames at " << c.value;
  }
}

TEST_F(BitmapSvgControlsTest, RescalingLoadsTheBitmapForTheScreenScale) {
  testing::ResourceBundle bundle("com.test.bitmapcontrols.Orvane");
  bundle.WritePng("dial.png", 10, 20);
  bundle.WritePng("dial@2x.png", 20, 40);
  g.SetBundleIdentifier(bundle.Identifier());
  auto* loaded = static_cast<IBitmapControl*>(g.AttachControl(new IBitmapControl(0, 0, g.LoadBitmap("dial.png", 2))));
  FakeBitmap unnamed(8, 8);
  auto* kept = static_cast<IBitmapControl*>(g.AttachControl(new IBitmapControl(0, 0, IBitmap(&unnamed, 1, false))));
  EXPECT_EQ(loaded->GetBitmap().GetAPIBitmap()->GetScale(), 1.f);

  g.SetScreenScale(2.f);
  const IBitmap& rescaled = loaded->GetBitmap();
  EXPECT_EQ(rescaled.GetAPIBitmap()->GetScale(), 2.f);
  EXPECT_EQ(rescaled.GetAPIBitmap()->GetHeight(), 40);
  EXPECT_EQ(rescaled.N(), 2);
  EXPECT_EQ(g.Decodes(), 2);
  // A bitmap that is no resource has no other version to take.
  EXPECT_EQ(kept->GetBitmap().GetAPIBitmap(), &unnamed);
  g.RemoveAllControls();
}

TEST_F(BitmapSvgControlsTest, AnSvgInALayerIsWalkedOnlyWhenTheLayerIsStale) {
  const char* text = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><rect width=\"5\" height=\"5\"/></svg>";
  const ISVG svg = g.LoadSVGFromData("layered.svg", text, 0);
  ASSERT_TRUE(svg.IsValid());
  auto* layered = g.AttachControl(new ISVGControl(IRECT(0, 0, 20, 20), svg, true));
  auto* direct = g.AttachControl(new ISVGControl(IRECT(30, 0, 50, 20), svg));
  const struct {
    const char* step;
    std::function<void()> action;
    int walks;  // shapes filled in the frame: the direct control's one, plus one when the layer is redrawn
  } steps[] = {
      {"first frame", [] {}, 2},
      {"again", [] {}, 1},
      {"and again", [] {}, 1},
      {"moved", [&] { g.SetControlPosition(layered, 2, 2); }, 2},
      {"after the move", [] {}, 1},
      {"resized", [&] { g.SetControlBounds(layered, IRECT(2, 2, 25, 25)); }, 2},
      {"screen scale", [&] { g.SetScreenScale(2.f); }, 2},
      {"draw scale", [&] { g.Resize(200, 100, 1.5f, false); }, 2},
      {"settled", [] {}, 1},
  };
  for (const auto& s : steps) {
    s.action();
    layered->MarkDirty(false);
    direct->MarkDirty(false);
    g.ClearCalls();
    testing::RunFrame(g);
    EXPECT_EQ(g.CountCalls("FillPath"), s.walks) << s.step;
    EXPECT_EQ(g.CountCalls("DrawBitmap"), 1) << s.step;
  }
}

}  // namespace
}  // namespace plugkit::graphics
