#pragma once

// UTF-8 text to and from CoreFoundation strings. Any thread.

#include <CoreFoundation/CFString.h>

#include <string>

#include "graphics/platform/mac/cf_owned.h"

namespace plugkit::graphics {

// A new string of the text (null counts as ""); null when it is not UTF-8.
CFOwned<CFStringRef> MakeCFString(const char* utf8);
inline CFOwned<CFStringRef> MakeCFString(const std::string& utf8) { return MakeCFString(utf8.c_str()); }

// A new string of text the user reads (null counts as ""): each ill-formed
// UTF-8 sequence shows as U+FFFD rather than losing the whole text.
CFOwned<CFStringRef> MakeDisplayCFString(const char* utf8);
inline CFOwned<CFStringRef> MakeDisplayCFString(const std::string& utf8) { return MakeDisplayCFString(utf8.c_str()); }

// The string's UTF-8 text; "" for null.
std::string CFStringText(CFStringRef string);

}  // namespace plugkit::graphics
