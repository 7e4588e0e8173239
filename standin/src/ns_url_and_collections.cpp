// NSURL, NSDictionary and NSArray over their bridged CF types, and NSAffineTransform.

#include <CoreFoundation/CFNumber.h>
#include <Foundation/NSAffineTransform.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSFileManager.h>
#include <Foundation/NSURL.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "cf_string.h"
#include "property_list.h"
#include "system_paths.h"
#include "usage_checks.h"

namespace {

// Far beyond any property list the platform keeps; a larger file is refused unread.
constexpr std::uintmax_t kMaxPropertyListBytes = std::uintmax_t(16) << 20;
constexpr std::string_view kFileScheme = "file:";

template <typename Ref>
Ref Autoreleased(Ref ref) {
  return static_cast<Ref>(CFAutorelease(ref));
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxPropertyListBytes) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return std::nullopt;
  return text;
}

}  // namespace

namespace NS {

CFURLRef URL::URLWithString(CFStringRef text) {
  if (text == nullptr) return nullptr;
  CFURLRef url = CFURLCreateWithString(nullptr, text, nullptr);
  return url != nullptr ? Autoreleased(url) : nullptr;
}

CFURLRef URL::fileURLWithPath(CFStringRef path) {
  if (path == nullptr) return nullptr;
  bool isDirectory = false;
  FileManager::defaultManager()->fileExistsAtPathIsDirectory(path, &isDirectory);
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path, kCFURLPOSIXPathStyle, isDirectory);
  return url != nullptr ? Autoreleased(url) : nullptr;
}

CFStringRef URL::absoluteString(CFURLRef url) { return url != nullptr ? CFURLGetString(url) : nullptr; }

CFStringRef URL::path(CFURLRef url) {
  CFStringRef path = url != nullptr ? CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle) : nullptr;
  return path != nullptr ? Autoreleased(path) : nullptr;
}

CFDictionaryRef Dictionary::dictionaryWithContentsOfURL(CFURLRef url) {
  if (url == nullptr || !standin::cf::StringText(CFURLGetString(url)).starts_with(kFileScheme)) return nullptr;
  const std::string path = standin::cf::StringText(URL::path(url));
  const std::optional<std::string> text = ReadSmallFile(standin::foundation::SystemFilePath(path));
  if (!text) return nullptr;
  CFPropertyListRef list = standin::cf::CreatePropertyListFromXML(*text);
  if (list == nullptr) return nullptr;
  if (CFGetTypeID(list) != CFDictionaryGetTypeID()) {
    CFRelease(list);
    return nullptr;
  }
  return Autoreleased(static_cast<CFDictionaryRef>(list));
}

CFTypeRef Dictionary::objectForKey(CFDictionaryRef dictionary, CFTypeRef key) {
  if (dictionary == nullptr || key == nullptr) return nullptr;
  return CFDictionaryGetValue(dictionary, key);
}

CFTypeRef Array::objectAtIndexedSubscript(CFArrayRef array, UInteger index) {
  if (array == nullptr) return nullptr;
  if (index >= static_cast<UInteger>(CFArrayGetCount(array))) {
    standin::appkit::CountValidationError();
    return nullptr;
  }
  return CFArrayGetValueAtIndex(array, static_cast<CFIndex>(index));
}

AffineTransform* AffineTransform::transform() {
  return static_cast<AffineTransform*>((new AffineTransform)->autorelease());
}

void AffineTransform::scaleBy(CGFloat scale) {
  transform_.a *= scale;
  transform_.b *= scale;
  transform_.c *= scale;
  transform_.d *= scale;
}

}  // namespace NS
