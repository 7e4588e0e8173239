#pragma once

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include <memory>

#include "common/str_buf.h"
#include "graphics/platform_font.h"

namespace plugkit::graphics {

// A font loaded through CoreText: its descriptor, the provider of its bytes
// and, for an installed font, the style it was asked for. Made on the main
// thread; its bytes may be read from any.
class CoreTextFont final : public PlatformFont {
public:
  // Takes over one reference to the descriptor and one to the provider.
  CoreTextFont(CTFontDescriptorRef descriptor, CGDataProviderRef provider, bool system, const char* styleName);
  ~CoreTextFont() override;

  // A font file found as a bundle resource of type "ttf" (in the bundle with
  // that identifier, then the shared resources folder, then as a path).
  static std::unique_ptr<CoreTextFont> LoadFromResource(const char* fileNameOrResID, const char* bundleID,
                                                        const char* sharedResourcesSubPath);
  // A font of a copy of the bytes; the caller's buffer may go at once.
  static std::unique_ptr<CoreTextFont> LoadFromMemory(const void* data, int dataSize);
  // The first installed face of the family in the style's name ("Regular",
  // "Bold", "Italic") whose file can be read.
  static std::unique_ptr<CoreTextFont> LoadByName(const char* fontName, ETextStyle style);

  const void* GetDescriptor() override { return mDescriptor; }
  // The file's bytes and the face in them: face 0 unless a style was asked
  // for in a collection, whose faces are searched for a style name equal to
  // it (FontData::kNoFace when none has it). Null when the bytes cannot be had.
  std::unique_ptr<FontData> GetFontData() override;

  // Empty unless the font was found among the installed fonts.
  const char* GetStyleName() const { return mStyleName.Get(); }

private:
  int FindFaceIndex(const unsigned char* bytes, int size) const;

  CTFontDescriptorRef mDescriptor;
  CGDataProviderRef mProvider;
  StrBuf mStyleName;
};

}  // namespace plugkit::graphics
