#pragma once

#include <string>

namespace orvane::testing {

// é: one character, two bytes in UTF-8.
inline const std::string kE = "\xC3\xA9";

}  // namespace orvane::testing
