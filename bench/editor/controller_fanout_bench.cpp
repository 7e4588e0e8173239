// One MIDI controller message with many player controls bound to it, as the
// main thread handles it while the editor is open: the plug-in in a sandboxed
// HOME with its editor on the recording graphics double (recording nothing)
// in the PLAY view, a script of N sliders all bound to controller 7, each
// mapped onto the gain knob. An iteration is one message that moves every
// slider and the idle tick that takes it: the editor moves its controls and
// the plug-in stores, commits and compares the design.
//
// The controls' count is the argument (10, 100, 600: the last is a script of
// about 16 KB, as much as the editor lets a user type). The cost should grow
// linearly with it. Times in milliseconds, five repetitions, median.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "editor/orvane_gui_control.h"
#include "product_test_support.h"
#include "support/graphics/recording_graphics.h"

namespace {

using orvane::testing::ProductSandbox;
using orvane::testing::TestOrvane;

constexpr int kController = 7;
constexpr int kLowValue = 0;
constexpr int kHighValue = 127;
constexpr int kRepetitions = 5;

std::string SlidersOnOneController(long count) {
  std::string script;
  for (long i = 0; i < count; ++i)
    script += "slider: \"S" + std::to_string(i) + "\"\n[cc" + std::to_string(kController) + "]\ngain = x\n";
  return script;
}

void BM_ControllerMessage(benchmark::State& state) {
  ProductSandbox sandbox;
  const std::unique_ptr<TestOrvane> plugin = sandbox.MakeInstance();
  plugin->OpenHeadlessEditor();
  static_cast<plugkit::testing::RecordingGraphics*>(plugin->GetUI())->SetRecording(false);
  plugin->SetScriptAndValues(SlidersOnOneController(state.range(0)));
  plugin->mEditorControl->mPlayerView = true;
  plugin->OnIdle();
  bool high = false;
  for (auto _ : state) {
    high = !high;
    plugin->SendControlChange(kController, high ? kHighValue : kLowValue);
    plugin->OnIdle();
  }
}

BENCHMARK(BM_ControllerMessage)
    ->ArgName("sliders")
    ->Arg(10)
    ->Arg(100)
    ->Arg(600)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
