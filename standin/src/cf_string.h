#pragma once

#include "cf_object.h"

#include <CoreFoundation/CFString.h>

#include <string>

struct CFStringObject final : standin::cf::Object {
  static constexpr CFTypeID kTypeID = standin::cf::kStringTypeID;

  CFStringObject(std::string utf8Text, standin::cf::Lifetime lifetime)
      : Object(lifetime), utf8(std::move(utf8Text)) {}

  CFTypeID TypeID() const override { return kTypeID; }
  bool Equals(const Object& other) const override;
  CFHashCode Hash() const override;
  std::string Describe() const override { return utf8; }

  const std::string utf8;
};

namespace standin::cf {

// A new string (retained once) holding the UTF-8 text as is.
CFStringRef MakeString(std::string utf8);

// The UTF-8 text of a string; empty for null or another type.
const std::string& StringText(CFStringRef string);

bool IsValidUTF8(const char* bytes, std::size_t length);

// The code points of UTF-8 text; a byte that does not start a valid sequence
// becomes U+FFFD.
std::u32string DecodeUTF8(const std::string& utf8);
void AppendUTF8(std::string& text, char32_t codePoint);


}  // namespace standin::cf
