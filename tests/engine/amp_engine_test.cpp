#include "engine/amp_engine.h"

#include <gtest/gtest.h>

#include "support/alloc_counter.h"
#include "tests/engine/test_rate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace orvane {
namespace {

using testing::kRate;

// Flushing subnormals may zero results below the smallest normal float.
constexpr double kFlushTolerance = 1.18e-38;

EngineSettings DefaultSettings(int oversampling = 1) {
  EngineSettings settings;
  settings.dna = EngineDefaultDna();
  settings.knobs.fill(50.0);
  settings.sections.fill(true);
  settings.bypassGainDb.fill(0.0);
  settings.oversampling = oversampling;
  settings.toneStackPosition = 4;
  return settings;
}

std::vector<double> Sine(int n, double freqHz, double amplitude, double rateHz = kRate) {
  std::vector<double> x(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    x[static_cast<std::size_t>(i)] = amplitude * std::sin(2.0 * std::numbers::pi * freqHz * i / rateHz);
  }
  return x;
}

std::vector<double> ProcessAll(AmpEngine& engine, const std::vector<double>& input) {
  std::vector<double> output(input.size());
  EXPECT_TRUE(engine.Process(input.data(), output.data(), static_cast<int>(input.size())));
  return output;
}

double Peak(const std::vector<double>& x, std::size_t from = 0) {
  double peak = 0.0;
  for (std::size_t i = from; i < x.size(); ++i) {
    peak = std::max(peak, std::fabs(x[i]));
  }
  return peak;
}

std::unique_ptr<AmpEngine> Engine(const EngineSettings& settings, double rate = kRate) {
  return std::move(BuildAmpEngine(settings, rate)[0]);
}

TEST(AmpEngineRate, GlideLengthIsATenthOfASecondAtTheProcessingRate) {
  AmpEngine engine;
  EXPECT_EQ(engine.GlideLength(), 4800);
  engine.SetSampleRate(44100.0);
  EXPECT_EQ(engine.GlideLength(), 4410);
  engine.SetSampleRate(kRate);
  engine.SetOversampling(2);
  EXPECT_EQ(engine.GlideLength(), 9600);
  engine.SetOversampling(8);
  EXPECT_EQ(engine.GlideLength(), 38400);
  EXPECT_EQ(engine.PreampTube(0).CrossfadeLength(), 38400);
  EXPECT_EQ(engine.PowerAmp().GlideLength(), 38400);
  EXPECT_EQ(GlideLengthForRate(1e300), ParamGlide::kMaxLength);
  EXPECT_EQ(GlideLengthForRate(0.0), 0);
}

TEST(AmpEngineRate, InvalidRatesAreIgnored) {
  AmpEngine engine;
  for (double rate : {0.0, -44100.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    engine.SetSampleRate(rate);
    EXPECT_EQ(engine.BaseRate(), kRate);
    EXPECT_EQ(engine.GlideLength(), 4800);
  }
}

TEST(AmpEngineRate, FiltersRunAtTheProcessingRateAndTheDcBlockerAtTheHostRate) {
  AmpEngine engine;
  engine.SetOversampling(4);
  EXPECT_EQ(engine.PreampColor(2).SampleRate(), 4 * kRate);
  EXPECT_EQ(engine.Tone().SampleRate(), 4 * kRate);
  EXPECT_EQ(engine.Eq().SampleRate(), 4 * kRate);
  EXPECT_EQ(engine.PowerAmp().SampleRate(), 4 * kRate);
  EXPECT_EQ(engine.OutputDcBlocker().SampleRate(), kRate);
  EXPECT_EQ(engine.Upsampler().Factor(), 4);
  EXPECT_EQ(engine.Upsampler().SectionCount(), 11);
  EXPECT_EQ(engine.Downsampler().Cutoff(), 18000.0);
}

TEST(AmpEngineRate, OversamplingIsClampedAndOnlyActiveAboveOne) {
  AmpEngine engine;
  engine.SetOversampling(3);
  EXPECT_EQ(engine.OversamplingFactor(), 3);
  engine.SetOversampling(20);
  EXPECT_EQ(engine.OversamplingFactor(), 8);
  engine.SetOversampling(0);
  EXPECT_EQ(engine.OversamplingFactor(), 1);
  EXPECT_FALSE(engine.OversamplingActive());
}

TEST(AmpEngineRate, CutoffsFallBackWhereTheOversamplerWouldRefuseThem) {
  const OversamplerCutoffs normal = ComputeOversamplerCutoffs(kRate, 2);
  EXPECT_EQ(normal.upHz, 16000.0);
  EXPECT_EQ(normal.downHz, 18000.0);
  const OversamplerCutoffs low = ComputeOversamplerCutoffs(16000.0, 2);
  EXPECT_EQ(low.upHz, 7200.0);
  EXPECT_EQ(low.downHz, 7200.0);
  const OversamplerCutoffs mixed = ComputeOversamplerCutoffs(18000.0, 2);
  EXPECT_EQ(mixed.upHz, 16000.0);
  EXPECT_EQ(mixed.downHz, 0.45 * 18000.0);
}

TEST(AmpEngineRate, ALowHostRateWithOversamplingStillPassesSound) {
  auto engine = Engine(DefaultSettings(2), 16000.0);
  ASSERT_EQ(engine->Upsampler().SectionCount(), 11);
  EXPECT_EQ(engine->Upsampler().Cutoff(), 7200.0);
  const std::vector<double> out = ProcessAll(*engine, Sine(16000, 440.0, 0.1, 16000.0));
  EXPECT_GT(Peak(out, 8000), 0.01);
}

TEST(AmpEngineLoading, DefaultDnaGivesItsDrivesAndBiases) {
  AmpEngine engine;
  const DnaBytes& dna = EngineDefaultDna();
  const auto decode = [&](int index) { return DecodeDnaByte(static_cast<std::size_t>(index), dna[index]); };
  // Stage 1 ignores the gain knob (effect 0 %); stage 2 loses 120 dB x 100 % x 50 %.
  const double tubeGainDb = -12.0 + 64.0 * 170.0 / 255.0;
  EXPECT_NEAR(engine.DriveGlide(0).Current(), -std::pow(10.0, tubeGainDb / 20.0), 1e-12);
  EXPECT_NEAR(engine.DriveGlide(1).Current(), -std::pow(10.0, (tubeGainDb - 60.0) / 20.0), 1e-12);
  for (int s = 0; s < kPreampStageCount; ++s) {
    const double supply = decode(PreampDnaIndex(s, kPreampTubeSupply));
    const double expected = supply * decode(PreampDnaIndex(s, kPreampTubeSatLimit)) / 100.0 +
                            (supply - supply / 100.0) * decode(PreampDnaIndex(s, kPreampTubeBias)) / 100.0;
    EXPECT_NEAR(engine.BiasGlide(s).Current(), expected, 1e-12) << "stage " << s + 1;
    EXPECT_LT(engine.DriveGlide(s).Current(), 0.0);
  }
  const double supply1 = 4.5 + 595.5 * std::pow(208.0 / 255.0, 3);
  EXPECT_NEAR(engine.PreampTube(0).LimitA(), supply1, 1e-9);
  EXPECT_NEAR(engine.PreampTube(0).LimitB(), supply1 * (100.0 * 32.0 / 255.0) / 100.0, 1e-9);
}

TEST(AmpEngineLoading, MasterKnobIsCubed) {
  AmpEngine engine;
  EXPECT_EQ(engine.MasterGain(), 0.125);
  AmpKnobs knobs;
  knobs.fill(50.0);
  knobs[kKnobMaster] = 150.0;
  engine.SetKnobs(knobs);
  EXPECT_EQ(engine.MasterGain(), 1.0);
  EXPECT_EQ(engine.Knobs()[kKnobMaster], 100.0);
}

TEST(AmpEngineLoading, DnaReachesTheToneStackPowerAmpAndEq) {
  AmpEngine engine;
  const DecodedDna& d = engine.Decoded();
  EXPECT_EQ(engine.Tone().Ranges().hpfMinHz, d[kDnaToneHpfFreqMin]);
  EXPECT_EQ(engine.Tone().Ranges().trebleMaxHz, d[kDnaToneTrebleFreqMax]);
  EXPECT_EQ(engine.PowerAmp().Settings().railNeg, d[kDnaPowerRailNegative]);
  EXPECT_NEAR(engine.PowerAmp().Settings().crossoverRange,
              d[kDnaPowerCrossoverRange] / 100.0 * std::min(std::fabs(d[kDnaPowerRailPositive]), std::fabs(d[kDnaPowerRailNegative])),
              1e-12);
  EXPECT_NEAR(engine.PowerAmp().Settings().drive, std::pow(10.0, d[kDnaPowerGain] / 20.0), 1e-12);
  EXPECT_EQ(engine.Eq().Voicing().presenceHz, d[kDnaPowerPresenceFreq]);
}

// Every factor: a drive change lasts exactly N + 1 processed samples.
TEST(AmpEngineGlides, AGlideLastsLengthPlusOneProcessedSamplesAtEveryFactor) {
  for (int factor : {1, 2, 4, 8}) {
    SCOPED_TRACE(factor);
    auto engine = Engine(DefaultSettings(factor));
    const int n = engine->GlideLength();
    AmpKnobs knobs = engine->Knobs();
    knobs[kKnobGain] = 80.0;
    engine->SetKnobs(knobs);
    const double target = engine->DriveGlide(1).Target();
    ASSERT_EQ(engine->DriveGlide(1).Remaining(), n + 1);
    const int hostSamples = (n + 1) / factor;
    std::vector<double> silence(static_cast<std::size_t>(hostSamples), 0.0);
    engine->Process(silence.data(), silence.data(), hostSamples);
    EXPECT_EQ(engine->DriveGlide(1).Remaining(), (n + 1) - hostSamples * factor);
    double one = 0.0;
    engine->Process(&one, &one, 1);
    EXPECT_FALSE(engine->DriveGlide(1).Gliding());
    EXPECT_EQ(engine->DriveGlide(1).Current(), target);
  }
}

TEST(AmpEngineChain, SectionsThatAreOffMultiplyByTheirTrim) {
  EngineSettings settings = DefaultSettings();
  settings.sections.fill(false);
  auto unity = Engine(settings);
  settings.bypassGainDb = {6.0, -3.0, 0.0, 0.0, 2.0, -1.0};
  auto trimmed = Engine(settings);
  const std::vector<double> input = Sine(4800, 1000.0, 0.25);
  const std::vector<double> a = ProcessAll(*unity, input);
  const std::vector<double> b = ProcessAll(*trimmed, input);
  const double gain = std::pow(10.0, 4.0 / 20.0);
  for (std::size_t i = 2400; i < input.size(); ++i) {
    EXPECT_NEAR(a[i], input[i], 2e-3);  // only the DC blocker is left
    EXPECT_NEAR(b[i], a[i] * gain, 1e-6);
  }
}

TEST(AmpEngineChain, WithThePowerAmpOffTheMasterKnobDoesNothing) {
  EngineSettings settings = DefaultSettings();
  settings.sections[kSectionPowerAmp] = false;
  auto quiet = Engine(settings);
  settings.knobs[kKnobMaster] = 100.0;
  auto loud = Engine(settings);
  const std::vector<double> input = Sine(2400, 330.0, 0.1);
  EXPECT_EQ(ProcessAll(*quiet, input), ProcessAll(*loud, input));
}

TEST(AmpEngineChain, ToneStackRunsAtItsPositionEvenAfterASwitchedOffStage) {
  EngineSettings settings = DefaultSettings();
  settings.sections = {false, false, false, false, true, false};
  settings.toneStackPosition = 2;
  auto atTwo = Engine(settings);
  settings.toneStackPosition = 4;
  auto atFour = Engine(settings);
  settings.sections[kSectionToneStack] = false;
  auto toneOff = Engine(settings);
  // Reset primes the stack for the preamp's rest output whatever the flags, so
  // the first moments carry a decaying step: look at the second half.
  const std::vector<double> input = Sine(48000, 200.0, 0.2);
  const std::vector<double> two = ProcessAll(*atTwo, input);
  const std::vector<double> four = ProcessAll(*atFour, input);
  const std::vector<double> off = ProcessAll(*toneOff, input);
  for (std::size_t i = 0; i < input.size(); ++i) {
    EXPECT_NEAR(two[i], four[i], 1e-6);  // only linear trims around it
  }
  EXPECT_GT(Peak(off, 24000) - Peak(four, 24000), 0.01);  // the stack cuts this tone

  settings = DefaultSettings();
  settings.toneStackPosition = 1;
  auto early = Engine(settings);
  EXPECT_NE(ProcessAll(*early, input), ProcessAll(*Engine(DefaultSettings()), input));
  EXPECT_EQ(early->ToneStackPosition(), 1);
  early->SetToneStackPosition(9);
  EXPECT_EQ(early->ToneStackPosition(), 4);
}

TEST(AmpEngineChain, EveryOutputIsAFloatValue) {
  auto engine = Engine(DefaultSettings(2));
  for (double y : ProcessAll(*engine, Sine(4800, 220.0, 0.5))) {
    ASSERT_EQ(y, static_cast<double>(static_cast<float>(y)));
  }
}

TEST(AmpEngineChain, AnEngineAtRestStaysSilent) {
  for (int factor : {1, 4}) {
    auto engine = Engine(DefaultSettings(factor));
    const std::vector<double> out = ProcessAll(*engine, std::vector<double>(48000, 0.0));
    EXPECT_LT(Peak(out), 1e-9) << "factor " << factor;
  }
}

TEST(AmpEngineChain, TwoEnginesFedTheSameInputAgreeBitForBit) {
  AmpEnginePair engines = BuildAmpEngine(DefaultSettings(2), kRate);
  const std::vector<double> input = Sine(9600, 147.0, 0.3);
  EXPECT_EQ(ProcessAll(*engines[0], input), ProcessAll(*engines[1], input));
}

TEST(AmpEngineChain, ProcessRefusesMissingBuffersAndWorksInPlace) {
  AmpEngine engine;
  double x = 0.0;
  EXPECT_FALSE(engine.Process(nullptr, &x, 1));
  EXPECT_FALSE(engine.Process(&x, nullptr, 1));
  EXPECT_TRUE(engine.Process(&x, &x, 0));
  auto a = Engine(DefaultSettings());
  auto b = Engine(DefaultSettings());
  std::vector<double> buffer = Sine(480, 100.0, 0.4);
  const std::vector<double> expected = ProcessAll(*a, buffer);
  b->Process(buffer.data(), buffer.data(), static_cast<int>(buffer.size()));
  EXPECT_EQ(buffer, expected);
}

// A hardness change crossfades the tube curve: the output must not step
// more than it does anyway while the note plays.
TEST(AmpEngineChain, AHardnessChangeCrossfadesWithoutAClick) {
  auto engine = Engine(DefaultSettings());
  const int n = engine->GlideLength();
  const std::vector<double> tone = Sine(48000 + 3 * n, 220.0, 0.1);
  std::vector<double> out(tone.size());
  engine->Process(tone.data(), out.data(), 48000);
  const auto largestStep = [&](int from, int count) {
    double step = 0.0;
    for (int i = from; i < from + count; ++i) {
      step = std::max(step, std::fabs(out[static_cast<std::size_t>(i)] - out[static_cast<std::size_t>(i - 1)]));
    }
    return step;
  };
  engine->Process(tone.data() + 48000, out.data() + 48000, n);
  DnaBytes dna = engine->Dna();
  dna[PreampDnaIndex(0, kPreampTubeCutoffSharpness)] = 20;
  dna[PreampDnaIndex(0, kPreampTubeSatSharpness)] = 250;
  engine->SetDna(dna);
  ASSERT_TRUE(engine->PreampTube(0).Crossfading());
  const int crossfadeStart = 48000 + n;
  engine->Process(tone.data() + crossfadeStart, out.data() + crossfadeStart, 2 * n);
  const double before = largestStep(48000, n);
  const double during = largestStep(crossfadeStart, n + 1);
  const double after = largestStep(crossfadeStart + n + 1, n - 1);
  EXPECT_LE(during, 1.05 * std::max(before, after));
}

TEST(AmpEngineFaults, ANonFiniteInputSampleCountsAsSilence) {
  auto poisoned = Engine(DefaultSettings(2));
  auto clean = Engine(DefaultSettings(2));
  std::vector<double> input = Sine(2400, 220.0, 0.2);
  std::vector<double> zeroed = input;
  for (std::size_t i : {100u, 101u, 700u}) {
    input[i] = i == 700 ? std::numeric_limits<double>::infinity() : std::nan("");
    zeroed[i] = 0.0;
  }
  EXPECT_EQ(ProcessAll(*poisoned, input), ProcessAll(*clean, zeroed));
}

TEST(AmpEngineFaults, ANonFiniteOutputResetsTheEngineInsteadOfPoisoningIt) {
  for (int factor : {1, 2}) {
    SCOPED_TRACE(factor);
    auto engine = Engine(DefaultSettings(factor));
    std::vector<double> input = Sine(9600, 220.0, 0.2);
    input[1000] = 1e308;  // overflows the first coupling filter
    input[1001] = -1e308;
    const std::vector<double> out = ProcessAll(*engine, input);
    for (double y : out) {
      ASSERT_TRUE(std::isfinite(y));
    }
    EXPECT_GT(Peak(out, 4800), 0.01);  // playing again
  }
}

#if defined(__SSE__) || defined(__x86_64__)
TEST(AmpEngineFaults, ProcessFlushesSubnormalsAndRestoresTheCallersMode) {
  constexpr unsigned kFlushBits = 0x8040;
  const unsigned saved = _mm_getcsr();
  _mm_setcsr(saved & ~kFlushBits);
  auto engine = Engine(DefaultSettings());
  const std::vector<double> input = Sine(4800, 220.0, 0.3);
  std::vector<double> out = ProcessAll(*engine, input);
  EXPECT_EQ(_mm_getcsr() & kFlushBits, 0u);
  _mm_setcsr(saved | kFlushBits);
  auto flushing = Engine(DefaultSettings());
  std::vector<double> alreadyFlushing = ProcessAll(*flushing, input);
  EXPECT_EQ(_mm_getcsr() & kFlushBits, kFlushBits);
  _mm_setcsr(saved);
  for (std::size_t i = 0; i < out.size(); ++i) {
    EXPECT_NEAR(out[i], alreadyFlushing[i], kFlushTolerance);
  }
}
#endif

TEST(AmpEngineRenderThread, NothingAllocatesAfterConstruction) {
  auto engine = Engine(DefaultSettings());
  std::vector<double> buffer = Sine(512, 220.0, 0.3);
  DnaBytes dna = EngineDefaultDna();
  dna[PreampDnaIndex(2, kPreampTubeSatSharpness)] ^= 0x33;
  dna[kDnaPowerRailPositive] ^= 0x11;
  AmpKnobs knobs = engine->Knobs();
  knobs[kKnobTreble] = 90.0;
  const testing::ScopedAllocationCount allocations;
  engine->SetSampleRate(44100.0);
  for (int factor : {2, 8, 1}) {
    engine->SetOversampling(factor);
    engine->Process(buffer.data(), buffer.data(), static_cast<int>(buffer.size()));
  }
  engine->SetDna(dna);
  engine->SetKnobs(knobs);
  engine->SetSectionOn(kSectionToneStack, false);
  engine->SetSectionTrimDb(kSectionToneStack, -6.0);
  engine->Process(buffer.data(), buffer.data(), static_cast<int>(buffer.size()));
  engine->Reset();
  EXPECT_EQ(allocations.Count(), 0u);
}

TEST(AmpEngineBuild, SettingsReachBothEnginesAtRest) {
  EngineSettings settings = DefaultSettings(4);
  settings.toneStackPosition = 7;
  settings.sections[kSectionPreamp3] = false;
  settings.bypassGainDb[kSectionPreamp3] = -100.0;
  settings.bypassGainDb[kSectionPreamp4] = std::nan("");
  AmpEnginePair engines = BuildAmpEngine(settings, -1.0);
  for (const auto& engine : engines) {
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->BaseRate(), kRate);
    EXPECT_EQ(engine->OversamplingFactor(), 4);
    EXPECT_EQ(engine->ToneStackPosition(), 4);
    EXPECT_FALSE(engine->SectionOn(kSectionPreamp3));
    EXPECT_NEAR(engine->TrimGlide(kSectionPreamp3).Current(), 1e-3, 1e-15);
    EXPECT_EQ(engine->TrimGlide(kSectionPreamp4).Current(), 1.0);
    EXPECT_FALSE(engine->DriveGlide(0).Gliding());
    EXPECT_FALSE(engine->PreampTube(0).Crossfading());
  }
}

}  // namespace
}  // namespace orvane
