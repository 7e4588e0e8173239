#pragma once

// The amplifier design: everything a design file holds and the plug-in edits.
// A plain value; ValidateDesign (design_json.h) says whether it is in range.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine_settings.h"
#include "engine/engine_units.h"

namespace orvane {

// Names of the knobs and sections as the design document and its messages
// use them, in index order.
inline constexpr std::array<std::string_view, kAmpKnobCount> kKnobNames = {
    "gain", "bass", "mid", "treble", "master", "resonance", "presence"};
inline constexpr std::array<std::string_view, kAmpSectionCount> kSectionNames = {
    "preamp1", "preamp2", "preamp3", "preamp4", "toneStack", "powerAmp"};

inline constexpr double kDefaultKnobValue = 50.0;
// The ranges a valid design keeps its values in (knobs up to kKnobMax).
inline constexpr double kKnobMin = 0.0;
inline constexpr std::int32_t kToneStackFirst = 1;
inline constexpr std::int32_t kToneStackLast = 4;
inline constexpr double kInputTrimMinDb = -24.0;
inline constexpr double kInputTrimMaxDb = 24.0;
inline constexpr double kOutputTrimMinDb = -120.0;
inline constexpr double kOutputTrimMaxDb = 24.0;
inline constexpr double kBypassGainMinDb = -60.0;
inline constexpr double kBypassGainMaxDb = 60.0;
inline constexpr std::int32_t kDefaultToneStackPosition = 4;
// The model works in volts and its power amp reaches hundreds of them; this
// trim brings a guitar through a fresh design to a sensible level in dBFS.
inline constexpr double kDefaultOutputTrimDb = -60.0;

struct DesignAmplifier {
  DnaBytes dna{};
  AmpKnobs knobs = {kDefaultKnobValue, kDefaultKnobValue, kDefaultKnobValue, kDefaultKnobValue,
                    kDefaultKnobValue, kDefaultKnobValue, kDefaultKnobValue};
  AmpSections sections = {true, true, true, true, true, true};
  AmpBypassGains bypassGainDb{};
  std::int32_t toneStackPosition = kDefaultToneStackPosition;

  bool operator==(const DesignAmplifier&) const = default;
};

struct DesignTrims {
  double inputGainDb = 0.0;
  double outputGainDb = kDefaultOutputTrimDb;

  bool operator==(const DesignTrims&) const = default;
};

// The current wall-clock time in UTC as "YYYY-MM-DDTHH:MM:SSZ";
// "1970-01-01T00:00:00Z" when the time cannot be converted.
std::string FormatUtcTimestamp();

// A default-constructed Design is the blank record: all-zero DNA, every other
// field at its default, stamped with the time of its making.
struct Design {
  std::string name = "Untitled";
  std::string author;
  std::string createdAt = FormatUtcTimestamp();
  std::string description;
  DesignAmplifier amplifier;
  DesignTrims trims;
  std::string script;                       // user-controls script text
  std::vector<double> playerControlValues;  // one per declared player control

  bool operator==(const Design&) const = default;
};

// The design a new instance starts from: the engine's default DNA with the
// preamp stages' cut-off and saturation sharpness set for the player.
Design MakeDefaultDesign();

// The engine settings that a design's amplifier and an oversampling factor describe.
EngineSettings EngineSettingsOf(const Design& design, std::int32_t oversampling);

}  // namespace orvane
