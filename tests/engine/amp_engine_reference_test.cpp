// The engine's block processing against the one-sample-at-a-time reference:
// the same output, bit for bit, at every factor and block size, also while
// glides, coefficient ramps and curve crossfades are in flight.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "design/design.h"
#include "design/design_file.h"
#include "engine/amp_engine.h"
#include "support/reference_amp_engine.h"
#include "support/test_paths.h"
#include "tests/engine/test_rate.h"

namespace orvane {
namespace {

using testing::kRate;

constexpr int kRunLength = 8000;

struct SettingsChange {
  int at;  // host sample before which the change applies
  std::function<void(AmpEngine&)> apply;
};

// Plucked notes with a few harmonics, and three samples loud enough to
// overflow the filters, which sends the engine through its recovery.
std::vector<double> TestSignal() {
  std::vector<double> x(kRunLength);
  for (int i = 0; i < kRunLength; ++i) {
    const double t = (i % 2000) / kRate;
    const double f = 82.41 * (1 + (i / 2000) % 3);
    double sum = 0.0;
    for (int h = 1; h <= 5; ++h) {
      sum += std::sin(2.0 * std::numbers::pi * f * h * t) * std::exp(-t * (3.0 + h)) / h;
    }
    x[static_cast<std::size_t>(i)] = 0.4 * sum;
  }
  for (int i = 6500; i < 6503; ++i) {
    x[static_cast<std::size_t>(i)] = 1e308;
  }
  return x;
}

int NextFactor(int factor) {
  return factor == 8 ? 1 : factor * 2;
}

// Every kind of movement, several overlapping: knob glides and ramps, a DNA
// change crossfading the curves, a second one while the first still runs,
// sections and tone-stack position switched with trims gliding, and an
// oversampling change the way the renderer applies it.
std::vector<SettingsChange> Changes(const EngineSettings& s) {
  AmpKnobs knobs{80.0, 20.0, 65.0, 35.0, 70.0, 90.0, 10.0};
  DnaBytes changed = s.dna;
  for (std::size_t i = 0; i < changed.size(); i += 3) {
    changed[i] = static_cast<std::uint8_t>(changed[i] ^ 0x35);
  }
  return {
      {1500, [knobs](AmpEngine& e) { e.SetKnobs(knobs); }},
      {1503, [changed](AmpEngine& e) { e.SetDna(changed); }},
      {3000,
       [](AmpEngine& e) {
         e.SetSectionOn(kSectionPreamp2, false);
         e.SetSectionTrimDb(kSectionPreamp2, -6.0);
         e.SetToneStackPosition(2);
       }},
      {3001, [s](AmpEngine& e) { e.SetDna(s.dna); }},
      {4000,
       [](AmpEngine& e) {
         e.SetSectionOn(kSectionToneStack, false);
         e.SetSectionTrimDb(kSectionToneStack, 3.0);
         e.SetSectionOn(kSectionPowerAmp, false);
         e.SetSectionTrimDb(kSectionPowerAmp, -3.0);
       }},
      {5000,
       [](AmpEngine& e) {
         e.SetOversampling(NextFactor(e.OversamplingFactor()));
         e.Reset();
       }},
      {5500,
       [s](AmpEngine& e) {
         for (int section = 0; section < static_cast<int>(kAmpSectionCount); ++section) {
           e.SetSectionOn(section, true);
         }
         e.SetToneStackPosition(s.toneStackPosition);
         e.SetKnobs(s.knobs);
       }},
  };
}

using ProcessFunction = std::function<bool(AmpEngine&, const double*, double*, int)>;

// Runs the signal in blocks of `blockSize`, cut short where a change is due.
std::vector<double> Render(const EngineSettings& settings, int blockSize, const ProcessFunction& process) {
  AmpEnginePair engines = BuildAmpEngine(settings, kRate);
  AmpEngine& engine = *engines[0];
  const std::vector<double> input = TestSignal();
  const std::vector<SettingsChange> changes = Changes(settings);
  std::vector<double> output(input.size());
  std::size_t next = 0;
  for (int i = 0; i < kRunLength;) {
    while (next < changes.size() && changes[next].at == i) {
      changes[next++].apply(engine);
    }
    int n = std::min(blockSize, kRunLength - i);
    if (next < changes.size()) {
      n = std::min(n, changes[next].at - i);
    }
    process(engine, input.data() + i, output.data() + i, n);
    i += n;
  }
  return output;
}

EngineSettings DemoHighGainSettings(int factor) {
  Design design;
  std::string error;
  EXPECT_TRUE(ReadDesignFile(std::string(ORVANE_SOURCE_DIR) + "/scripts/demo/HighGain.orv", design, error)) << error;
  return EngineSettingsOf(design, factor);
}

TEST(AmpEngineReference, BlockProcessingEqualsTheReferenceBitForBit) {
  const ProcessFunction product = [](AmpEngine& e, const double* in, double* out, int n) {
    return e.Process(in, out, n);
  };
  const ProcessFunction reference = &testing::ReferenceAmpEngine::Process;
  for (const char* design : {"default", "demo high gain"}) {
    for (int factor : {1, 2, 4, 8}) {
      const EngineSettings settings = std::string(design) == "default"
                                          ? EngineSettingsOf(MakeDefaultDesign(), factor)
                                          : DemoHighGainSettings(factor);
      const std::vector<double> expected = Render(settings, 64, reference);
      for (int blockSize : {1, 7, 64, 512, 4096}) {
        SCOPED_TRACE(std::string(design) + ", factor " + std::to_string(factor) + ", block " +
                     std::to_string(blockSize));
        const std::vector<double> actual = Render(settings, blockSize, product);
        for (std::size_t i = 0; i < actual.size(); ++i) {
          if (std::bit_cast<std::uint64_t>(actual[i]) != std::bit_cast<std::uint64_t>(expected[i])) {
            ADD_FAILURE() << "first difference at sample " << i << ": " << actual[i] << " instead of "
                          << expected[i];
            break;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace orvane
