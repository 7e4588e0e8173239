// Cost of one stereo block through the render side (both engines, gains,
// output guard, mute envelope, meters, snapshot and controller checks) at
// 1x and 8x oversampling, and the same as a multiple of real time.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <numbers>

#include "design/design.h"
#include "engine/amp_engine.h"
#include "engine/render/amp_renderer.h"

namespace {

using namespace orvane;

constexpr double kRate = 48000.0;
constexpr int kBlockSize = 64;
constexpr int kChannels = 2;
// Well past the start-up settle, so the engines run on the signal.
constexpr int kWarmUpBlocks = 1000;

class StereoBlock {
public:
  explicit StereoBlock(int oversampling) {
    const DesignAmplifier amp = MakeDefaultDesign().amplifier;
    const EngineSettings settings{amp.dna, amp.knobs, amp.sections, amp.bypassGainDb, oversampling,
                                  amp.toneStackPosition};
    mRenderer.InstallEngines(BuildAmpEngine(settings, kRate), settings, kRate);
    for (int i = 0; i < kBlockSize; ++i) {
      mSignal[static_cast<std::size_t>(i)] = 0.3 * std::sin(2.0 * std::numbers::pi * 750.0 * i / kRate);
    }
    for (int b = 0; b < kWarmUpBlocks; ++b) Run();
  }

  void Run() {
    for (auto& channel : mOut) channel = mSignal;
    double* outputs[kChannels] = {mOut[0].data(), mOut[1].data()};
    mRenderer.ProcessBlock(outputs, outputs, kBlockSize, {kChannels, kChannels, kRate});
    benchmark::DoNotOptimize(mOut);
  }

private:
  AmpRenderer mRenderer;
  std::array<double, kBlockSize> mSignal{};
  std::array<std::array<double, kBlockSize>, kChannels> mOut{};
};

void StereoBlockCost(benchmark::State& state) {
  StereoBlock block(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    block.Run();
  }
  // Seconds of audio per second of processing.
  state.counters["x_realtime"] =
      benchmark::Counter(kBlockSize / kRate, benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(state.range(0) == 1 ? "stereo 64-frame block, 1x" : "stereo 64-frame block, 8x");
}
BENCHMARK(StereoBlockCost)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);

}  // namespace
