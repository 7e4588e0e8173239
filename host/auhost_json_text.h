#pragma once

// JSON text the user handed auhost, read as the product reads it, with what
// keeps it from being read in auhost's words rather than the library's.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace orvane::auhost {

// How much of the text is read: all of it (nothing but white space may
// follow the value), or only its first value, as a stream reads it.
enum class JsonExtent { kWholeText, kFirstValue };

// Reads `text` into `document`. Empty when it reads; otherwise the reason, to
// follow the name of what was read: "is empty", "is not JSON text (a syntax
// error at line L, column C)" or "holds a number too large to read".
std::string ReadJsonText(std::string_view text, JsonExtent extent, nlohmann::json& document);

}  // namespace orvane::auhost
