#pragma once

// The main display and the pointer on it. Display coordinates have their
// origin at the top left with y growing downwards, screen coordinates
// (NS::Screen, NS::Event::mouseLocation) at the bottom left. Main thread only.

#include <CoreFoundation/CFBase.h>
#include <CoreGraphics/CGGeometry.h>

#include <cstddef>
#include <cstdint>

typedef uint32_t CGDirectDisplayID;
typedef int32_t CGError;
typedef int boolean_t;

enum : CGError {
  kCGErrorSuccess = 0,
  kCGErrorIllegalArgument = 1,
};

CF_EXTERN_C_BEGIN

CGDirectDisplayID CGMainDisplayID(void);
// The main screen's height in points; 0 for another display.
size_t CGDisplayPixelsHigh(CGDirectDisplayID display);
// Hiding counts: the cursor shows again after as many shows as hides.
CGError CGDisplayHideCursor(CGDirectDisplayID display);
CGError CGDisplayShowCursor(CGDirectDisplayID display);
// Moves the pointer to a point in display coordinates without an event.
CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point);
CGError CGAssociateMouseAndMouseCursorPosition(boolean_t connected);

CF_EXTERN_C_END
