// The screen, the pointer and the cursor.

#include "appkit/appkit_state.h"
#include "usage_checks.h"

#include <AppKit/NSEvent.h>
#include <AppKit/NSScreen.h>
#include <CoreGraphics/CGDirectDisplay.h>

#include <cmath>

namespace standin::appkit {

AppKitState& State() {
  static AppKitState* const state = new AppKitState;  // outlives static destructors
  return *state;
}

namespace {

constexpr CGDirectDisplayID kMainDisplayID = 1;

}  // namespace
}  // namespace standin::appkit

using standin::appkit::State;

extern "C" {

CGDirectDisplayID CGMainDisplayID(void) { return standin::appkit::kMainDisplayID; }

size_t CGDisplayPixelsHigh(CGDirectDisplayID display) {
  if (display != standin::appkit::kMainDisplayID) return 0;
  return static_cast<size_t>(std::lround(State().screenSize.height));
}

CGError CGDisplayHideCursor(CGDirectDisplayID display) {
  standin::appkit::CheckMainThread();
  if (display != standin::appkit::kMainDisplayID) return kCGErrorIllegalArgument;
  ++State().cursorHideCount;
  return kCGErrorSuccess;
}

CGError CGDisplayShowCursor(CGDirectDisplayID display) {
  standin::appkit::CheckMainThread();
  if (display != standin::appkit::kMainDisplayID) return kCGErrorIllegalArgument;
  if (State().cursorHideCount > 0) --State().cursorHideCount;
  return kCGErrorSuccess;
}

CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point) {
  standin::appkit::CheckMainThread();
  if (display != standin::appkit::kMainDisplayID) return kCGErrorIllegalArgument;
  State().cursorWarps.push_back(point);
  State().pointer = CGPoint{point.x, State().screenSize.height - point.y};
  return kCGErrorSuccess;
}

CGError CGAssociateMouseAndMouseCursorPosition(boolean_t connected) {
  standin::appkit::CheckMainThread();
  State().cursorAssociated = connected != 0;
  return kCGErrorSuccess;
}

}  // extern "C"

namespace NS {

Screen::Screen() { makeImmortal(); }

Screen* Screen::mainScreen() {
  static Screen* const screen = new Screen;
  return screen;
}

Rect Screen::frame() const { return Rect{Point{}, State().screenSize}; }

CGFloat Screen::backingScaleFactor() const { return State().screenScale; }

Point Event::mouseLocation() { return State().pointer; }

}  // namespace NS

namespace standin::testing {

void SetMainScreen(NS::Size size, NS::CGFloat backingScale) {
  State().screenSize = size;
  State().screenScale = backingScale;
}

NS::Point PointerLocation() { return State().pointer; }
int CursorHideCount() { return State().cursorHideCount; }
bool CursorAssociatedWithMouse() { return State().cursorAssociated; }
std::vector<NS::Point> CursorWarps() { return State().cursorWarps; }
std::vector<UnhandledKey> UnhandledKeys() { return State().unhandledKeys; }

}  // namespace standin::testing
