// The vector core's share of one editor redraw: path building, tessellation
// and text of the representative editor frame, on a back end that records
// nothing, at device pixel ratios 1 and 2.
#include <benchmark/benchmark.h>

#include "tests/support/renderer/core_context.h"
#include "tests/support/renderer/editor_frame.h"

namespace {

using orvane::testing::CoreContext;
using orvane::testing::EditorFrameResources;

void BM_EditorFrameCore(benchmark::State& state) {
  const float ratio = static_cast<float>(state.range(0));
  CoreContext core;
  const EditorFrameResources resources = orvane::testing::CreateEditorFrameResources(core.ctx);
  core.backend.SetRecording(false);
  orvane::testing::DrawEditorFrame(core.ctx, resources, ratio);  // rasterises the glyphs once
  for (auto _ : state) orvane::testing::DrawEditorFrame(core.ctx, resources, ratio);
}
BENCHMARK(BM_EditorFrameCore)
    ->ArgName("ratio")
    ->Arg(1)
    ->Arg(2)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
