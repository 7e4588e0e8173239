#include "host/auhost_validate_product_checks.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "design/design.h"
#include "host/auhost_class_info.h"
#include "host/auhost_product_state.h"
#include "host/auhost_validate_harness.h"

namespace orvane::auhost::validate {
namespace {

constexpr std::array<int, 4> kOversamplingFactors = {1, 2, 4, 8};
constexpr double kOversamplingRate = 48000.0;
constexpr double kNoiseSeconds = 0.5;
constexpr std::uint32_t kNoiseSeed = 47;
// The component's start-up settle takes up to a second; a little more covers its fade-in.
constexpr double kSettleSeconds = kProductSettleSeconds;
constexpr UInt32 kBlock = 512;
// Output quieter than this (-60 dBFS) on full-scale noise counts as silence.
constexpr double kAudibleRms = 1e-3;
constexpr int kBoundController = 7;
constexpr UInt32 kControllerLow = 0;
constexpr UInt32 kControllerHigh = 127;
constexpr UInt32 kControlChangeStatus = 0xB0;
// The slider drives the master knob over its whole range; its two ends must
// differ by at least this much (6 dB).
constexpr double kMinLevelRatio = 2.0;
constexpr char kBoundScript[] = "slider: \"Volume\"\n[cc 7]\nmaster = x\n";

std::unique_ptr<UnitUnderTest> UnitWithEdits(const host::ComponentBundle& bundle, const LoadedProductEdits& edits,
                                             double rate) {
  auto probe = std::make_unique<UnitUnderTest>(bundle, ChannelLayout{});
  const ChannelLayout layout = TestLayout(probe->Unit());
  probe.reset();
  auto unit = std::make_unique<UnitUnderTest>(bundle, layout);
  SetClassInfo(unit->Unit(), EditProductClassInfo(GetClassInfo(unit->Unit()), edits));
  unit->Configure(rate, kBlock);
  unit->Initialize();
  return unit;
}

std::string Decibels(double rms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(std::max(rms, 1e-12)));
  return text;
}

// The level of the second half of a noise render, once the controller moved.
double LevelAfterController(UnitUnderTest& unit, UInt32 value, std::uint32_t seed) {
  Require(unit.Instance().MIDIEvent(kControlChangeStatus, kBoundController, value),
          "controller " + std::to_string(kBoundController) + " = " + std::to_string(value));
  const Channels input = Noise(unit.FeedChannels(), FramesOf(kNoiseSeconds, unit.SampleRate()), seed);
  const Channels output = unit.Render(input, kBlock);
  RequireFiniteInRange(output, "controller " + std::to_string(kBoundController) + " = " + std::to_string(value));
  return Rms(output, output.front().size() / 2);
}

}  // namespace

void OversamplingFactors(const host::ComponentBundle& bundle) {
  std::optional<Channels> withoutOversampling;
  for (const int factor : kOversamplingFactors) {
    LoadedProductEdits edits;
    edits.oversampling = factor;
    auto unit = UnitWithEdits(bundle, edits, kOversamplingRate);
    const std::string context = "oversampling " + std::to_string(factor) + "x";
    RequireFiniteInRange(unit->Render(Silence(unit->FeedChannels(), FramesOf(kSettleSeconds, kOversamplingRate)),
                                      kBlock),
                         context + ", silence");
    // The same noise for every factor, so the renders can be compared.
    const Channels input = Noise(unit->FeedChannels(), FramesOf(kNoiseSeconds, kOversamplingRate), kNoiseSeed);
    Channels output = unit->Render(input, kBlock);
    RequireFiniteInRange(output, context);
    const double level = Rms(output, output.front().size() / 2);
    if (level < kAudibleRms) Fail(context + " left noise silent (" + Decibels(level) + ")");
    if (!withoutOversampling) {
      withoutOversampling = std::move(output);
    } else if (output == *withoutOversampling) {
      Fail(context + " rendered exactly as without oversampling: the factor was not taken");
    }
  }
}

void ControllerScript(const host::ComponentBundle& bundle) {
  Design design = MakeDefaultDesign();
  design.script = kBoundScript;
  LoadedProductEdits edits;
  edits.design = OpenDesign(design, {}, {});
  auto unit = UnitWithEdits(bundle, edits, kDefaultSampleRate);
  unit->Render(Silence(unit->FeedChannels(), FramesOf(kSettleSeconds, kDefaultSampleRate)), kBlock);
  const double low = LevelAfterController(*unit, kControllerLow, 1);
  const double high = LevelAfterController(*unit, kControllerHigh, 1);
  if (!(high >= low * kMinLevelRatio))
    Fail("the output level did not follow controller " + std::to_string(kBoundController) +
         " bound to the master knob: " + Decibels(low) + " at 0, " + Decibels(high) + " at 127");
}

}  // namespace orvane::auhost::validate
