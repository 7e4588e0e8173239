#pragma once

// Strings handed to and read back from CoreFoundation by the tests.

#include <CoreFoundation/CoreFoundation.h>

#include <string>

// A new string the caller releases.
inline CFStringRef CreateString(const char* text) {
  return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
}

// A string released with the current autorelease pool.
inline CFStringRef String(const std::string& text) {
  return static_cast<CFStringRef>(
      CFAutorelease(CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8)));
}

// The UTF-8 text of a string; "<null>" for none.
inline std::string Text(CFStringRef string) {
  const char* text = CFStringGetCStringPtr(string, kCFStringEncodingUTF8);
  return text == nullptr ? std::string("<null>") : std::string(text);
}
