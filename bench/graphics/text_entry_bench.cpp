// One keystroke into the in-editor text entry holding 1,000 units: the engine's
// edit and the widths of the characters beside it measured again. Text goes
// to the recording graphics with recording off.
#include <benchmark/benchmark.h>

#include <string>

#include "graphics/controls/text_entry_control.h"
#include "graphics/graphics_context.h"
#include "support/graphics/recording_delegate.h"

namespace {

using namespace plugkit::graphics;
using plugkit::IKeyPress;
using plugkit::testing::RecordingDelegate;
using plugkit::testing::RecordingGraphics;

constexpr int kTextUnits = 1000;

class Target : public IControl {
public:
  Target() : IControl(IRECT(0, 0, 10, 10)) {}
  void Draw(IGraphics&) override {}
};

// Typing a character and deleting it again, in turns.
void BM_KeystrokeInto1000Units(benchmark::State& state) {
  RecordingDelegate delegate(0);
  RecordingGraphics g(delegate, 800, 200);
  g.SetRecording(false);
  g.AttachTextEntryControl();
  auto* target = new Target;
  g.AttachControl(target);
  const std::string text(kTextUnits, 'a');
  g.CreateTextEntry(*target, IText(14.f), IRECT(0, 0, 800, 20), text.c_str(), 0);
  g.OnKeyDown(0, 0, IKeyPress("", plugkit::kKeyEnd));
  const IKeyPress typed("b", 'B');
  const IKeyPress backspace("", plugkit::kKeyBackspace);
  bool type = true;
  for (auto _ : state) {
    benchmark::DoNotOptimize(g.OnKeyDown(0, 0, type ? typed : backspace));
    type = !type;
  }
}
BENCHMARK(BM_KeystrokeInto1000Units)->Unit(benchmark::kMicrosecond);

}  // namespace
