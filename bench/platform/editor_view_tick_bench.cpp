// One tick of the editor view's frame timer on a 1392 x 783 editor of 500
// controls: with none dirty (the cost of finding that out) and with one
// 20 x 20 control dirty (a frame drawn through the vector binding onto the
// software Metal). Times are per tick, in microseconds.
#include <benchmark/benchmark.h>
#include <standin/testing/appkit.h>

#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "support/graphics/recording_delegate.h"

namespace {

using namespace plugkit::graphics;
using plugkit::testing::RecordingDelegate;

constexpr int kEditorWidth = 1392;
constexpr int kEditorHeight = 783;
constexpr int kEditorFPS = 60;
constexpr int kControls = 500;
constexpr int kColumns = 25;
constexpr float kCellWidth = static_cast<float>(kEditorWidth) / kColumns;
constexpr float kCellHeight = static_cast<float>(kEditorHeight) / (kControls / kColumns);
constexpr float kDirtySide = 20.f;

class FilledControl : public IControl {
public:
  using IControl::IControl;
  void Draw(IGraphics& g) override { g.FillRect(kColorGrey, GetRECT()); }
};

void TickEditor(benchmark::State& state, bool oneDirty) {
  standin::testing::ResetAppKit();
  RecordingDelegate delegate(0);
  IControl* dirty = nullptr;
  delegate.SetLayoutFunc([&](IGraphics* g) {
    g->AttachPanelBackground(IPaint(kColorBlack));
    for (int i = 0; i < kControls; ++i) {
      const float x = static_cast<float>(i % kColumns) * kCellWidth;
      const float y = static_cast<float>(i / kColumns) * kCellHeight;
      const float w = i == 0 ? kDirtySide : kCellWidth - 1.f;
      const float h = i == 0 ? kDirtySide : kCellHeight - 1.f;
      IControl* control = g->AttachControl(new FilledControl(IRECT(x, y, x + w, y + h)));
      if (i == 0) dirty = control;
    }
  });
  delegate.SetMakeGraphicsFunc(
      [&] { return MakeMacGraphics(delegate, kEditorWidth, kEditorHeight, kEditorFPS, 1.f); });
  auto* view = static_cast<IGraphicsView_vOrvane_au*>(delegate.OpenEditor(nullptr));
  view->onTimer(nullptr);  // the first frame draws everything
  for (auto _ : state) {
    if (oneDirty) dirty->MarkDirty(false);
    view->onTimer(nullptr);
  }
  delegate.CloseEditor();
}

void BM_TickNothingDirty(benchmark::State& state) { TickEditor(state, false); }
void BM_TickOneSmallControlDirty(benchmark::State& state) { TickEditor(state, true); }

BENCHMARK(BM_TickNothingDirty)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickOneSmallControlDirty)->Unit(benchmark::kMicrosecond);

}  // namespace
