#include "host/cf_text.h"

namespace orvane::host {

std::optional<std::string> CFStringText(CFStringRef string) {
  if (string == nullptr) return std::nullopt;
  const CFIndex capacity = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string text(static_cast<std::size_t>(capacity), '\0');
  if (!CFStringGetCString(string, text.data(), capacity, kCFStringEncodingUTF8)) return std::nullopt;
  text.resize(text.find('\0'));
  return text;
}

bool IsUtf8Text(std::string_view bytes) {
  const CFStringRef string = CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()),
                                                     static_cast<CFIndex>(bytes.size()), kCFStringEncodingUTF8, false);
  if (string == nullptr) return false;
  CFRelease(string);
  return true;
}

}  // namespace orvane::host
