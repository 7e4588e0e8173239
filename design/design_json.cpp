#include "design/design_json.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace orvane {
namespace {

using nlohmann::json;

constexpr char kNotADesign[] = "Not a Orvane design file";
constexpr char kUnsupportedVersion[] = "Unsupported Orvane design format version";
constexpr char kInvalidDesignPrefix[] = "Invalid Orvane design: ";
constexpr char kPlayerValuesNotArray[] = "playerControlValues must be an array";
constexpr char kPlayerValuesNotFinite[] = "Player control values must be finite numbers";
constexpr char kDnaBytesOutOfRange[] = "amplifier.dna values must be integers from 0 to 255";
constexpr char kBypassNotObject[] = "amplifier.bypassGainDb must be an object";
constexpr char kToneStackNotInteger[] = "amplifier.toneStackPosition must be an integer from 1 to 4";
constexpr char kToneStackOutOfRange[] = "amplifier.toneStackPosition must be from 1 to 4";
constexpr char kBadTimestamp[] = "createdAt must use UTC timestamp format YYYY-MM-DDTHH:MM:SSZ";
constexpr char kTrimsOutOfRange[] =
    "inputGainDb must be from -24 to +24 dB and outputGainDb from -120 to +24 dB";

constexpr std::uint64_t kByteLimit = 256;

std::string DnaSizeMessage() {
  return "amplifier.dna must contain exactly " + std::to_string(kDnaSize) + " byte values";
}

// A JSON integer (signed or unsigned) as the unsigned 64-bit number it holds;
// negative integers wrap to huge values. Empty for every other type.
std::optional<std::uint64_t> IntegerBits(const json& value) {
  if (value.is_number_unsigned()) return value.get<std::uint64_t>();
  if (value.is_number_integer()) return static_cast<std::uint64_t>(value.get<std::int64_t>());
  return std::nullopt;
}

// A JSON integer that does not fit in 32 bits becomes 0, so the range check
// reports it instead of letting a wrapped value such as 2^32 + 1 pass as 1.
std::int32_t ToneStackPositionFrom(const json& value) {
  if (value.is_number_unsigned()) {
    const std::uint64_t position = value.get<std::uint64_t>();
    return position <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
               ? static_cast<std::int32_t>(position)
               : 0;
  }
  const std::int64_t position = value.get<std::int64_t>();
  const bool fits = position >= std::numeric_limits<std::int32_t>::min() &&
                    position <= std::numeric_limits<std::int32_t>::max();
  return fits ? static_cast<std::int32_t>(position) : 0;
}

bool IsDesignFormat(const json& document) {
  const json& format = document.at("format");
  return format.is_string() && format.get_ref<const std::string&>() == kDesignFormat;
}

bool IsSupportedVersion(const json& document) {
  const std::optional<std::uint64_t> version = IntegerBits(document.at("formatVersion"));
  return version && *version == static_cast<std::uint64_t>(kDesignFormatVersion);
}

// Each step returns false with `error` set when the document breaks a rule of
// its own; the library's errors propagate to ParseDesignJson.
bool ReadPlayerValues(const json& document, Design& design, std::string& error) {
  if (!document.contains("playerControlValues")) return true;
  const json& values = document.at("playerControlValues");
  if (!values.is_array()) {
    error = kPlayerValuesNotArray;
    return false;
  }
  std::vector<double> read;
  for (const json& value : values) {
    const double number = value.get<double>();
    if (!std::isfinite(number)) {
      error = kPlayerValuesNotFinite;
      return false;
    }
    read.push_back(number);
  }
  design.playerControlValues = std::move(read);
  return true;
}

bool ReadDna(const json& amplifier, Design& design, std::string& error) {
  const json& dna = amplifier.at("dna");
  if (!dna.is_array() || dna.size() != kDnaSize) {
    error = DnaSizeMessage();
    return false;
  }
  for (std::size_t i = 0; i < kDnaSize; ++i) {
    const std::optional<std::uint64_t> byte = IntegerBits(dna[i]);
    if (!byte || *byte >= kByteLimit) {
      error = kDnaBytesOutOfRange;
      return false;
    }
    design.amplifier.dna[i] = static_cast<std::uint8_t>(*byte);
  }
  return true;
}

void ReadKnobsAndSections(const json& amplifier, Design& design) {
  const json& knobs = amplifier.at("knobs");
  for (std::size_t i = 0; i < kAmpKnobCount; ++i) {
    design.amplifier.knobs[i] = knobs.at(std::string(kKnobNames[i])).get<double>();
  }
  const json& sections = amplifier.at("sections");
  for (std::size_t i = 0; i < kAmpSectionCount; ++i) {
    design.amplifier.sections[i] = sections.at(std::string(kSectionNames[i])).get<bool>();
  }
}

bool ReadBypassGains(const json& amplifier, Design& design, std::string& error) {
  const json& gains = amplifier.at("bypassGainDb");
  if (!gains.is_object()) {
    error = kBypassNotObject;
    return false;
  }
  for (std::size_t i = 0; i < kAmpSectionCount; ++i) {
    design.amplifier.bypassGainDb[i] = gains.at(std::string(kSectionNames[i])).get<double>();
  }
  return true;
}

bool ReadToneStackPosition(const json& amplifier, Design& design, std::string& error) {
  if (!amplifier.contains("toneStackPosition")) return true;
  const json& position = amplifier.at("toneStackPosition");
  if (!position.is_number_integer()) {
    error = kToneStackNotInteger;
    return false;
  }
  design.amplifier.toneStackPosition = ToneStackPositionFrom(position);
  return true;
}

bool ReadDocument(const json& document, Design& design, std::string& error) {
  if (!document.is_object() || !IsDesignFormat(document)) {
    error = kNotADesign;
    return false;
  }
  if (!IsSupportedVersion(document)) {
    error = kUnsupportedVersion;
    return false;
  }
  design.name = document.at("name").get<std::string>();
  design.author = document.at("author").get<std::string>();
  design.createdAt = document.at("createdAt").get<std::string>();
  design.description = document.at("description").get<std::string>();
  design.script = document.at("script").get<std::string>();
  if (!ReadPlayerValues(document, design, error)) return false;

  const json& amplifier = document.at("amplifier");
  if (!ReadDna(amplifier, design, error)) return false;
  ReadKnobsAndSections(amplifier, design);
  if (!ReadBypassGains(amplifier, design, error)) return false;
  if (!ReadToneStackPosition(amplifier, design, error)) return false;

  const json& trims = document.at("trims");
  design.trims.inputGainDb = trims.at("inputGainDb").get<double>();
  design.trims.outputGainDb = trims.at("outputGainDb").get<double>();
  return ValidateDesign(design, error);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int TwoDigits(std::string_view text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

}  // namespace

json BuildDesignJson(const Design& design) {
  json knobs = json::object();
  for (std::size_t i = 0; i < kAmpKnobCount; ++i) knobs[std::string(kKnobNames[i])] = design.amplifier.knobs[i];
  json sections = json::object();
  json bypass = json::object();
  for (std::size_t i = 0; i < kAmpSectionCount; ++i) {
    sections[std::string(kSectionNames[i])] = design.amplifier.sections[i];
    bypass[std::string(kSectionNames[i])] = design.amplifier.bypassGainDb[i];
  }
  json dna = json::array();
  for (const std::uint8_t byte : design.amplifier.dna) dna.push_back(static_cast<std::uint64_t>(byte));
  json playerValues = json::array();
  for (const double value : design.playerControlValues) playerValues.push_back(value);

  json document = json::object();
  document["amplifier"] = {
      {"bypassGainDb", std::move(bypass)},
      {"dna", std::move(dna)},
      {"knobs", std::move(knobs)},
      {"sections", std::move(sections)},
      {"toneStackPosition", design.amplifier.toneStackPosition},
  };
  document["author"] = design.author;
  document["createdAt"] = design.createdAt;
  document["description"] = design.description;
  document["format"] = kDesignFormat;
  document["formatVersion"] = kDesignFormatVersion;
  document["name"] = design.name;
  document["playerControlValues"] = std::move(playerValues);
  document["script"] = design.script;
  document["trims"] = {{"inputGainDb", design.trims.inputGainDb}, {"outputGainDb", design.trims.outputGainDb}};
  return document;
}

bool ParseDesignJson(const json& document, Design& out, std::string& error) {
  Design design;
  try {
    if (!ReadDocument(document, design, error)) return false;
  } catch (const json::exception& e) {
    error = std::string(kInvalidDesignPrefix) + e.what();
    return false;
  }
  out = std::move(design);
  error.clear();
  return true;
}

bool ValidateDesign(const Design& design, std::string& error) {
  if (!IsUtcTimestamp(design.createdAt)) {
    error = kBadTimestamp;
    return false;
  }
  const std::int32_t position = design.amplifier.toneStackPosition;
  if (position < kToneStackFirst || position > kToneStackLast) {
    error = kToneStackOutOfRange;
    return false;
  }
  const double input = design.trims.inputGainDb;
  const double output = design.trims.outputGainDb;
  const bool inputOk = std::isfinite(input) && input >= kInputTrimMinDb && input <= kInputTrimMaxDb;
  const bool outputOk = std::isfinite(output) && output >= kOutputTrimMinDb && output <= kOutputTrimMaxDb;
  if (!inputOk || !outputOk) {
    error = kTrimsOutOfRange;
    return false;
  }
  for (std::size_t i = 0; i < kAmpKnobCount; ++i) {
    const double knob = design.amplifier.knobs[i];
    if (!std::isfinite(knob) || knob < kKnobMin || knob > kKnobMax) {
      error = "amplifier.knobs." + std::string(kKnobNames[i]) + " must be a finite number from 0 to 100";
      return false;
    }
  }
  for (std::size_t i = 0; i < kAmpSectionCount; ++i) {
    const double gain = design.amplifier.bypassGainDb[i];
    if (!std::isfinite(gain) || gain < kBypassGainMinDb || gain > kBypassGainMaxDb) {
      error = "amplifier.bypassGainDb." + std::string(kSectionNames[i]) + " must be from -60 to +60 dB";
      return false;
    }
  }
  error.clear();
  return true;
}

bool IsUtcTimestamp(std::string_view text) {
  constexpr std::size_t kLength = 20;
  if (text.size() != kLength) return false;
  for (std::size_t i = 0; i < kLength; ++i) {
    char expected = 0;
    switch (i) {
      case 4:
      case 7: expected = '-'; break;
      case 10: expected = 'T'; break;
      case 13:
      case 16: expected = ':'; break;
      case 19: expected = 'Z'; break;
      default: break;
    }
    if (expected != 0 ? text[i] != expected : !IsDigit(text[i])) return false;
  }
  const int month = TwoDigits(text, 5);
  const int day = TwoDigits(text, 8);
  const int hour = TwoDigits(text, 11);
  const int minute = TwoDigits(text, 14);
  const int second = TwoDigits(text, 17);
  return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 23 && minute <= 59 && second <= 59;
}

}  // namespace orvane
