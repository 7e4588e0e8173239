#pragma once

// Fonts of a face at a point size, over the CoreText descriptors; what text
// fields lay their text out with. Main thread only.

#include <CoreText/CTFontDescriptor.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

#include <memory>

namespace standin::appkit {
struct FontFace;
}

namespace NS {

class NS_CLASS_EXPORT Font : public Object {
public:
  // Autoreleased, holding a reference to the descriptor; null for a null one.
  // A size of 0 or less stands for 12 points. A descriptor that names no
  // readable face gives a font with fixed fallback metrics.
  static Font* fontWithDescriptorSize(CTFontDescriptorRef descriptor, CGFloat size);
  // Autoreleased: the catalogue's match for "sans-serif", or fallback metrics
  // when the catalogue has no fonts. A size of 0 or less stands for 13 points.
  static Font* systemFontOfSize(CGFloat size);

  CGFloat pointSize() const { return pointSize_; }
  // Not owned by the caller.
  CTFontDescriptorRef fontDescriptor() const { return descriptor_; }
  // The face's metrics scaled to the point size: the ascender above the
  // baseline (positive), the descender below it (negative), and the gap
  // between lines.
  CGFloat ascender() const;
  CGFloat descender() const;
  CGFloat leading() const;

protected:
  ~Font() override;

private:
  friend struct standin::appkit::FontFace;
  // Takes over the caller's reference to the descriptor.
  Font(CTFontDescriptorRef descriptor, CGFloat pointSize);

  CTFontDescriptorRef descriptor_;
  CGFloat pointSize_;
  std::unique_ptr<const standin::appkit::FontFace> face_;
};

}  // namespace NS
