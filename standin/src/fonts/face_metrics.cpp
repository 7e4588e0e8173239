#include "fonts/face_metrics.h"

#include FT_ADVANCES_H

#include <CoreFoundation/CFURL.h>

#include "cf_string.h"
#include "fonts/font_catalogue.h"
#include "fonts/font_objects.h"

namespace standin::fonts {
namespace {

std::optional<std::string> StringAttribute(const CTFontDescriptorObject& descriptor, CFStringRef key) {
  const auto* value = cf::As<CFStringObject>(CFDictionaryGetValue(descriptor.attributes, key));
  if (value == nullptr) return std::nullopt;
  return value->utf8;
}

std::optional<std::string> FilePath(CFTypeRef url) {
  if (url == nullptr || CFGetTypeID(url) != CFURLGetTypeID()) return std::nullopt;
  CFStringRef path = CFURLCopyFileSystemPath(static_cast<CFURLRef>(url), kCFURLPOSIXPathStyle);
  if (path == nullptr) return std::nullopt;
  std::string text = cf::StringText(path);
  CFRelease(path);
  return text;
}

}  // namespace

std::optional<FaceMetrics> ReadFaceMetrics(const FaceSource& source) {
  std::optional<FaceMetrics> metrics;
  UseFace(source, [&metrics](FT_Face face) {
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return;
    const double em = face->units_per_EM;
    metrics = FaceMetrics{face->ascender / em, face->descender / em,
                          (face->height - (face->ascender - face->descender)) / em};
  });
  return metrics;
}

std::vector<double> ReadAdvances(const FaceSource& source, const std::u32string& text) {
  std::vector<double> advances;
  UseFace(source, [&](FT_Face face) {
    if (face->units_per_EM == 0) return;
    advances.reserve(text.size());
    for (const char32_t c : text) {
      FT_Fixed advance = 0;
      FT_Get_Advance(face, FT_Get_Char_Index(face, c), FT_LOAD_NO_SCALE, &advance);
      advances.push_back(static_cast<double>(advance) / face->units_per_EM);
    }
  });
  return advances;
}

std::optional<FaceSource> FaceOfDescriptor(const CTFontDescriptorObject& descriptor) {
  if (descriptor.provider != nullptr) {
    return FaceSource{descriptor.provider->Bytes(), descriptor.provider->Size(), {}, descriptor.faceIndex};
  }
  if (auto path = FilePath(CFDictionaryGetValue(descriptor.attributes, kCTFontURLAttribute))) {
    return FaceSource{nullptr, 0, std::move(*path), descriptor.faceIndex};
  }
  const auto faces = FindInstalledFaces(StringAttribute(descriptor, kCTFontFamilyNameAttribute),
                                        StringAttribute(descriptor, kCTFontStyleNameAttribute));
  if (faces.empty()) return std::nullopt;
  return FaceSource{nullptr, 0, faces.front().path, faces.front().index};
}

}  // namespace standin::fonts
