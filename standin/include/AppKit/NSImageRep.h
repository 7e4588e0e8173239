#pragma once

// One rendition of an image: a size in points and, for bitmaps, pixels.
// Main thread only.

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

namespace NS {

class NS_CLASS_EXPORT ImageRep : public Object {
public:
  Size size() const { return size_; }
  void setSize(Size size) { size_ = size; }
  Integer pixelsWide() const { return pixelsWide_; }
  Integer pixelsHigh() const { return pixelsHigh_; }

protected:
  ImageRep() = default;
  ~ImageRep() override = default;
  // The size in points starts at the pixel size.
  void setPixels(Integer wide, Integer high);

private:
  Size size_{};
  Integer pixelsWide_ = 0;
  Integer pixelsHigh_ = 0;
};

}  // namespace NS
