#pragma once

// The plug-in's own state beside the design, and the JSON document that the
// state chunk carries: the live design together with that state.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "design/controls_script.h"
#include "design/design.h"

namespace orvane {

inline constexpr std::string_view kPluginStateFormat = "com.vellumtone.orvane.plugin-state";
inline constexpr int kPluginStateVersion = 1;

struct PluginState {
  std::vector<double> playerControlValues;  // in the script's declaration order
  std::int32_t oversampling = 1;            // 1, 2, 4 or 8
  bool amplifierEnabled = true;
  bool playerView = false;
  bool factoryCollection = true;
  bool activePresetFactory = false;
  bool presetModified = false;
  std::string activePresetFilename;  // last path component; empty when none
  std::string currentDesignPath;     // empty for an unsaved new design
  bool hasPresetBaseline = false;
  Design presetBaseline;  // the design as loaded or last saved

  bool operator==(const PluginState&) const = default;
};

// A new value for the player control at `index` (the script's declaration order).
struct PlayerValueChange {
  int index = 0;
  double value = 0.0;
};

struct PluginStateDocument {
  Design design;  // the live design
  PluginState state;

  bool operator==(const PluginStateDocument&) const = default;
};

// The 14-key document of `document`, without any check.
nlohmann::json BuildPluginStateJson(const PluginStateDocument& document);

// On success replaces `out`, clears `error` and returns true; on failure sets
// `error` and leaves `out` untouched. The library's errors are reported with
// the prefix "Invalid Orvane plugin state: "; a design's own errors as they
// are.
bool ParsePluginStateJson(const nlohmann::json& value, PluginStateDocument& out, std::string& error);

// Stores the boolean under `key` in `out`; a value of another type sets
// `error` to "<key> must be a boolean". A missing key throws the library's
// error, for the caller to report.
bool ReadBooleanKey(const nlohmann::json& object, const std::string& key, bool& out, std::string& error);

// Gives `values` one entry per control of `script`: kept values are rounded
// (switches) and limited to the control's range, new ones get the control's
// start value. A script with an error leaves no values.
void FitPlayerValuesToScript(const ParsedControlsScript& script, std::vector<double>& values);

}  // namespace orvane
