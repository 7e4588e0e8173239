// One editor redraw through the whole renderer: the representative editor
// frame drawn by the core, recorded and encoded by the Metal back end and
// executed by the software Metal into the main framebuffer, then copied onto
// the layer's drawable, at 1392 x 783 points and ratios 1 and 2. The time per
// frame is split into the core (the same frame on a back end that records
// nothing), recording and encoding, and the stand-in's execution.
#include <Metal/Metal.h>
#include <QuartzCore/CAMetalLayer.h>
#include <benchmark/benchmark.h>
#include <standin/testing/metal.h>

#include <chrono>

#include "graphics/renderer/metal/metal_backend.h"
#include "tests/support/renderer/core_context.h"
#include "tests/support/renderer/editor_frame.h"

namespace {

using Clock = std::chrono::steady_clock;
using orvane::testing::kEditorFrameHeight;
using orvane::testing::kEditorFrameWidth;

double Milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

void DrawTwoPasses(VCcontext* ctx, MVCframebuffer* mainFramebuffer, const orvane::testing::EditorFrameResources& resources,
                   float ratio) {
  mvcBindFramebuffer(mainFramebuffer);
  vcBeginFrame(ctx, kEditorFrameWidth, kEditorFrameHeight, ratio);
  orvane::testing::DrawEditorScene(ctx, resources);
  vcEndFrame(ctx);
  mvcBindFramebuffer(nullptr);
  vcBeginFrame(ctx, kEditorFrameWidth, kEditorFrameHeight, ratio);
  orvane::testing::DrawFrameToScreen(ctx, mainFramebuffer->image);
  vcEndFrame(ctx);
}

// Waits until every frame of the context has run.
void Settle(VCcontext* ctx, int image) { mvcImageTexture(ctx, image); }

void BM_MetalEditorFrame(benchmark::State& state) {
  const float ratio = static_cast<float>(state.range(0));
  auto layer = NS::Ref<CA::MetalLayer>::Adopt(CA::MetalLayer::layer());
  layer->setFrame(NS::MakeRect(0, 0, kEditorFrameWidth, kEditorFrameHeight));
  layer->setContentsScale(ratio);
  VCcontext* ctx = mvcCreateContext(layer.get(), VC_ANTIALIAS | VC_TRIPLE_BUFFER);
  const orvane::testing::EditorFrameResources resources = orvane::testing::CreateEditorFrameResources(ctx);
  MVCframebuffer* mainFramebuffer = mvcCreateFramebuffer(ctx, static_cast<int>(kEditorFrameWidth * ratio),
                                                         static_cast<int>(kEditorFrameHeight * ratio), 0);
  orvane::testing::CoreContext core;
  const orvane::testing::EditorFrameResources coreResources = orvane::testing::CreateEditorFrameResources(core.ctx);
  core.backend.SetRecording(false);
  for (int warm = 0; warm < 3; ++warm) DrawTwoPasses(ctx, mainFramebuffer, resources, ratio);
  Settle(ctx, mainFramebuffer->image);

  double coreMs = 0.0;
  double recordingMs = 0.0;
  double executionMs = 0.0;
  for (auto _ : state) {
    const Clock::time_point coreStart = Clock::now();
    orvane::testing::DrawEditorFrame(core.ctx, coreResources, ratio);
    const Clock::time_point start = Clock::now();
    standin::testing::PauseMetalExecution();
    DrawTwoPasses(ctx, mainFramebuffer, resources, ratio);
    const Clock::time_point recorded = Clock::now();
    standin::testing::ResumeMetalExecution();
    Settle(ctx, mainFramebuffer->image);
    const Clock::time_point executed = Clock::now();
    const double frameCore = Milliseconds(start - coreStart);
    coreMs += frameCore;
    recordingMs += Milliseconds(recorded - start) - frameCore;
    executionMs += Milliseconds(executed - recorded);
    state.SetIterationTime(std::chrono::duration<double>(executed - start).count());
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["core_ms"] = coreMs / frames;
  state.counters["record_encode_ms"] = recordingMs / frames;
  state.counters["execution_ms"] = executionMs / frames;
  mvcDeleteFramebuffer(mainFramebuffer);
  mvcDeleteContext(ctx);
}
BENCHMARK(BM_MetalEditorFrame)
    ->ArgName("ratio")
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
