#include <gtest/gtest.h>

#include "graphics/graphics_editor_delegate.h"
#include "support/alloc_counter.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/recording_graphics.h"

namespace plugkit::graphics {
namespace {

// Every primitive builds its records on the stack, and the transform save
// stack keeps its storage: once it has grown, drawing allocates nothing.
TEST(DrawingAllocationTest, PrimitivesAllocateNothingOnceTheSaveStackHasGrown) {
  IGEditorDelegate delegate(0);
  testing::RecordingGraphics g(delegate, 100, 100);
  g.SetRecording(false);
  testing::FakeBitmap pixels(16, 16);
  const IBitmap bitmap(&pixels, 1, false, "knob.png");
  const float xs[] = {0, 10, 5};
  const float ys[] = {0, 0, 8};
  const IColor fill(255, 1, 2, 3);
  const IBlend blend(0, 0.5f);
  auto drawEverything = [&] {
    for (int depth = 0; depth < 9; ++depth) g.PathTransformSave();
    for (int i = 0; i < 100; ++i) {
      g.PathTransformSave();
      g.PathTransformRotate(1.f);
      g.PathTransformRestore();
    }
    g.DrawRoundRect(kColorRed, IRECT(0, 0, 10, 10), 2.f, &blend);
    g.FillRoundRectCorners(kColorRed, IRECT(0, 0, 10, 10), 1, 2, 3, 4);
    g.DrawEllipse(kColorRed, 5, 5, 3, 2, 30);
    g.FillCircle(kColorRed, 5, 5, 3);
    g.FillArc(kColorRed, 5, 5, 3, 0, 90);
    g.DrawDottedRect(kColorRed, IRECT(0, 0, 10, 10));
    g.DrawPolygon(kColorRed, xs, ys, 3);
    g.DrawGrid(kColorRed, IRECT(0, 0, 100, 100), 5, 5);
    g.DrawXYPolyline(kColorRed, IRECT(0, 0, 10, 10), ys, 3, nullptr, nullptr, 1.f, &fill);
    g.DrawStretchedBitmap(bitmap, IRECT(0, 0, 32, 32));
    g.DrawRotatedBitmap(bitmap, 8, 8, 45);
    g.DrawTextBlock(kDefaultText, "text", IRECT(0, 0, 50, 20));
    for (int depth = 0; depth < 9; ++depth) g.PathTransformRestore();
  };
  drawEverything();  // grows the save stack to depth 10

  orvane::testing::ScopedAllocationCount allocations;
  drawEverything();
  EXPECT_EQ(allocations.Count(), 0u);
}

}  // namespace
}  // namespace plugkit::graphics
