// Cost of the engine's building blocks, per processed sample.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "engine/biquad.h"
#include "engine/curve_stage.h"
#include "engine/oversampler.h"

namespace {

using namespace orvane;

constexpr double kRate = 48000.0;
constexpr int kBlock = 4096;

std::vector<double> TestSignal(double amplitude) {
  std::vector<double> signal(kBlock);
  for (int i = 0; i < kBlock; ++i) {
    signal[i] = amplitude * std::sin(2.0 * std::numbers::pi * 220.0 * i / kRate);
  }
  return signal;
}

// Reports the time of one sample of a kBlock-sample iteration.
void CountSamples(benchmark::State& state) {
  state.counters["per_sample"] = benchmark::Counter(
      kBlock, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Biquad(benchmark::State& state) {
  Biquad filter;
  DesignBiquad(filter, {2000.0, 0.7, 3.0, 0.0, BiquadType::Peaking}, BiquadRamp::Immediate);
  const std::vector<double> input = TestSignal(0.5);
  for (auto _ : state) {
    double sum = 0.0;
    for (double x : input) {
      sum += filter.Process(x);
    }
    benchmark::DoNotOptimize(sum);
  }
  CountSamples(state);
}
BENCHMARK(BM_Biquad);

void BM_CurveEvaluate(benchmark::State& state) {
  CurveStage curve;
  curve.SetCrossfadeLength(0);
  curve.SetShape(60.0, 300.0, 70.0, 60.0);
  const std::vector<double> input = TestSignal(400.0);
  for (auto _ : state) {
    double sum = 0.0;
    for (double x : input) {
      sum += curve.Evaluate(x);
    }
    benchmark::DoNotOptimize(sum);
  }
  CountSamples(state);
}
BENCHMARK(BM_CurveEvaluate);

// One host sample up to the processing rate and back down, order 22.
void BM_OversamplerRoundTrip(benchmark::State& state) {
  const int factor = static_cast<int>(state.range(0));
  Oversampler up;
  Oversampler down;
  up.Configure(factor, 22, kRate, 16000.0);
  down.Configure(factor, 22, kRate, 18000.0);
  std::array<double, kMaxOversamplingFactor> buffer{};
  const std::vector<double> input = TestSignal(0.5);
  for (auto _ : state) {
    double sum = 0.0;
    for (double x : input) {
      up.Upsample(x, buffer.data());
      sum += down.Downsample(buffer.data());
    }
    benchmark::DoNotOptimize(sum);
  }
  CountSamples(state);
}
BENCHMARK(BM_OversamplerRoundTrip)->Arg(2)->Arg(4)->Arg(8);

// A shape change while no crossfade runs fills the 4097-entry old-curve table.
void BM_CurveTableFill(benchmark::State& state) {
  CurveStage curve;
  bool flip = false;
  for (auto _ : state) {
    curve.EndCrossfade();
    curve.SetShape(flip ? 60.0 : 40.0, 300.0, 70.0, 60.0);
    flip = !flip;
    benchmark::ClobberMemory();
  }
  state.SetLabel("time per fill");
}
BENCHMARK(BM_CurveTableFill)->Unit(benchmark::kMicrosecond);

}  // namespace
