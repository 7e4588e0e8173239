#pragma once

// Colours with red, green, blue and alpha components in 0..1. Main thread only.

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

namespace NS {

class NS_CLASS_EXPORT Color : public Object {
public:
  // Autoreleased. Components are clamped to 0..1; NaN counts as 0.
  static Color* colorWithDeviceRedGreenBlueAlpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);

  CGFloat redComponent() const { return red_; }
  CGFloat greenComponent() const { return green_; }
  CGFloat blueComponent() const { return blue_; }
  CGFloat alphaComponent() const { return alpha_; }

protected:
  ~Color() override = default;

private:
  Color(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);

  CGFloat red_, green_, blue_, alpha_;
};

}  // namespace NS
