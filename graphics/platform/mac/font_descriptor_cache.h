#pragma once

#include <CoreText/CoreText.h>

#include "graphics/platform_font.h"

namespace plugkit::graphics {

// A cached font's descriptor, for native text fields that show the same face
// the editor draws, and the factor that turns a line height into the font
// size giving it: unitsPerEm / (ascender - descender), or 1 when a malformed
// font's ascender does not lie above its descender.
class CoreTextFontDescriptor {
public:
  // Keeps a reference of its own to the descriptor.
  CoreTextFontDescriptor(CTFontDescriptorRef descriptor, double heightRatio);
  ~CoreTextFontDescriptor();
  CoreTextFontDescriptor(const CoreTextFontDescriptor&) = delete;
  CoreTextFontDescriptor& operator=(const CoreTextFontDescriptor&) = delete;

  CTFontDescriptorRef GetDescriptor() const { return mDescriptor; }
  double GetHeightRatio() const { return mHeightRatio; }

private:
  CTFontDescriptorRef mDescriptor;
  double mHeightRatio;
};

// The process-wide font-descriptor cache that every graphics context shares.
// Each context retains it while it lives; the release that leaves no user
// empties it. The cache itself is never destroyed, so a context that goes
// while the process tears down still finds it. Any thread.
void RetainFontDescriptorCache();
void ReleaseFontDescriptorCache();

// Keeps the font's descriptor under the font id at scale 1, unless an entry is
// there already: the first font cached under an id stays until the cache empties.
void CacheFontDescriptor(const char* fontID, PlatformFont& font);

// The entry of the font name at the scale; null when there is none. It lives
// while the caller's context keeps the cache retained.
const CoreTextFontDescriptor* FindFontDescriptor(const char* fontName, double scale = 1.0);

}  // namespace plugkit::graphics
