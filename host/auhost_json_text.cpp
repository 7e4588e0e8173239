#include "host/auhost_json_text.h"

#include <algorithm>
#include <sstream>

namespace orvane::auhost {
namespace {

using nlohmann::json;

constexpr std::string_view kWhiteSpace = " \t\r\n";

// Line and column of the byte the library stopped at, counted from 1.
std::string SyntaxErrorAt(std::string_view text, std::size_t byte) {
  const std::string_view before = text.substr(0, std::min(text.size(), byte > 0 ? byte - 1 : 0));
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::size_t lineStart = before.rfind('\n');
  const std::size_t column = before.size() - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
  return "is not JSON text (a syntax error at line " + std::to_string(line) + ", column " + std::to_string(column) +
         ")";
}

}  // namespace

std::string ReadJsonText(std::string_view text, JsonExtent extent, json& document) {
  if (text.find_first_not_of(kWhiteSpace) == std::string_view::npos) return "is empty";
  try {
    if (extent == JsonExtent::kWholeText) {
      document = json::parse(text);
    } else {
      std::istringstream in{std::string(text)};
      in >> document;
    }
  } catch (const json::parse_error& error) {
    return SyntaxErrorAt(text, error.byte);
  } catch (const json::out_of_range&) {
    // Parsing's one range error: a number beyond what a double holds.
    return "holds a number too large to read";
  }
  return {};
}

}  // namespace orvane::auhost
