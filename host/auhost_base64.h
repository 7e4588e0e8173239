#pragma once

// Standard base64 (RFC 4648 alphabet, "=" padding) for the state file's "data".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::auhost {

std::string EncodeBase64(const std::vector<std::uint8_t>& bytes);

// Null for text that is not canonical padded base64 (stray characters,
// white space, a length that is not a multiple of four, misplaced padding).
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

}  // namespace orvane::auhost
