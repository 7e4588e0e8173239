#pragma once

// Images: a size in points and bitmap representations. Files are read as
// rasters only, decoded by their content (PNG or JPEG). Every call does
// nothing, or answers null, for a null argument. Main thread only.

#include <AppKit/NSImageRep.h>
#include <CoreFoundation/CFString.h>
#include <CoreGraphics/CGImage.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

#include <vector>

// The hint whose value (an NS::AffineTransform) scales what an image renders.
extern const CFStringRef NSImageHintCTM;

namespace NS {

class GraphicsContext;

// One hint of an image rendering. NS objects stay out of CF dictionaries, so
// hints come as a list of these.
struct ImageHint {
  CFStringRef key = nullptr;
  Object* value = nullptr;
};

class NS_CLASS_EXPORT Image : public Object {
public:
  Image() = default;

  Image* initWithSize(Size size);
  // Decodes the file now; its size in points is its pixel size. Anything not
  // decoded (a missing file, a PDF, sides beyond 16384 pixels) gives an
  // invalid image of size zero without representations. A path under
  // "/System/Library/" lies below the machine-domain root.
  Image* initByReferencingFile(CFStringRef path);

  Size size() const { return size_; }
  void setSize(Size size) { size_ = size; }
  // Whether the image has a representation to draw.
  bool isValid() const { return !representations_.empty(); }

  // The image keeps a reference; the first one gives a sizeless image its size.
  void addRepresentation(ImageRep* representation);
  // Not owned by the caller.
  const std::vector<ImageRep*>& representations() const { return representations_; }

  // The largest bitmap representation rendered at the proposed rectangle's
  // size (the image's size when null) in points, times the scale of an
  // NSImageHintCTM transform: resampled (bilinear) unless the pixel size
  // matches. Autoreleased; null for an image without bitmaps or an empty size.
  // The context is not consulted.
  CGImageRef CGImageForProposedRectContextHints(Rect* proposedRect, GraphicsContext* context,
                                                const std::vector<ImageHint>& hints);

protected:
  ~Image() override;

private:
  Size size_{};
  std::vector<ImageRep*> representations_;
};

}  // namespace NS
