#include <AppKit/NSColor.h>

#include <algorithm>
#include <cmath>

namespace NS {
namespace {

CGFloat Component(CGFloat value) { return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0); }

}  // namespace

Color::Color(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
    : red_(Component(red)), green_(Component(green)), blue_(Component(blue)), alpha_(Component(alpha)) {}

Color* Color::colorWithDeviceRedGreenBlueAlpha(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return static_cast<Color*>((new Color(red, green, blue, alpha))->autorelease());
}

}  // namespace NS
