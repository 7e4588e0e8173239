#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/graphics_context.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/frame_runner.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit::graphics {
namespace {

using testing::FakeBitmap;
using testing::ProbeControl;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using Lines = std::vector<std::string>;

class LayersTest : public ::testing::Test {
protected:
  ILayerPtr MakeLayer(IControl* control, const IRECT& r) {
    g.StartLayer(control, r);
    return g.EndLayer();
  }
  const testing::RecordedCall* LastBitmapCall() {
    for (auto call = g.Calls().rbegin(); call != g.Calls().rend(); ++call)
      if (call->kind == "DrawBitmap") return &*call;
    return nullptr;
  }

  RecordingDelegate delegate{0};
  RecordingGraphics g{delegate, 200, 100};
};

TEST_F(LayersTest, StartingAndEndingALayerRedirectsDrawingAndBack) {
  g.SetScreenScale(2.f);
  g.ClearCalls();
  g.StartLayer(nullptr, IRECT(0, 0, 10, 20.5f), true);
  EXPECT_EQ(g.CallLines(), (Lines{"CreateLayerBitmap 20 42 cacheable=1 2 1", "SetRenderTarget layer 20x42",
                                  "SetTransform 1 0 0 1 0 0", "SetTransform 1 0 0 1 0 0", "SetClipRect (0,0,10,20.5)",
                                  "SetTransform 1 0 0 1 0 0", "PathClear"}));
  g.ClearCalls();
  ILayerPtr layer = g.EndLayer();
  ASSERT_TRUE(layer);
  EXPECT_EQ(layer->Bounds(), IRECT(0, 0, 10, 20.5f));
  EXPECT_EQ(g.CallLines(), (Lines{"SetRenderTarget screen", "SetTransform 1 0 0 1 0 0", "SetTransform 1 0 0 1 0 0",
                                  "SetClipRect (0,0,0,0)", "SetTransform 1 0 0 1 0 0", "PathClear"}));

  // Popping an empty stack still resets target, transform and clip; an empty pointer pushes nothing.
  g.ClearCalls();
  EXPECT_EQ(g.PopLayer(), nullptr);
  EXPECT_EQ(g.CountCalls("SetRenderTarget"), 1);
  EXPECT_EQ(g.CountCalls("SetClipRect"), 1);
  ILayerPtr empty;
  g.ClearCalls();
  g.PushOwnedLayer(empty);
  EXPECT_TRUE(g.Calls().empty());
  g.PushOwnedLayer(layer);
  EXPECT_FALSE(layer);
  EXPECT_EQ(g.EndLayer()->Bounds(), IRECT(0, 0, 10, 20.5f));
}

TEST_F(LayersTest, ClipRegionsAreCutToTheLayerUnderTheIdentityTransform) {
  struct Case {
    IRECT asked, clip;
  };
  const Case cases[] = {
      {{50, -10, 150, 50}, {50, 0, 100, 50}},
      {{200, 200, 300, 300}, {0, 0, 0, 0}},
      {{0, 0, 0, 0}, {0, 0, 100, 100}},
  };
  g.StartLayer(nullptr, IRECT(0, 0, 100, 100));
  g.PathTransformTranslate(5, 5);
  for (const Case& c : cases) {
    g.ClearCalls();
    g.SetClipRegion(c.asked);
    EXPECT_EQ(g.CallLines(), (Lines{"SetTransform 1 0 0 1 0 0", "SetClipRect " + testing::FormatRect(c.clip),
                                    "SetTransform 1 0 0 1 5 5"}));
  }
  g.EndLayer();
}

TEST_F(LayersTest, AKeptLayerIsGoodUntilItsControlMovesOrTheScalesChange) {
  ProbeControl control(IRECT(10, 10, 20, 20), "cached");
  ILayerPtr layer = MakeLayer(&control, control.GetRECT());
  EXPECT_TRUE(g.CheckLayer(layer));
  control.SetRECT(IRECT(11, 10, 21, 20));
  EXPECT_FALSE(g.CheckLayer(layer));
  EXPECT_FALSE(g.CheckLayer(layer));  // still invalid: nothing redrew it
  layer = MakeLayer(&control, control.GetRECT());
  EXPECT_TRUE(g.CheckLayer(layer));

  g.Resize(200, 100, 2.f, false);
  EXPECT_FALSE(g.CheckLayer(layer));
  layer = MakeLayer(&control, control.GetRECT());
  g.SetScreenScale(2.f);
  EXPECT_FALSE(g.CheckLayer(layer));
  EXPECT_FALSE(g.CheckLayer(nullptr));
}

TEST_F(LayersTest, LayersAreDrawnBackWhereRecordedIntoARectangleOrTurned) {
  ILayerPtr layer = MakeLayer(nullptr, IRECT(10, 20, 50, 40));
  g.PathTransformTranslate(100, 0);
  struct Case {
    const char* what;
    std::function<void()> draw;
    IRECT dest;
    ITransform transform;
  };
  const Case cases[] = {
      {"recorded", [&] { g.DrawLayer(layer, &kBlend50); }, {10, 20, 50, 40}, {}},
      {"in a rectangle", [&] { g.DrawLayerInRect(layer, IRECT(0, 0, 80, 10)); }, {0, 0, 40, 20},
       {2, 0, 0, 0.5, 100, 0}},
      {"turned", [&] { g.DrawLayerRotated(layer, 90); }, {-20, -10, 20, 10}, {0, 1, -1, 0, 30, 30}},
  };
  for (const Case& c : cases) {
    g.ClearCalls();
    c.draw();
    const testing::RecordedCall* call = LastBitmapCall();
    ASSERT_NE(call, nullptr) << c.what;
    EXPECT_EQ(*call->rect, c.dest) << c.what;
    EXPECT_NEAR(call->transform.xy, c.transform.xy, 1e-6) << c.what;
    EXPECT_NEAR(call->transform.tx, c.transform.tx, 1e-6) << c.what;
    EXPECT_NEAR(call->transform.yy, c.transform.yy, 1e-6) << c.what;
    EXPECT_EQ(g.GetTransform(), ITransform(1, 0, 0, 1, 100, 0)) << c.what;
  }
}

// A layer without a bitmap (an empty rectangle) or without a size, or no
// layer at all, draws nothing; the screen stays the target meanwhile.
TEST_F(LayersTest, LayersThatCannotBeDrawnDrawNothing) {
  g.ClearCalls();
  g.StartLayer(nullptr, IRECT());
  EXPECT_EQ(g.CallLines()[1], "SetRenderTarget screen");
  ILayerPtr noBitmap = g.EndLayer();
  ILayerPtr noSize = std::make_unique<ILayer>(std::make_unique<FakeBitmap>(4, 4), IRECT(5, 5, 5, 9), nullptr, IRECT());
  ILayerPtr none;
  g.ClearCalls();
  for (const ILayerPtr* layer : {&noBitmap, &noSize, &none}) {
    g.DrawLayer(*layer);
    g.DrawLayerInRect(*layer, IRECT(0, 0, 10, 10));
    g.DrawLayerRotated(*layer, 30);
  }
  EXPECT_TRUE(g.Calls().empty());
  EXPECT_FALSE(g.CheckLayer(noBitmap));
  EXPECT_EQ(g.EndLayer(), nullptr);
}

TEST_F(LayersTest, WhatIsDrawnIntoALayerLandsOnTheScreenWhereTheLayerWas) {
  g.SetScreenScale(2.f);
  g.StartLayer(nullptr, IRECT(10, 20, 30, 30));
  g.FillRect(kColorRed, IRECT(15, 25, 20, 30));
  ILayerPtr layer = g.EndLayer();
  const auto* pixels = static_cast<const FakeBitmap*>(layer->GetAPIBitmap());
  EXPECT_EQ(pixels->PixelAt(10, 10), kColorRed);
  EXPECT_EQ(pixels->PixelAt(9, 10), kColorTransparent);

  g.FillRect(kColorWhite, IRECT(0, 0, 200, 100));
  g.DrawLayer(layer);
  const FakeBitmap* screen = g.MainTarget();
  EXPECT_EQ(screen->PixelAt(30, 50), kColorRed);
  EXPECT_EQ(screen->PixelAt(39, 59), kColorRed);
  EXPECT_EQ(screen->PixelAt(40, 50), kColorTransparent);  // the layer's own clear pixels
  EXPECT_EQ(screen->PixelAt(19, 39), kColorWhite);
}

}  // namespace
}  // namespace plugkit::graphics
