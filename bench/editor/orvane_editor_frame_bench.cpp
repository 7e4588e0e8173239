// Frames of the product editor at its 1392 x 783 size, in-process: the
// plug-in object in a sandboxed HOME with the built bundle's fonts and logo,
// its editor on the platform graphics in a headless host window, drawn by the
// software Metal on this thread. The fixture design is open with a reference
// over the tone stack, every plot computed and every animation finished
// before the first timed frame.
//
// A frame is what one tick of the editor view's frame timer does with the
// editor control dirty: the dirty collection, DrawRects (the editor and the
// two meters), the copy to the drawable and the execution of the recorded
// work to the finished image.
//  - BM_EditFrame: the EDIT view with the plot layers kept (an edit that
//    touches no plot), at screen scale 1 and 2;
//  - BM_EditFrameRedrawingPlots: every plot layer redrawn too (a theme
//    switch or a resize);
//  - BM_PlayFrame: the PLAY view;
//  - the split of the EDIT frame: BM_EditFrameEditorOnly (the editor's own
//    drawing on the recording graphics double, recording nothing: layout,
//    text fitting and measuring), BM_EditFrameWithoutExecution (the frame
//    with the software Metal held, so the work is only recorded) and
//    BM_EditFrameExecutionOnly (the software Metal running that work);
//  - BM_IdleTick: one idle tick recomputing one plot of each kind at 48 and
//    96 kHz.
// Times in milliseconds, five repetitions, median.
#include <benchmark/benchmark.h>
#include <standin/testing/appkit.h>
#include <standin/testing/bundles.h>
#include <standin/testing/metal.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bundle_fonts.h"
#include "editor/orvane_gui_control.h"
#include "graphics/platform/mac/editor_view.h"
#include "plugin/theme_palette.h"
#include "product_test_support.h"
#include "support/graphics/recording_graphics.h"
#include "support/test_paths.h"

namespace {

namespace fs = std::filesystem;
using orvane::OrvaneGUIControl;
using orvane::testing::ProductSandbox;
using orvane::testing::TestOrvane;

const fs::path kBundle = ORVANE_PRODUCT_BUNDLE;
const fs::path kFixtures = ORVANE_EDITOR_DATA_DIR;
constexpr int kSettleTicks = 12;  // every plot computed, every animation finished
constexpr int kRepetitions = 5;
constexpr double kScreenWidth = 2560;
constexpr double kScreenHeight = 1440;
constexpr int kPlotLayerCount = orvane::kPlotKindCount;

// The plug-in in its sandbox with the fixture design open, its editor on the
// platform graphics in a host window (screenScale > 0) or on the recording
// graphics double that records nothing (screenScale 0).
class OpenEditor {
public:
  OpenEditor(bool playerView, double screenScale) {
    standin::testing::ResetAppKit();
    standin::testing::RegisterBundle(kBundle.string());
    plugin = sandbox.MakeInstance();
    if (screenScale > 0) {
      standin::testing::SetMainScreen({kScreenWidth, kScreenHeight}, screenScale);
      window = standin::testing::MakeHostWindow(
          NS::MakeRect(0, 0, orvane::kOrvaneEditorWidth, orvane::kOrvaneEditorHeight), screenScale);
      view = static_cast<IGraphicsView_vOrvane_au*>(plugin->OpenEditor(window->contentView()));
    } else {
      plugin->OpenHeadlessEditor();
      recording = static_cast<plugkit::testing::RecordingGraphics*>(plugin->GetUI());
      recording->SetRecording(false);
    }
    plugin->OpenDesignFile((kFixtures / "frame_fixture.orv").string(), true);
    Editor().LoadPlotReference(orvane::kPlotToneStack, (kFixtures / "tone_stack_reference.csv").string(), "");
    orvane::ApplyColourTheme(false);
    Editor().mPlayerView = playerView;
    Settle();
  }

  ~OpenEditor() {
    plugin->CloseEditor();
    plugin.reset();
    if (window) window->release();
    standin::testing::ResetAppKit();
  }

  OrvaneGUIControl& Editor() { return *plugin->mEditorControl; }

  void Settle() {
    for (int tick = 0; tick < kSettleTicks; ++tick) Editor().UpdatePlots();
    Frame();
  }

  // One frame with the editor control dirty.
  void Frame() {
    Editor().MarkDirty(false);
    if (view) {
      view->render();
      return;
    }
    rects.Clear();
    if (!recording->IsDirty(rects)) return;
    recording->SetAllControlsClean();
    recording->DrawRects(rects);
  }

  ProductSandbox sandbox;
  std::unique_ptr<TestOrvane> plugin;
  NS::Window* window = nullptr;
  IGraphicsView_vOrvane_au* view = nullptr;
  plugkit::testing::RecordingGraphics* recording = nullptr;
  plugkit::graphics::IRECTList rects;
};

bool SkipWithoutFonts(benchmark::State& state) {
  const std::string missing = orvane::testing::MissingFontsReason(kBundle);
  if (missing.empty()) return false;
  state.SkipWithError(missing.c_str());
  return true;
}

void BM_EditFrame(benchmark::State& state) {
  if (SkipWithoutFonts(state)) return;
  OpenEditor editor(false, static_cast<double>(state.range(0)));
  for (auto _ : state) editor.Frame();
}

void BM_EditFrameRedrawingPlots(benchmark::State& state) {
  if (SkipWithoutFonts(state)) return;
  OpenEditor editor(false, 1.0);
  for (auto _ : state) {
    for (int plot = 0; plot < kPlotLayerCount; ++plot) editor.Editor().InvalidatePlotLayer(plot);
    editor.Frame();
  }
}

void BM_PlayFrame(benchmark::State& state) {
  if (SkipWithoutFonts(state)) return;
  OpenEditor editor(true, 1.0);
  for (auto _ : state) editor.Frame();
}

void BM_EditFrameEditorOnly(benchmark::State& state) {
  if (SkipWithoutFonts(state)) return;
  OpenEditor editor(false, 0.0);
  for (auto _ : state) editor.Frame();
}

void BM_EditFrameWithoutExecution(benchmark::State& state) {
  if (SkipWithoutFonts(state)) return;
  OpenEditor editor(false, 1.0);
  for (auto _ : state) {
    standin::testing::PauseMetalExecution();
    editor.Frame();
    state.PauseTiming();
    standin::testing::ResumeMetalExecution();
    state.ResumeTiming();
  }
}

void BM_EditFrameExecutionOnly(benchmark::State& state) {
  if (SkipWithoutFonts(state)) return;
  OpenEditor editor(false, 1.0);
  for (auto _ : state) {
    state.PauseTiming();
    standin::testing::PauseMetalExecution();
    editor.Frame();
    state.ResumeTiming();
    standin::testing::ResumeMetalExecution();
  }
}

// One idle tick that recomputes `kind`'s plot at the host rate `rateHz`.
void BM_IdleTick(benchmark::State& state, orvane::PlotKind kind, double rateHz) {
  if (SkipWithoutFonts(state)) return;
  OpenEditor editor(false, 0.0);
  editor.plugin->mRenderer.PublishHostSampleRate(rateHz);
  editor.Settle();
  OrvaneGUIControl& control = editor.Editor();
  for (auto _ : state) {
    control.mPlotDirty[orvane::EditorPlotOf(kind)] = true;
    control.mNextPlot = kind;
    control.UpdatePlots();
  }
}

void Timed(benchmark::internal::Benchmark* b) {
  b->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_EditFrame)->ArgName("scale")->Arg(1)->Arg(2)->Apply(Timed);
BENCHMARK(BM_EditFrameRedrawingPlots)->Apply(Timed);
BENCHMARK(BM_PlayFrame)->Apply(Timed);
BENCHMARK(BM_EditFrameEditorOnly)->Apply(Timed);
BENCHMARK(BM_EditFrameWithoutExecution)->Apply(Timed);
BENCHMARK(BM_EditFrameExecutionOnly)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, preamp_linear_48k, orvane::kPlotPreampLinear, 48000.0)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, preamp_linear_96k, orvane::kPlotPreampLinear, 96000.0)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, preamp_nonlinear_48k, orvane::kPlotPreampNonLinear, 48000.0)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, preamp_nonlinear_96k, orvane::kPlotPreampNonLinear, 96000.0)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, tone_stack_48k, orvane::kPlotToneStack, 48000.0)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, tone_stack_96k, orvane::kPlotToneStack, 96000.0)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, power_amp_linear_48k, orvane::kPlotPowerAmpLinear, 48000.0)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, power_amp_linear_96k, orvane::kPlotPowerAmpLinear, 96000.0)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, power_amp_nonlinear_48k, orvane::kPlotPowerAmpNonLinear, 48000.0)->Apply(Timed);
BENCHMARK_CAPTURE(BM_IdleTick, power_amp_nonlinear_96k, orvane::kPlotPowerAmpNonLinear, 96000.0)->Apply(Timed);

}  // namespace
