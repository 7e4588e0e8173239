#pragma once

// A component's class-info state as a value: the keys of its state
// dictionary, moved between the component, JSON and state files.

#include <AudioUnit/AudioUnit.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace orvane::auhost {

struct ClassInfo {
  std::int32_t version = 0;
  std::int32_t type = 0;
  std::int32_t subtype = 0;
  std::int32_t manufacturer = 0;
  std::string name;
  std::optional<std::vector<std::uint8_t>> data;  // absent when the component wrote none

  bool operator==(const ClassInfo&) const = default;
};

// Reads the class-info property; throws Failure(kComponentError) when the
// component refuses or answers something that is not a state dictionary.
ClassInfo GetClassInfo(AudioUnit unit);

// Sets the class-info property; throws Failure(kStateFile) with the status
// when the component refuses the state.
void SetClassInfo(AudioUnit unit, const ClassInfo& info);

// The keys as JSON, "data" in base64.
nlohmann::json ClassInfoToJson(const ClassInfo& info);

// Throws Failure(kStateFile) naming the first key that is missing or of the wrong kind.
ClassInfo ClassInfoFromJson(const nlohmann::json& document);

// State files hold ClassInfoToJson's document. Both throw Failure(kStateFile)
// with the path and the reason.
ClassInfo ReadStateFile(const std::string& path);
void WriteStateFile(const std::string& path, const ClassInfo& info);

}  // namespace orvane::auhost
