#include <CoreGraphics/CGDataProvider.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "cf_string.h"
#include "fonts/font_objects.h"

namespace {

constexpr std::string_view kFileScheme = "file://";
constexpr CFIndex kMaxPathBytes = 4096;

}  // namespace

CGDataProviderObject::CGDataProviderObject(std::vector<UInt8> fileBytes, CFURLRef fileURL)
    : fileBytes_(std::move(fileBytes)),
      url_(static_cast<CFURLRef>(CFRetain(fileURL))),
      data_(fileBytes_.data()),
      size_(fileBytes_.size()) {}

CGDataProviderObject::CGDataProviderObject(void* info, const void* data, size_t size,
                                           CGDataProviderReleaseDataCallback releaseData)
    : info_(info), data_(data), size_(size), releaseData_(releaseData) {}

CGDataProviderObject::~CGDataProviderObject() {
  if (releaseData_ != nullptr) releaseData_(info_, data_, size_);
  CFRelease(url_);
}

using standin::cf::As;

extern "C" {

CFTypeID CGDataProviderGetTypeID(void) { return CGDataProviderObject::kTypeID; }

CGDataProviderRef CGDataProviderCreateWithURL(CFURLRef url) {
  UInt8 path[kMaxPathBytes];
  if (url == nullptr || !standin::cf::StringText(CFURLGetString(url)).starts_with(kFileScheme) ||
      !CFURLGetFileSystemRepresentation(url, true, path, sizeof path)) {
    return nullptr;
  }
  const char* fileName = reinterpret_cast<const char*>(path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error)) return nullptr;
  std::ifstream file(fileName, std::ios::binary);
  std::vector<UInt8> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file && !file.eof()) return nullptr;
  return new CGDataProviderObject(std::move(bytes), url);
}

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData) {
  if (data == nullptr && size > 0) return nullptr;
  return new CGDataProviderObject(info, data, size, releaseData);
}

CFDataRef CGDataProviderCopyData(CGDataProviderRef provider) {
  const auto* object = As<CGDataProviderObject>(provider);
  if (object == nullptr) return nullptr;
  return CFDataCreate(kCFAllocatorDefault, object->Bytes(), static_cast<CFIndex>(object->Size()));
}

CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider) {
  return static_cast<CGDataProviderRef>(const_cast<void*>(CFRetain(provider)));
}

void CGDataProviderRelease(CGDataProviderRef provider) { CFRelease(provider); }

}  // extern "C"
