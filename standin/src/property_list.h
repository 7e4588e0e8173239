#pragma once

// The reader of XML property lists: bundle Info.plist files and the
// platform's own lists. The text is untrusted; anything that is not well
// formed is refused as a whole. Any thread.

#include <CoreFoundation/CFBase.h>

#include <optional>
#include <string>
#include <string_view>

namespace standin::cf {

// Why the text cannot be a property list at all: not UTF-8, or a character
// XML does not allow (a NUL byte among them). Nothing when the characters are fine.
std::optional<std::string> PropertyListCharacterProblem(std::string_view text);

// A new property list (one reference for the caller): dictionaries, arrays,
// strings, integers and reals (CFNumber), true and false, data (base64) and
// dates (kept as their text). Null when the text is not a well-formed list.
CFPropertyListRef CreatePropertyListFromXML(std::string_view text);

}  // namespace standin::cf
