#include <CoreText/CTFont.h>

#include "fonts/font_objects.h"

namespace {

constexpr int kFirstFace = 0;

}  // namespace

CTFontObject::CTFontObject(const CGFontObject& graphicsFont)
    : font(graphicsFont),
      descriptor(standin::fonts::MakeFaceDescriptor(font.family, font.style, font.provider.URL(), &font.provider,
                                                    kFirstFace)) {
  font.Retain();
}

CTFontObject::~CTFontObject() {
  descriptor->Release();
  font.Release();
}

extern "C" {

CFTypeID CTFontGetTypeID(void) { return CTFontObject::kTypeID; }

CTFontRef CTFontCreateWithGraphicsFont(CGFontRef graphicsFont, CGFloat, const CGAffineTransform*,
                                       CTFontDescriptorRef) {
  const auto* font = standin::cf::As<CGFontObject>(graphicsFont);
  return font == nullptr ? nullptr : new CTFontObject(*font);
}

CTFontDescriptorRef CTFontCopyFontDescriptor(CTFontRef font) {
  const auto* object = standin::cf::As<CTFontObject>(font);
  if (object == nullptr) return nullptr;
  object->descriptor->Retain();
  return object->descriptor;
}

}  // extern "C"
