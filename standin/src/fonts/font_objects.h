#pragma once

// The objects behind the CoreGraphics and CoreText font references.

#include <CoreGraphics/CGDataProvider.h>
#include <CoreGraphics/CGFont.h>
#include <CoreText/CTFont.h>
#include <CoreText/CTFontDescriptor.h>

#include <string>
#include <vector>

#include "cf_object.h"

struct CGDataProviderObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();

  // The bytes of a file, with its URL.
  CGDataProviderObject(std::vector<UInt8> fileBytes, CFURLRef fileURL);
  // The caller's bytes, handed back to the callback when the provider is freed.
  CGDataProviderObject(void* info, const void* data, size_t size, CGDataProviderReleaseDataCallback releaseData);
  ~CGDataProviderObject() override;

  CFTypeID TypeID() const override { return kTypeID; }

  const UInt8* Bytes() const { return static_cast<const UInt8*>(data_); }
  size_t Size() const { return size_; }
  // The file's URL; null for bytes in memory.
  CFURLRef URL() const { return url_; }

private:
  std::vector<UInt8> fileBytes_;
  CFURLRef url_ = nullptr;
  void* info_ = nullptr;
  const void* data_;
  size_t size_;
  CGDataProviderReleaseDataCallback releaseData_ = nullptr;
};

struct CGFontObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();

  // Keeps a reference to the provider.
  CGFontObject(const CGDataProviderObject& provider, std::string familyName, std::string styleName);
  ~CGFontObject() override;

  CFTypeID TypeID() const override { return kTypeID; }

  const CGDataProviderObject& provider;
  const std::string family;
  const std::string style;
};

struct CTFontDescriptorObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();

  // Takes over the attributes; keeps a reference to the provider, if any.
  CTFontDescriptorObject(CFDictionaryRef attributeDictionary, const CGDataProviderObject* faceProvider,
                         int faceIndexInBytes);
  ~CTFontDescriptorObject() override;

  CFTypeID TypeID() const override { return kTypeID; }

  const CFDictionaryRef attributes;
  // Where the face's bytes are: the provider of the font the descriptor was
  // copied from, or else the file of its URL; and the face's index there.
  const CGDataProviderObject* const provider;
  const int faceIndex;
};

struct CTFontObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();

  // Keeps a reference to the graphics font and makes the face's descriptor.
  explicit CTFontObject(const CGFontObject& graphicsFont);
  ~CTFontObject() override;

  CFTypeID TypeID() const override { return kTypeID; }

  const CGFontObject& font;
  const CTFontDescriptorObject* const descriptor;
};

namespace standin::fonts {

// A descriptor of family, style and, when given, the file's URL (retained).
const CTFontDescriptorObject* MakeFaceDescriptor(const std::string& family, const std::string& style, CFURLRef url,
                                                 const CGDataProviderObject* provider, int faceIndex);

struct InstalledFace;
// A descriptor of an installed face: its family, style and file URL.
const CTFontDescriptorObject* MakeInstalledFaceDescriptor(const InstalledFace& face);

}  // namespace standin::fonts
