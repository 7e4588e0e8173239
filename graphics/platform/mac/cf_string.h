#pragma once

// UTF-8 text to and from CoreFoundation strings. Any thread.

#include <CoreFoundation/CFString.h>

#include <string>

#include "graphics/platform/mac/cf_owned.h"

namespace plugkit::graphics {

// A new string of the text (null counts as ""); null when it is not UTF-8.
CFOwned<CFStringRef> MakeCFString(const char* utf8);
inline CFOwned<CFStringRef> MakeCFString(const std::string& utf8) { return MakeCFString(utf8.c_str()); }

// The string's UTF-8 text; "" for null.
std::string CFStringText(CFStringRef string);

}  // namespace plugkit::graphics
