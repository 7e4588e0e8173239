// Info.plist reader: any bytes give either a clean refusal with no entries or
// entries whose keys and values are valid UTF-8.
#include <CoreFoundation/CFString.h>

#include <standin/testing/bundles.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

namespace {

bool IsText(const std::string& text) {
  CFStringRef string = CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                               static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false);
  if (string == nullptr) return false;
  CFRelease(string);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::map<std::string, std::string> entries;
  const bool parsed =
      standin::testing::ParseInfoPlist(std::string_view(reinterpret_cast<const char*>(data), size), entries);
  if (!parsed && !entries.empty()) std::abort();
  for (const auto& [key, value] : entries) {
    if (!IsText(key) || !IsText(value)) std::abort();
  }
  return 0;
}
