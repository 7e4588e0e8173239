#pragma once

// The graphics core's colours as AppKit's device colours, component by
// component: 0..255 to 0..1. Main thread only, as AppKit.

#include <AppKit/NSColor.h>

#include "graphics/graphics_types.h"

namespace plugkit::graphics {

inline constexpr NS::CGFloat kColorComponentScale = 255.0;

// Autoreleased.
inline NS::Color* DeviceColor(const IColor& color) {
  return NS::Color::colorWithDeviceRedGreenBlueAlpha(color.R / kColorComponentScale, color.G / kColorComponentScale,
                                                     color.B / kColorComponentScale, color.A / kColorComponentScale);
}

}  // namespace plugkit::graphics
