#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// Largest answer body the update check accepts; one byte more is refused.
inline constexpr std::size_t kMaxUpdateAnswerBytes = 1024;
// Longest version text an answer may name.
inline constexpr std::size_t kMaxAnswerVersionLength = 32;

// Reads the server's answer: a JSON object whose "current_version" is a string
// of 1 to kMaxAnswerVersionLength characters. On success version holds that
// string; on any other input it is left unchanged and the result is false.
bool ParseUpdateAnswer(std::string_view body, std::string& version);

}  // namespace orvane
