#include <AppKit/NSFont.h>

#include "appkit/font_face.h"
#include "cf_string.h"
#include "fonts/font_catalogue.h"
#include "fonts/font_objects.h"
#include "usage_checks.h"

namespace standin::appkit {
namespace {

constexpr NS::CGFloat kDefaultPointSize = 12.0;
constexpr NS::CGFloat kSystemFontSize = 13.0;
constexpr const char* kSystemFamily = "sans-serif";

// A plain sans-serif's proportions, for a font without a readable face.
constexpr fonts::FaceMetrics kFallbackMetrics{0.93, -0.24, 0.0};
constexpr double kFallbackAdvance = 0.6;

CTFontDescriptorRef SystemFontDescriptor() {
  if (const auto face = fonts::MatchInstalledFace(kSystemFamily)) return fonts::MakeInstalledFaceDescriptor(*face);
  CFStringRef family = cf::MakeString(kSystemFamily);
  const void* keys[] = {kCTFontFamilyNameAttribute};
  const void* values[] = {family};
  CFDictionaryRef attributes = CFDictionaryCreate(kCFAllocatorDefault, keys, values, 1,
                                                  &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CTFontDescriptorRef descriptor = CTFontDescriptorCreateWithAttributes(attributes);
  CFRelease(attributes);
  CFRelease(family);
  return descriptor;
}

}  // namespace

FontFace::FontFace(const CTFontDescriptorObject& descriptor)
    : metrics(kFallbackMetrics), source(fonts::FaceOfDescriptor(descriptor)) {
  const auto read = source ? fonts::ReadFaceMetrics(*source) : std::nullopt;
  if (read) {
    metrics = *read;
  } else {
    source.reset();
  }
}

std::vector<double> Advances(const NS::Font& font, const std::u32string& text) {
  const FontFace& face = FontFace::Of(font);
  std::vector<double> advances;
  if (face.source) advances = fonts::ReadAdvances(*face.source, text);
  if (advances.size() != text.size()) advances.assign(text.size(), kFallbackAdvance);
  for (double& advance : advances) advance *= font.pointSize();
  return advances;
}

}  // namespace standin::appkit

namespace NS {

Font::Font(CTFontDescriptorRef descriptor, CGFloat pointSize)
    : descriptor_(descriptor), pointSize_(pointSize), face_(std::make_unique<standin::appkit::FontFace>(*descriptor)) {}

Font::~Font() { CFRelease(descriptor_); }

Font* Font::fontWithDescriptorSize(CTFontDescriptorRef descriptor, CGFloat size) {
  standin::appkit::CheckMainThread();
  if (standin::cf::As<CTFontDescriptorObject>(descriptor) == nullptr) return nullptr;
  CFRetain(descriptor);
  const CGFloat pointSize = size > 0.0 ? size : standin::appkit::kDefaultPointSize;
  return static_cast<Font*>((new Font(descriptor, pointSize))->autorelease());
}

Font* Font::systemFontOfSize(CGFloat size) {
  standin::appkit::CheckMainThread();
  const CGFloat pointSize = size > 0.0 ? size : standin::appkit::kSystemFontSize;
  return static_cast<Font*>((new Font(standin::appkit::SystemFontDescriptor(), pointSize))->autorelease());
}

CGFloat Font::ascender() const { return face_->metrics.ascender * pointSize_; }
CGFloat Font::descender() const { return face_->metrics.descender * pointSize_; }
CGFloat Font::leading() const { return face_->metrics.lineGap * pointSize_; }

}  // namespace NS
