#include <CoreGraphics/CGFont.h>

#include "fonts/face_names.h"
#include "fonts/font_objects.h"

CGFontObject::CGFontObject(const CGDataProviderObject& faceProvider, std::string familyName, std::string styleName)
    : provider(faceProvider), family(std::move(familyName)), style(std::move(styleName)) {
  provider.Retain();
}

CGFontObject::~CGFontObject() { provider.Release(); }

extern "C" {

CFTypeID CGFontGetTypeID(void) { return CGFontObject::kTypeID; }

CGFontRef CGFontCreateWithDataProvider(CGDataProviderRef provider) {
  const auto* object = standin::cf::As<CGDataProviderObject>(provider);
  if (object == nullptr) return nullptr;
  auto names = standin::fonts::ReadFirstFaceNames(object->Bytes(), object->Size());
  if (!names) return nullptr;
  return new CGFontObject(*object, std::move(names->family), std::move(names->style));
}

CGFontRef CGFontRetain(CGFontRef font) { return static_cast<CGFontRef>(const_cast<void*>(CFRetain(font))); }

void CGFontRelease(CGFontRef font) { CFRelease(font); }

}  // extern "C"
