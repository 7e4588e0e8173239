#pragma once

// A bitmap rendition of an image, over a CoreGraphics image. Main thread only.

#include <AppKit/NSImageRep.h>
#include <CoreGraphics/CGImage.h>

namespace NS {

class NS_CLASS_EXPORT BitmapImageRep : public ImageRep {
public:
  BitmapImageRep() = default;

  // Keeps a reference to the image; its pixels are the image's and its size
  // in points starts at its pixel size. For a null image (or another CF
  // object) the object releases itself and answers null, as a failing
  // initialiser does.
  BitmapImageRep* initWithCGImage(CGImageRef image);
  // Not owned by the caller.
  CGImageRef CGImage() const { return image_; }

protected:
  ~BitmapImageRep() override;

private:
  CGImageRef image_ = nullptr;
};

}  // namespace NS
