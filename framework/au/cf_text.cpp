#include "framework/au/cf_text.h"

#include <vector>

namespace plugkit {

CFStringRef CreateCFString(const char* utf8) {
  return CFStringCreateWithCString(kCFAllocatorDefault, utf8 ? utf8 : "", kCFStringEncodingUTF8);
}

bool CopyCFStringText(CFTypeRef value, std::string& out) {
  out.clear();
  if (value == nullptr || CFGetTypeID(value) != CFStringGetTypeID()) return false;
  const auto string = static_cast<CFStringRef>(value);
  if (const char* text = CFStringGetCStringPtr(string, kCFStringEncodingUTF8)) {
    out = text;
    return true;
  }
  const CFIndex capacity =
      CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8);
  if (capacity < 0) return false;
  std::vector<char> buffer(static_cast<std::size_t>(capacity) + 1);
  if (!CFStringGetCString(string, buffer.data(), static_cast<CFIndex>(buffer.size()), kCFStringEncodingUTF8))
    return false;
  out = buffer.data();
  return true;
}

}  // namespace plugkit
