// The graphics core's share of a frame: optimising the dirty list, one frame
// with one dirty control among many, and a layer's drop shadow. The drawing
// slots go to the recording graphics with recording off, so what is measured
// is the core's own work.
#include <benchmark/benchmark.h>

#include <random>

#include "graphics/graphics_context.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/recording_delegate.h"

namespace {

using namespace plugkit::graphics;
using plugkit::testing::FakeBitmap;
using plugkit::testing::RecordingDelegate;
using plugkit::testing::RecordingGraphics;

constexpr int kEditorWidth = 1392;
constexpr int kEditorHeight = 783;

class FilledControl : public IControl {
public:
  using IControl::IControl;
  void Draw(IGraphics& g) override { g.FillRect(kColorGrey, GetRECT()); }
};

void BM_OptimizeRandomRects(benchmark::State& state) {
  std::mt19937 random(28);
  std::uniform_real_distribution<float> x(0.f, kEditorWidth);
  std::uniform_real_distribution<float> y(0.f, kEditorHeight);
  std::uniform_real_distribution<float> size(4.f, 200.f);
  IRECTList rects;
  for (int i = 0; i < state.range(0); ++i) {
    const float l = x(random), t = y(random);
    rects.Add(IRECT(l, t, l + size(random), t + size(random)).GetPixelAligned(1.f));
  }
  for (auto _ : state) {
    IRECTList list = rects;
    list.Optimize();
    benchmark::DoNotOptimize(list.Size());
  }
}
BENCHMARK(BM_OptimizeRandomRects)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_FrameWithOneDirtyControl(benchmark::State& state) {
  RecordingDelegate delegate(0);
  RecordingGraphics g(delegate, kEditorWidth, kEditorHeight);
  g.SetRecording(false);
  constexpr int kColumns = 25;
  constexpr float kCell = 30.f;
  IControl* last = nullptr;
  for (int i = 0; i < state.range(0); ++i) {
    const float l = (i % kColumns) * kCell, t = static_cast<float>(i / kColumns) * kCell;
    last = g.AttachControl(new FilledControl(IRECT(l, t, l + kCell - 2, t + kCell - 2)));
  }
  g.SetAllControlsClean();
  IRECTList rects;
  for (auto _ : state) {
    last->MarkDirty(false);
    rects.Clear();
    if (g.IsDirty(rects)) {
      g.SetAllControlsClean();
      g.DrawRects(rects);
    }
  }
}
BENCHMARK(BM_FrameWithOneDirtyControl)->Arg(500)->Unit(benchmark::kMicrosecond);

enum LayerContent { kOpaque, kTransparent, kNoisy };

void BM_DropShadow512(benchmark::State& state) {
  RecordingDelegate delegate(0);
  RecordingGraphics g(delegate, kEditorWidth, kEditorHeight);
  g.SetRecording(false);
  constexpr float kSide = 512.f;
  g.StartLayer(nullptr, IRECT(0, 0, kSide, kSide));
  ILayerPtr layer = g.EndLayer();
  std::mt19937 random(28);
  for (uint8_t& byte : static_cast<FakeBitmap*>(layer->GetAPIBitmap())->Pixels()) {
    switch (state.range(0)) {
      case kOpaque: byte = 255; break;
      case kTransparent: byte = 0; break;
      default: byte = static_cast<uint8_t>(random());
    }
  }
  IDropShadow shadow;
  shadow.mBlurSize = 10.f;
  for (auto _ : state) g.ApplyLayerDropShadow(layer, shadow);
  state.SetLabel(state.range(0) == kOpaque ? "opaque" : state.range(0) == kTransparent ? "transparent" : "noisy");
}
BENCHMARK(BM_DropShadow512)->Arg(kOpaque)->Arg(kTransparent)->Arg(kNoisy)->Unit(benchmark::kMillisecond);

}  // namespace
