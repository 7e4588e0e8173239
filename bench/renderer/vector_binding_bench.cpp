// One editor redraw through the graphics context: 24 panel controls drawing
// the representative editor frame with the drawing slots, DrawRects over the
// whole window, and EndFrame copying the main framebuffer onto the drawable,
// at 1392 x 783 points and screen scales 1 and 2, on the software Metal.
// Beside the time per frame it reports the same scene drawn straight through
// the vector core onto the same back end (core_frame_ms), the CPU time both
// take to record their frames (record_ms, core_record_ms), and the share of
// the frame that the graphics core and the binding add to the recording
// (binding_share).
#include <benchmark/benchmark.h>
#include <standin/testing/metal.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "graphics/renderer/metal/metal_backend.h"
#include "support/graphics/recording_delegate.h"
#include "support/vector/test_vector_graphics.h"
#include "tests/support/renderer/editor_frame.h"
#include "tests/support/renderer/test_fonts.h"
#include "tests/support/renderer/test_images.h"

namespace {

using namespace plugkit::graphics;
using namespace orvane::testing;
using Clock = std::chrono::steady_clock;

constexpr const char* kFont = "mono";
constexpr const char* kPattern = "pattern";
constexpr IColor kWindow{255, 24, 26, 30};
constexpr IColor kPanelTop{255, 58, 62, 70};
constexpr IColor kPanelBottom{255, 38, 41, 47};
constexpr IColor kOutline{40, 255, 255, 255};
constexpr IColor kGrid{30, 255, 255, 255};
constexpr IColor kAccent{255, 213, 188, 112};
constexpr IColor kBlue{255, 110, 170, 220};
constexpr IColor kKnob{255, 123, 140, 156};
constexpr IColor kPointer{255, 20, 20, 20};
constexpr IColor kLabel{255, 230, 230, 230};
// The knob's arc from 225 degrees (clockwise from twelve o'clock) over 270.
constexpr float kKnobStart = 225.f;
constexpr float kKnobSweep = 270.f;
constexpr float kQuarterTurn = 90.f;
constexpr int kWarmFrames = 3;

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

IRECT Rect(const EditorBox& b) { return IRECT(b.x, b.y, b.x + b.w, b.y + b.h); }

// A vertical gradient over r: the paint's transform maps r's top to 0 and its bottom to 1.
IPaint VerticalGradient(const IRECT& r, const IColor& top, const IColor& bottom) {
  IPaint paint;
  paint.mType = EPaintType::Linear;
  paint.mNStops = 2;
  paint.mStops[0] = {top, 0.f};
  paint.mStops[1] = {bottom, 1.f};
  paint.mTransform = ITransform(1, 0, 0, 1.0 / r.H(), 0, -r.T / r.H());
  return paint;
}

// One panel of the editor frame with the plots, knobs and labels that lie in it.
class PanelControl : public plugkit::graphics::IControl {
public:
  PanelControl(int panel, const IBitmap& pattern)
      : IControl(Rect(EditorPanel(panel))), mPanel(panel), mPattern(pattern) {
    for (int i = 0; i < kEditorKnobCount; ++i) {
      const EditorKnob knob = EditorKnobAt(i);
      if (GetRECT().Contains(knob.cx, knob.cy)) mKnobs.push_back(knob);
    }
    for (int i = 0; i < kEditorLabelCount; ++i) {
      const EditorLabel label = EditorLabelAt(i);
      if (GetRECT().Contains(label.x, label.y)) mLabels.push_back(label);
    }
  }

  void Draw(IGraphics& g) override {
    const IRECT r = GetRECT();
    g.DrawBoxShadow(r, IRECT(r.L - 10, r.T - 10, r.R + 10, r.B + 20), 2, kEditorPanelRadius * 2, 10, nullptr);
    g.PathClear();
    g.PathRoundRect(r, kEditorPanelRadius);
    g.FillPath(VerticalGradient(r, kPanelTop, kPanelBottom), IFillStyle(), nullptr);
    g.DrawRoundRect(kOutline, r.GetGrown(-0.5f), kEditorPanelRadius - 0.5f);
    if (mPanel < kEditorPlotCount) DrawPlot(g);
    for (const EditorKnob& knob : mKnobs) DrawKnob(g, knob);
    for (const EditorLabel& label : mLabels)
      g.DrawText(IText(label.size, kLabel, kFont, EAlign::Near, EVAlign::Bottom), label.text,
                 IRECT(label.x, label.y - label.size, label.x + r.W(), label.y));
    if (mPanel == kEditorPanelCount - 1)
      g.DrawBitmap(mPattern, Rect(EditorPatternBox()), 0, 0, nullptr);
  }

private:
  void DrawPlot(IGraphics& g) const {
    const IRECT r = Rect(EditorPlotArea(mPanel));
    constexpr int kLines = kEditorGridLines / 2;
    for (int i = 0; i < kLines; ++i) {
      const float x = std::floor(r.L + r.W() * float(i) / (kLines - 1)) + 0.5f;
      const float y = std::floor(r.T + r.H() * float(i) / (kLines - 1)) + 0.5f;
      g.DrawLine(kGrid, x, r.T, x, r.B);
      g.DrawLine(kGrid, r.L, y, r.R, y);
    }
    IStrokeStyle round;
    round.mJoin = ELineJoin::Round;
    for (int curve = 0; curve < 2; ++curve) {
      g.PathClear();
      for (int i = 0; i < kEditorCurvePoints; ++i) {
        float x = 0.f;
        float y = 0.f;
        EditorCurvePoint(mPanel, curve, i, x, y);
        i == 0 ? g.PathMoveTo(x, y) : g.PathLineTo(x, y);
      }
      g.StrokePath(IPaint(curve == 0 ? kAccent : kBlue), 1.5f, round, nullptr);
    }
  }

  static void DrawKnob(IGraphics& g, const EditorKnob& knob) {
    g.FillCircle(kKnob, knob.cx, knob.cy, kEditorKnobRadius);
    const float end = kKnobStart + knob.value * kKnobSweep;
    IStrokeStyle roundCaps;
    roundCaps.mCap = ELineCap::Round;
    g.PathClear();
    g.PathArc(knob.cx, knob.cy, kEditorKnobRadius + 5, kKnobStart, end);
    g.StrokePath(IPaint(kAccent), 3, roundCaps, nullptr);
    const double radians = DegreesToRadians(end - kQuarterTurn);
    const float reach = kEditorKnobRadius * 0.8f;
    g.DrawLine(kPointer, knob.cx, knob.cy, knob.cx + float(std::cos(radians)) * reach,
               knob.cy + float(std::sin(radians)) * reach, nullptr, 2);
  }

  int mPanel;
  IBitmap mPattern;
  std::vector<EditorKnob> mKnobs;
  std::vector<EditorLabel> mLabels;
};

// The same scene straight through the core onto a layer of its own: into a
// main framebuffer, then copied onto a cleared drawable.
class CoreFrame {
public:
  explicit CoreFrame(float ratio) : mRatio(ratio), mLayer(NS::Ref<CA::MetalLayer>::Adopt(CA::MetalLayer::layer())) {
    mLayer->setFrame(NS::MakeRect(0, 0, kEditorFrameWidth, kEditorFrameHeight));
    mLayer->setContentsScale(ratio);
    mContext = mvcCreateContext(mLayer.get(), IGraphicsVector::kBackEndFlags);
    mResources = CreateEditorFrameResources(mContext);
    mFramebuffer = mvcCreateFramebuffer(mContext, int(kEditorFrameWidth * ratio), int(kEditorFrameHeight * ratio), 0);
  }
  ~CoreFrame() {
    mvcDeleteFramebuffer(mFramebuffer);
    mvcDeleteContext(mContext);
  }

  void Draw() {
    mvcBindFramebuffer(mFramebuffer);
    vcBeginFrame(mContext, kEditorFrameWidth, kEditorFrameHeight, mRatio);
    DrawEditorScene(mContext, mResources);
    vcEndFrame(mContext);
    mvcBindFramebuffer(nullptr);
    vcBeginFrame(mContext, kEditorFrameWidth, kEditorFrameHeight, mRatio);
    mvcClearWithColor(mContext, 0, 0, 0, 0);
    DrawFrameToScreen(mContext, mFramebuffer->image);
    vcEndFrame(mContext);
  }

private:
  float mRatio;
  NS::Ref<CA::MetalLayer> mLayer;
  VCcontext* mContext = nullptr;
  EditorFrameResources mResources;
  MVCframebuffer* mFramebuffer = nullptr;
};

// Frames recorded with the software Metal paused, then run: the recording
// is the CPU work of everything above the device.
struct Timings {
  double recordMs = 0.0;
  double frameMs = 0.0;

  // The frame's seconds.
  template <class Draw>
  double Add(Draw&& draw) {
    const Clock::time_point start = Clock::now();
    standin::testing::PauseMetalExecution();
    draw();
    const Clock::time_point recorded = Clock::now();
    standin::testing::ResumeMetalExecution();
    const Clock::time_point executed = Clock::now();
    recordMs += Milliseconds(recorded - start);
    frameMs += Milliseconds(executed - start);
    return std::chrono::duration<double>(executed - start).count();
  }
};

void BM_GraphicsEditorFrame(benchmark::State& state) {
  const float scale = static_cast<float>(state.range(0));
  plugkit::testing::RecordingDelegate delegate;
  plugkit::testing::TestVectorGraphics g(delegate, int(kEditorFrameWidth), int(kEditorFrameHeight), scale);
  g.LoadFont(kFont, kDejaVuSansMono.c_str());
  const Bytes png = EncodePng(TestPattern(kEditorPatternWidth, kEditorPatternHeight));
  const IBitmap pattern = g.LoadBitmapFromData(kPattern, png.data(), int(png.size()));
  g.AttachPanelBackground(IPaint(kWindow));
  for (int i = 0; i < kEditorPanelCount; ++i) g.AttachControl(new PanelControl(i, pattern));
  CoreFrame coreFrame(scale);
  for (int warm = 0; warm < kWarmFrames; ++warm) {
    g.DrawAll();
    coreFrame.Draw();
  }

  Timings graphics;
  Timings core;
  for (auto _ : state) {
    const double frameSeconds = graphics.Add([&] { g.DrawAll(); });
    core.Add([&] { coreFrame.Draw(); });
    state.SetIterationTime(frameSeconds);
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["core_frame_ms"] = core.frameMs / frames;
  state.counters["record_ms"] = graphics.recordMs / frames;
  state.counters["core_record_ms"] = core.recordMs / frames;
  state.counters["binding_share"] = (graphics.recordMs - core.recordMs) / graphics.frameMs;
}
BENCHMARK(BM_GraphicsEditorFrame)
    ->ArgName("scale")
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
