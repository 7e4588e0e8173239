#include "graphics/platform/mac/cf_string.h"

#include "common/utf8_text.h"

namespace plugkit::graphics {

CFOwned<CFStringRef> MakeCFString(const char* utf8) {
  return CFOwned<CFStringRef>(CFStringCreateWithCString(kCFAllocatorDefault, utf8 ? utf8 : "", kCFStringEncodingUTF8));
}

CFOwned<CFStringRef> MakeDisplayCFString(const char* utf8) {
  return MakeCFString(Utf8ReplaceInvalid(utf8 ? utf8 : ""));
}

std::string CFStringText(CFStringRef string) {
  if (!string) return {};
  if (const char* direct = CFStringGetCStringPtr(string, kCFStringEncodingUTF8)) return direct;
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!CFStringGetCString(string, text.data(), size, kCFStringEncodingUTF8)) return {};
  text.resize(text.find('\0'));
  return text;
}

}  // namespace plugkit::graphics
