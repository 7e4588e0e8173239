#pragma once

// Affine transforms as objects, for the calls that take one (image hints).
// Any thread, one thread per object at a time.

#include <CoreGraphics/CGAffineTransform.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

namespace NS {

class NS_CLASS_EXPORT AffineTransform : public Object {
public:
  // The identity, autoreleased.
  static AffineTransform* transform();

  // Scales both axes, after what the transform already does.
  void scaleBy(CGFloat scale);
  CGAffineTransform transformStruct() const { return transform_; }

protected:
  ~AffineTransform() override = default;

private:
  AffineTransform() = default;

  CGAffineTransform transform_{1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
};

}  // namespace NS
