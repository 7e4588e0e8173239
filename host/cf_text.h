#pragma once

#include <CoreFoundation/CFString.h>

#include <optional>
#include <string>

namespace orvane::host {

// The string's UTF-8 text; none for null or a string that does not convert.
std::optional<std::string> CFStringText(CFStringRef string);

}  // namespace orvane::host
