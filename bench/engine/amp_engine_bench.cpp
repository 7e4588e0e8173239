// Speed of one amp engine as a multiple of real time, beside the reference
// engine's, and the cost of the heaviest settings change.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/amp_engine.h"
#include "support/reference_amp_engine.h"

namespace {

using namespace orvane;

constexpr double kRate = 48000.0;
constexpr int kBlockSize = 480;  // divides one second at 48 kHz
constexpr int kSecondOfAudio = static_cast<int>(kRate);
constexpr int kSilenceSeconds = 60;
constexpr int kRepetitions = 5;

EngineSettings DefaultSettings(int oversampling) {
  EngineSettings settings;
  settings.dna = EngineDefaultDna();
  settings.knobs.fill(50.0);
  settings.sections.fill(true);
  settings.bypassGainDb.fill(0.0);
  settings.oversampling = oversampling;
  settings.toneStackPosition = 4;
  return settings;
}

// Plucked notes: a few decaying harmonics, a new note every half second.
std::vector<double> GuitarLikeSignal() {
  const double notes[] = {82.41, 110.0, 146.83, 196.0};
  std::vector<double> signal(kSecondOfAudio);
  const int noteLength = kSecondOfAudio / 2;
  for (int i = 0; i < kSecondOfAudio; ++i) {
    const int note = i / noteLength;
    const double t = static_cast<double>(i % noteLength) / kRate;
    const double f = notes[note % 4];
    double x = 0.0;
    for (int h = 1; h <= 6; ++h) {
      x += std::sin(2.0 * std::numbers::pi * f * h * t) / (h * h) * std::exp(-t * (2.0 + h));
    }
    signal[static_cast<std::size_t>(i)] = 0.3 * x;
  }
  return signal;
}

void ProcessSecond(AmpEngine& engine, std::vector<double>& buffer, const std::vector<double>& input) {
  for (int offset = 0; offset < kSecondOfAudio; offset += kBlockSize) {
    engine.Process(input.data() + offset, buffer.data() + offset, kBlockSize);
  }
}

void ReportRealTime(benchmark::State& state) {
  state.counters["x_realtime"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

// One second of audio per iteration at each factor, median of the repetitions.
void AtEveryOversamplingFactor(benchmark::internal::Benchmark* registration) {
  registration->ArgName("oversampling")->Arg(1)->Arg(2)->Arg(4)->Arg(8);
  registration->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
}

// The product engine and the one-sample-at-a-time reference take turns on the
// same second of audio, so both see the same load on the machine; the ratio
// is how much faster the product runs.
void BM_EngineRealTime(benchmark::State& state) {
  const EngineSettings settings = DefaultSettings(static_cast<int>(state.range(0)));
  AmpEnginePair product = BuildAmpEngine(settings, kRate);
  AmpEnginePair reference = BuildAmpEngine(settings, kRate);
  const std::vector<double> input = GuitarLikeSignal();
  std::vector<double> output(input.size());
  const auto runReference = [&](AmpEngine& engine) {
    for (int offset = 0; offset < kSecondOfAudio; offset += kBlockSize) {
      testing::ReferenceAmpEngine::Process(engine, input.data() + offset, output.data() + offset, kBlockSize);
    }
  };
  ProcessSecond(*product[0], output, input);
  runReference(*reference[0]);
  double productSeconds = 0.0;
  double referenceSeconds = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    ProcessSecond(*product[0], output, input);
    benchmark::DoNotOptimize(output.data());
    const auto middle = std::chrono::steady_clock::now();
    runReference(*reference[0]);
    benchmark::DoNotOptimize(output.data());
    const auto end = std::chrono::steady_clock::now();
    const double productTime = std::chrono::duration<double>(middle - start).count();
    productSeconds += productTime;
    referenceSeconds += std::chrono::duration<double>(end - middle).count();
    state.SetIterationTime(productTime);
  }
  const double seconds = static_cast<double>(state.iterations());
  state.counters["product_x_realtime"] = seconds / productSeconds;
  state.counters["reference_x_realtime"] = seconds / referenceSeconds;
  state.counters["speedup"] = referenceSeconds / productSeconds;
}
BENCHMARK(BM_EngineRealTime)
->Apply(AtEveryOversamplingFactor)
->UseManualTime();

// Silence after a played note decays towards subnormal numbers in every filter.
void BM_EngineAfterSilence(benchmark::State& state) {
  AmpEnginePair engines = BuildAmpEngine(DefaultSettings(static_cast<int>(state.range(0))), kRate);
  const std::vector<double> input = GuitarLikeSignal();
  const std::vector<double> silence(input.size(), 0.0);
  std::vector<double> output(input.size());
  ProcessSecond(*engines[0], output, input);
  for (int second = 0; second < kSilenceSeconds; ++second) {
    ProcessSecond(*engines[0], output, silence);
  }
  for (auto _ : state) {
    ProcessSecond(*engines[0], output, silence);
    benchmark::DoNotOptimize(output.data());
  }
  ReportRealTime(state);
}
BENCHMARK(BM_EngineAfterSilence)
->Apply(AtEveryOversamplingFactor);

// Two engines at 8x take a DNA that reshapes all five curves (four tubes and
// the rails), from rest or while the previous change still crossfades.
void BM_WorstCaseSettingsChange(benchmark::State& state) {
  const bool fromRest = state.range(0) == 1;
  AmpEnginePair engines = BuildAmpEngine(DefaultSettings(8), kRate);
  DnaBytes dnas[2] = {EngineDefaultDna(), EngineDefaultDna()};
  for (int stage = 0; stage < kPreampStageCount; ++stage) {
    for (PreampRow row : {kPreampTubeSupply, kPreampTubeSatLimit, kPreampTubeCutoffSharpness, kPreampTubeSatSharpness}) {
      dnas[1][PreampDnaIndex(stage, row)] = static_cast<std::uint8_t>(dnas[0][PreampDnaIndex(stage, row)] ^ 0x55);
    }
  }
  for (int index : {kDnaPowerRailPositive, kDnaPowerRailNegative, kDnaPowerCutoffHardnessPos, kDnaPowerCutoffHardnessNeg}) {
    dnas[1][index] = static_cast<std::uint8_t>(dnas[0][index] ^ 0x55);
  }
  int next = 1;
  std::vector<double> silence(kBlockSize, 0.0);
  for (auto _ : state) {
    if (fromRest) {
      for (auto& engine : engines) {
        engine->Reset();
      }
    } else {
      for (auto& engine : engines) {
        engine->Process(silence.data(), silence.data(), kBlockSize);
      }
    }
    const auto start = std::chrono::steady_clock::now();
    for (auto& engine : engines) {
      engine->SetDna(dnas[next]);
    }
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    next = 1 - next;
  }
}
BENCHMARK(BM_WorstCaseSettingsChange)
    ->ArgName("from_rest")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true);

}  // namespace
