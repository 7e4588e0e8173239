#pragma once

// The design as a JSON document: writer, reader and range validator.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "design/design.h"

namespace orvane {

inline constexpr std::string_view kDesignFormat = "com.vellumtone.orvane.design";
inline constexpr int kDesignFormatVersion = 1;

// The document of the record, without any check. Doubles are always written
// as floating-point numbers, DNA bytes as unsigned integers.
nlohmann::json BuildDesignJson(const Design& design);

// On success replaces `out`, clears `error` and returns true; on failure sets
// `error` and leaves `out` untouched. Never throws the library's errors.
bool ParseDesignJson(const nlohmann::json& document, Design& out, std::string& error);

// Range checks in a fixed order; the first failure decides the message.
bool ValidateDesign(const Design& design, std::string& error);

// "YYYY-MM-DDTHH:MM:SSZ" with month, day, hour, minute and second in range.
bool IsUtcTimestamp(std::string_view text);

}  // namespace orvane
