#include <CoreText/CTFontDescriptor.h>

#include <CoreFoundation/CFURL.h>

#include <optional>
#include <string>
#include <vector>

#include "cf_string.h"
#include "fonts/font_catalogue.h"
#include "fonts/font_objects.h"

namespace {

constexpr int kAttributeCount = 3;

CFDictionaryRef CopyAttributes(CFDictionaryRef attributes) {
  const CFIndex count = CFDictionaryGetCount(attributes);
  std::vector<const void*> keys(static_cast<std::size_t>(count)), values(static_cast<std::size_t>(count));
  CFDictionaryGetKeysAndValues(attributes, keys.data(), values.data());
  return CFDictionaryCreate(kCFAllocatorDefault, keys.data(), values.data(), count, &kCFTypeDictionaryKeyCallBacks,
                            &kCFTypeDictionaryValueCallBacks);
}

// The descriptor's text under the key when the key filters the match.
std::optional<std::string> Wanted(const CTFontDescriptorObject& descriptor, CFSetRef mandatory, CFStringRef key) {
  if (mandatory != nullptr && !CFSetContainsValue(mandatory, key)) return std::nullopt;
  const auto* value = standin::cf::As<CFStringObject>(CFDictionaryGetValue(descriptor.attributes, key));
  if (value == nullptr) return std::nullopt;
  return value->utf8;
}

CFURLRef FileURL(const std::string& path) {
  CFStringRef text = standin::cf::MakeString(path);
  CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, text, kCFURLPOSIXPathStyle, false);
  CFRelease(text);
  return url;
}

}  // namespace

// Our own key texts; only the constants are compared.
const CFStringRef kCTFontFamilyNameAttribute = CFStringMakeConstantString("CTFontFamilyName");
const CFStringRef kCTFontStyleNameAttribute = CFStringMakeConstantString("CTFontStyleName");
const CFStringRef kCTFontURLAttribute = CFStringMakeConstantString("CTFontURL");

CTFontDescriptorObject::CTFontDescriptorObject(CFDictionaryRef attributeDictionary,
                                               const CGDataProviderObject* faceProvider, int faceIndexInBytes)
    : attributes(attributeDictionary), provider(faceProvider), faceIndex(faceIndexInBytes) {
  if (provider != nullptr) provider->Retain();
}

CTFontDescriptorObject::~CTFontDescriptorObject() {
  if (provider != nullptr) provider->Release();
  CFRelease(attributes);
}

const CTFontDescriptorObject* standin::fonts::MakeFaceDescriptor(const std::string& family, const std::string& style,
                                                                 CFURLRef url, const CGDataProviderObject* provider,
                                                                 int faceIndex) {
  CFStringRef familyName = cf::MakeString(family);
  CFStringRef styleName = cf::MakeString(style);
  // The URL comes last, so leaving it out when there is none is counting one fewer.
  const void* keys[kAttributeCount] = {kCTFontFamilyNameAttribute, kCTFontStyleNameAttribute, kCTFontURLAttribute};
  const void* values[kAttributeCount] = {familyName, styleName, url};
  const CFIndex count = url == nullptr ? kAttributeCount - 1 : kAttributeCount;
  CFDictionaryRef attributes = CFDictionaryCreate(kCFAllocatorDefault, keys, values, count,
                                                  &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFRelease(familyName);
  CFRelease(styleName);
  return new CTFontDescriptorObject(attributes, provider, faceIndex);
}

const CTFontDescriptorObject* standin::fonts::MakeInstalledFaceDescriptor(const InstalledFace& face) {
  CFURLRef url = FileURL(face.path);
  const CTFontDescriptorObject* descriptor = MakeFaceDescriptor(face.family, face.style, url, nullptr, face.index);
  CFRelease(url);
  return descriptor;
}

extern "C" {

CFTypeID CTFontDescriptorGetTypeID(void) { return CTFontDescriptorObject::kTypeID; }

CTFontDescriptorRef CTFontDescriptorCreateWithAttributes(CFDictionaryRef attributes) {
  if (attributes == nullptr || CFGetTypeID(attributes) != CFDictionaryGetTypeID()) return nullptr;
  return new CTFontDescriptorObject(CopyAttributes(attributes), nullptr, 0);
}

CFArrayRef CTFontDescriptorCreateMatchingFontDescriptors(CTFontDescriptorRef descriptor, CFSetRef mandatoryAttributes) {
  const auto* object = standin::cf::As<CTFontDescriptorObject>(descriptor);
  if (object == nullptr) return nullptr;
  const auto faces = standin::fonts::FindInstalledFaces(Wanted(*object, mandatoryAttributes, kCTFontFamilyNameAttribute),
                                                        Wanted(*object, mandatoryAttributes, kCTFontStyleNameAttribute));
  if (faces.empty()) return nullptr;
  CFMutableArrayRef matches = CFArrayCreateMutable(kCFAllocatorDefault, static_cast<CFIndex>(faces.size()),
                                                   &kCFTypeArrayCallBacks);
  for (const standin::fonts::InstalledFace& face : faces) {
    const CTFontDescriptorObject* match = standin::fonts::MakeInstalledFaceDescriptor(face);
    CFArrayAppendValue(matches, match);
    match->Release();
  }
  return matches;
}

CFTypeRef CTFontDescriptorCopyAttribute(CTFontDescriptorRef descriptor, CFStringRef attribute) {
  const auto* object = standin::cf::As<CTFontDescriptorObject>(descriptor);
  if (object == nullptr) return nullptr;
  return CFRetain(CFDictionaryGetValue(object->attributes, attribute));
}

}  // extern "C"
