#pragma once

#include <CoreFoundation/CFString.h>

#include <optional>
#include <string>
#include <string_view>

namespace orvane::host {

// The string's UTF-8 text; none for null or a string that does not convert.
std::optional<std::string> CFStringText(CFStringRef string);

// Whether the bytes are well-formed UTF-8, as a string made from them must be.
bool IsUtf8Text(std::string_view bytes);

}  // namespace orvane::host
