#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <string>

namespace plugkit {

// A new CFString (owned by the caller) of UTF-8 text; null text makes an empty
// string. Null when the text is not valid UTF-8.
CFStringRef CreateCFString(const char* utf8);

// The UTF-8 text of a CFString; false (out emptied) for null or any other type.
bool CopyCFStringText(CFTypeRef value, std::string& out);

}  // namespace plugkit
