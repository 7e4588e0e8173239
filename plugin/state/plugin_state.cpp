#include "plugin/state/plugin_state.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "design/design_json.h"
#include "design/player_controls.h"

namespace orvane {
namespace {

using nlohmann::json;

constexpr char kNotAPluginState[] = "Not a Orvane plugin state";
constexpr char kUnsupportedVersion[] = "Unsupported Orvane plugin state version";
constexpr char kBadOversampling[] = "oversampling must be 1, 2, 4, or 8";
constexpr char kPlayerValuesNotArray[] = "playerControlValues must be an array";
constexpr char kPlayerValuesNotFinite[] = "Player control state values must be finite numbers";
constexpr char kBaselineMustBeNull[] = "presetBaseline must be null when hasPresetBaseline is false";
constexpr char kInvalidStatePrefix[] = "Invalid Orvane plugin state: ";
constexpr char kMustBeBoolean[] = " must be a boolean";

constexpr std::array<std::int64_t, 4> kOversamplingFactors = {1, 2, 4, 8};

constexpr double kNewSliderValue = 50.0;
constexpr double kNewSwitchValue = 0.0;
constexpr double kLowestPlayerValue = 0.0;

// A JSON integer as a signed 64-bit number; empty for every other type and
// for unsigned values beyond the signed range, so that no wrapped value can
// pass a comparison with a small one.
std::optional<std::int64_t> SignedInteger(const json& value) {
  if (value.is_number_unsigned()) {
    const std::uint64_t number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
    return static_cast<std::int64_t>(number);
  }
  if (value.is_number_integer()) return value.get<std::int64_t>();
  return std::nullopt;
}

bool IsPluginStateFormat(const json& value) {
  if (!value.is_object()) return false;
  const json& format = value.at("format");
  return format.is_string() && format.get_ref<const std::string&>() == kPluginStateFormat;
}

bool IsSupportedVersion(const json& value) {
  return SignedInteger(value.at("stateVersion")) == kPluginStateVersion;
}

bool ReadOversampling(const json& value, PluginState& state, std::string& error) {
  const std::optional<std::int64_t> factor = SignedInteger(value.at("oversampling"));
  const bool known = factor && std::find(kOversamplingFactors.begin(), kOversamplingFactors.end(), *factor) !=
                                   kOversamplingFactors.end();
  if (!known) {
    error = kBadOversampling;
    return false;
  }
  state.oversampling = static_cast<std::int32_t>(*factor);
  return true;
}

bool ReadPlayerValues(const json& value, PluginState& state, std::string& error) {
  const json& values = value.at("playerControlValues");
  if (!values.is_array()) {
    error = kPlayerValuesNotArray;
    return false;
  }
  std::vector<double> read;
  read.reserve(values.size());
  for (const json& element : values) {
    const double number = element.get<double>();  // a non-number is the library's type error
    if (!std::isfinite(number)) {
      error = kPlayerValuesNotFinite;
      return false;
    }
    read.push_back(number);
  }
  state.playerControlValues = std::move(read);
  return true;
}

bool ReadBooleans(const json& value, PluginState& state, std::string& error) {
  const std::pair<const char*, bool*> keys[] = {
      {"amplifierEnabled", &state.amplifierEnabled},
      {"playerView", &state.playerView},
      {"factoryCollection", &state.factoryCollection},
      {"activePresetFactory", &state.activePresetFactory},
      {"presetModified", &state.presetModified},
      {"hasPresetBaseline", &state.hasPresetBaseline},
  };
  for (const auto& [key, field] : keys) {
    if (!ReadBooleanKey(value, key, *field, error)) return false;
  }
  return true;
}

bool ReadPresetBaseline(const json& value, PluginState& state, std::string& error) {
  const json& baseline = value.at("presetBaseline");
  if (state.hasPresetBaseline) return ParseDesignJson(baseline, state.presetBaseline, error);
  if (!baseline.is_null()) {
    error = kBaselineMustBeNull;
    return false;
  }
  return true;
}

// The checks in their fixed order; the library's errors propagate to
// ParsePluginStateJson.
bool ReadDocument(const json& value, PluginStateDocument& document, std::string& error) {
  if (!IsPluginStateFormat(value)) {
    error = kNotAPluginState;
    return false;
  }
  if (!IsSupportedVersion(value)) {
    error = kUnsupportedVersion;
    return false;
  }
  PluginState& state = document.state;
  if (!ParseDesignJson(value.at("design"), document.design, error)) return false;
  if (!ReadOversampling(value, state, error)) return false;
  if (!ReadPlayerValues(value, state, error)) return false;
  if (!ReadBooleans(value, state, error)) return false;
  state.activePresetFilename = value.at("activePresetFilename").get<std::string>();
  state.currentDesignPath = value.at("currentDesignPath").get<std::string>();
  return ReadPresetBaseline(value, state, error);
}

double FitSwitchValue(double value, std::int32_t positionCount) {
  const double highestPosition = static_cast<double>(positionCount) - 1.0;
  return std::min(std::round(value), highestPosition);
}

}  // namespace

json BuildPluginStateJson(const PluginStateDocument& document) {
  const PluginState& state = document.state;
  json playerValues = json::array();
  for (const double value : state.playerControlValues) playerValues.push_back(value);

  json result = json::object();
  result["activePresetFactory"] = state.activePresetFactory;
  result["activePresetFilename"] = state.activePresetFilename;
  result["amplifierEnabled"] = state.amplifierEnabled;
  result["currentDesignPath"] = state.currentDesignPath;
  result["design"] = BuildDesignJson(document.design);
  result["factoryCollection"] = state.factoryCollection;
  result["format"] = kPluginStateFormat;
  result["hasPresetBaseline"] = state.hasPresetBaseline;
  result["oversampling"] = state.oversampling;
  result["playerControlValues"] = std::move(playerValues);
  result["playerView"] = state.playerView;
  result["presetBaseline"] = state.hasPresetBaseline ? BuildDesignJson(state.presetBaseline) : json(nullptr);
  result["presetModified"] = state.presetModified;
  result["stateVersion"] = kPluginStateVersion;
  return result;
}

bool ParsePluginStateJson(const json& value, PluginStateDocument& out, std::string& error) {
  PluginStateDocument document;
  try {
    if (!ReadDocument(value, document, error)) return false;
  } catch (const json::exception& e) {
    error = std::string(kInvalidStatePrefix) + e.what();
    return false;
  }
  out = std::move(document);
  error.clear();
  return true;
}

bool ReadBooleanKey(const json& object, const std::string& key, bool& out, std::string& error) {
  const json& value = object.at(key);
  if (!value.is_boolean()) {
    error = key + kMustBeBoolean;
    return false;
  }
  out = value.get<bool>();
  return true;
}

void FitPlayerValuesToScript(const ParsedControlsScript& script, std::vector<double>& values) {
  if (!script.error.empty()) {
    values.clear();
    return;
  }
  const std::size_t oldCount = values.size();
  values.resize(script.controls.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    const ScriptControl& control = script.controls[i];
    const bool isSwitch = control.kind == kScriptSwitch;
    double value = values[i];
    if (i >= oldCount) {
      value = isSwitch ? kNewSwitchValue : kNewSliderValue;
    } else {
      // Kept in double throughout: a huge value must end at the top of the
      // range, not wrap through an integer conversion.
      value = isSwitch ? FitSwitchValue(value, control.positionCount) : std::min(value, kSliderMaxValue);
    }
    // Written so that a NaN also ends at the bottom of the range.
    if (!(value >= kLowestPlayerValue)) value = kLowestPlayerValue;
    values[i] = value;
  }
}

}  // namespace orvane
