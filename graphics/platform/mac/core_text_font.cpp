#include "graphics/platform/mac/core_text_font.h"

#include <climits>
#include <cstring>

#include "framework/core/paths.h"
#include "graphics/platform/mac/cf_owned.h"
#include "graphics/platform/mac/cf_string.h"

namespace plugkit::graphics {
namespace {

constexpr const char* kFontResourceType = "ttf";
constexpr const char* kRegularStyle = "Regular";
constexpr const char* kBoldStyle = "Bold";
constexpr const char* kItalicStyle = "Italic";
// Size 0 asks for the default size; no size changes which face a font is.
constexpr CGFloat kDefaultFontSize = 0.0;

const char* StyleName(ETextStyle style) {
  switch (style) {
    case ETextStyle::Bold: return kBoldStyle;
    case ETextStyle::Italic: return kItalicStyle;
    default: return kRegularStyle;
  }
}

// The descriptor of the first face of the provider's bytes; null when they hold none.
CFOwned<CTFontDescriptorRef> CopyFaceDescriptor(CGDataProviderRef provider) {
  const CFOwned<CGFontRef> graphicsFont(CGFontCreateWithDataProvider(provider));
  if (!graphicsFont) return nullptr;
  const CFOwned<CTFontRef> font(CTFontCreateWithGraphicsFont(graphicsFont.get(), kDefaultFontSize, nullptr, nullptr));
  if (!font) return nullptr;
  return CFOwned<CTFontDescriptorRef>(CTFontCopyFontDescriptor(font.get()));
}

// A font file's font: not an installed one, no style asked for.
std::unique_ptr<CoreTextFont> FontOfProvider(CFOwned<CGDataProviderRef> provider) {
  if (!provider) return nullptr;
  CFOwned<CTFontDescriptorRef> descriptor = CopyFaceDescriptor(provider.get());
  if (!descriptor) return nullptr;
  return std::make_unique<CoreTextFont>(descriptor.release(), provider.release(), false, "");
}

void DeleteCopiedBytes(void*, const void* data, size_t) { delete[] static_cast<const unsigned char*>(data); }

// A provider over the bytes of the file the match names; null when it names none that can be read.
CFOwned<CGDataProviderRef> ProviderOfMatch(CTFontDescriptorRef match) {
  const CFOwned<CFTypeRef> url(CTFontDescriptorCopyAttribute(match, kCTFontURLAttribute));
  if (!url || CFGetTypeID(url.get()) != CFURLGetTypeID()) return nullptr;
  return CFOwned<CGDataProviderRef>(CGDataProviderCreateWithURL(static_cast<CFURLRef>(url.get())));
}

}  // namespace

CoreTextFont::CoreTextFont(CTFontDescriptorRef descriptor, CGDataProviderRef provider, bool system,
                           const char* styleName)
    : PlatformFont(system), mDescriptor(descriptor), mProvider(provider), mStyleName(styleName) {}

CoreTextFont::~CoreTextFont() {
  CFRelease(mDescriptor);
  CGDataProviderRelease(mProvider);
}

std::unique_ptr<CoreTextFont> CoreTextFont::LoadFromResource(const char* fileNameOrResID, const char* bundleID,
                                                             const char* sharedResourcesSubPath) {
  StrBuf path;
  if (!FindResourcePath(fileNameOrResID, kFontResourceType, path, bundleID ? bundleID : "", nullptr,
                        sharedResourcesSubPath)) {
    return nullptr;
  }
  const CFOwned<CFStringRef> pathString = MakeCFString(path.Get());
  if (!pathString) return nullptr;
  const CFOwned<CFURLRef> url(
      CFURLCreateWithFileSystemPath(kCFAllocatorDefault, pathString.get(), kCFURLPOSIXPathStyle, false));
  if (!url) return nullptr;
  return FontOfProvider(CFOwned<CGDataProviderRef>(CGDataProviderCreateWithURL(url.get())));
}

std::unique_ptr<CoreTextFont> CoreTextFont::LoadFromMemory(const void* data, int dataSize) {
  if (data == nullptr || dataSize <= 0) return nullptr;
  auto* copy = new unsigned char[static_cast<size_t>(dataSize)];
  std::memcpy(copy, data, static_cast<size_t>(dataSize));
  CFOwned<CGDataProviderRef> provider(
      CGDataProviderCreateWithData(nullptr, copy, static_cast<size_t>(dataSize), DeleteCopiedBytes));
  if (!provider) {
    delete[] copy;
    return nullptr;
  }
  return FontOfProvider(std::move(provider));
}

std::unique_ptr<CoreTextFont> CoreTextFont::LoadByName(const char* fontName, ETextStyle style) {
  const char* styleName = StyleName(style);
  const CFOwned<CFStringRef> family = MakeCFString(fontName);
  const CFOwned<CFStringRef> styleString = MakeCFString(styleName);
  if (!family || !styleString) return nullptr;
  const void* keys[] = {kCTFontFamilyNameAttribute, kCTFontStyleNameAttribute};
  const void* values[] = {family.get(), styleString.get()};
  constexpr CFIndex kAttributeCount = 2;
  const CFOwned<CFDictionaryRef> attributes(CFDictionaryCreate(kCFAllocatorDefault, keys, values, kAttributeCount,
                                                               &kCFTypeDictionaryKeyCallBacks,
                                                               &kCFTypeDictionaryValueCallBacks));
  const CFOwned<CTFontDescriptorRef> wanted(CTFontDescriptorCreateWithAttributes(attributes.get()));
  const CFOwned<CFSetRef> mandatory(CFSetCreate(kCFAllocatorDefault, keys, kAttributeCount, &kCFTypeSetCallBacks));
  if (!wanted || !mandatory) return nullptr;
  const CFOwned<CFArrayRef> matches(CTFontDescriptorCreateMatchingFontDescriptors(wanted.get(), mandatory.get()));
  for (CFIndex i = 0; i < CFArrayGetCount(matches.get()); ++i) {
    const auto match = static_cast<CTFontDescriptorRef>(CFArrayGetValueAtIndex(matches.get(), i));
    if (CFOwned<CGDataProviderRef> provider = ProviderOfMatch(match)) {
      CFRetain(match);
      return std::make_unique<CoreTextFont>(match, provider.release(), true, styleName);
    }
  }
  return nullptr;
}

std::unique_ptr<FontData> CoreTextFont::GetFontData() {
  const CFOwned<CFDataRef> bytes(CGDataProviderCopyData(mProvider));
  if (!bytes || CFDataGetLength(bytes.get()) > INT_MAX) return nullptr;
  const unsigned char* data = CFDataGetBytePtr(bytes.get());
  const int size = static_cast<int>(CFDataGetLength(bytes.get()));
  return std::make_unique<FontData>(data, size, FindFaceIndex(data, size));
}

int CoreTextFont::FindFaceIndex(const unsigned char* bytes, int size) const {
  // A single font is the face whatever its style is called: the catalogue
  // matched it on its own style names, which need not include name 2.
  if (mStyleName.GetLength() == 0 || !FontFaceInfo::IsCollection(bytes, size)) return 0;
  for (int faceIdx = 0;; ++faceIdx) {
    const FontFaceInfo face(bytes, size, faceIdx);
    if (!face.IsValid()) return FontData::kNoFace;
    if (face.GetStyle().GetLength() > 0 && std::strcmp(face.GetStyle().Get(), mStyleName.Get()) == 0) return faceIdx;
  }
}

}  // namespace plugkit::graphics
