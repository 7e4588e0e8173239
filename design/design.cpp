#include "design/design.h"

#include <ctime>

namespace orvane {
namespace {

constexpr char kUtcTimestampFormat[] = "%Y-%m-%dT%H:%M:%SZ";
constexpr char kEpochTimestamp[] = "1970-01-01T00:00:00Z";

// The default design's sharpness bytes of every preamp stage.
constexpr std::uint8_t kDefaultCutoffSharpness = 0;
constexpr std::uint8_t kDefaultSatSharpness = 191;

}  // namespace

std::string FormatUtcTimestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm calendar{};
  if (gmtime_r(&now, &calendar) == nullptr) return kEpochTimestamp;
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, kUtcTimestampFormat, &calendar);
  if (length == 0) return kEpochTimestamp;
  return std::string(text, length);
}

Design MakeDefaultDesign() {
  Design design;
  design.amplifier.dna = EngineDefaultDna();
  for (int stage = 0; stage < kPreampStageCount; ++stage) {
    design.amplifier.dna[PreampDnaIndex(stage, kPreampTubeCutoffSharpness)] = kDefaultCutoffSharpness;
    design.amplifier.dna[PreampDnaIndex(stage, kPreampTubeSatSharpness)] = kDefaultSatSharpness;
  }
  return design;
}

EngineSettings EngineSettingsOf(const Design& design, std::int32_t oversampling) {
  const DesignAmplifier& amp = design.amplifier;
  return {amp.dna, amp.knobs, amp.sections, amp.bypassGainDb, oversampling, amp.toneStackPosition};
}

}  // namespace orvane
