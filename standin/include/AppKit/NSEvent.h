#pragma once

// Mouse, scroll, key and tracking events, made by the stand-in from what a
// test injects (standin/testing/appkit.h) and dispatched by their window.
// Main thread only.

#include <CoreFoundation/CFString.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

namespace standin::appkit {
struct EventFactory;
}

namespace NS {

class TrackingArea;
class Window;

typedef unsigned long EventType;
enum : EventType {
  EventTypeLeftMouseDown = 1,
  EventTypeLeftMouseUp,
  EventTypeRightMouseDown,
  EventTypeRightMouseUp,
  EventTypeMouseMoved,
  EventTypeLeftMouseDragged,
  EventTypeRightMouseDragged,
  EventTypeMouseEntered,
  EventTypeMouseExited,
  EventTypeKeyDown,
  EventTypeKeyUp,
  EventTypeScrollWheel,
};

typedef unsigned long EventModifierFlags;
enum : EventModifierFlags {
  EventModifierFlagShift = 1ul << 17,
  EventModifierFlagControl = 1ul << 18,
  EventModifierFlagOption = 1ul << 19,
  EventModifierFlagCommand = 1ul << 20,
};

typedef short EventSubtype;
enum : EventSubtype {
  EventSubtypeMouseEvent = 0,
  EventSubtypeTabletPoint = 1,
};

class NS_CLASS_EXPORT Event : public Object {
public:
  // Where the pointer is, in screen coordinates.
  static Point mouseLocation();

  EventType type() const { return type_; }
  // In the window's coordinates (origin at the bottom left).
  Point locationInWindow() const { return locationInWindow_; }
  EventModifierFlags modifierFlags() const { return modifierFlags_; }
  // Mouse downs and ups: 1 for a single click, 2 for a double click, ...; 0 otherwise.
  long clickCount() const { return clickCount_; }
  // EventSubtypeTabletPoint for mouse events from a tablet pen.
  EventSubtype subtype() const { return subtype_; }
  // Scroll events: the vertical distance; 0 otherwise.
  CGFloat deltaY() const { return deltaY_; }
  // Key events: the hardware key code; 0 otherwise.
  unsigned short keyCode() const { return keyCode_; }
  // Key events: the text the key produces, and the text without the modifiers
  // (not owned by the caller); null for other events.
  CFStringRef characters() const { return characters_; }
  CFStringRef charactersIgnoringModifiers() const { return charactersIgnoringModifiers_; }
  // Not owned by the caller.
  Window* window() const { return window_; }
  // Entered and exited events: the area crossed (not owned); null otherwise.
  TrackingArea* trackingArea() const { return trackingArea_; }

protected:
  ~Event() override;

private:
  friend struct standin::appkit::EventFactory;
  // The event holds a reference to its window, its tracking area and its texts.
  Event(EventType type, Window* window, Point locationInWindow, EventModifierFlags modifierFlags);

  EventType type_;
  Window* window_;
  Point locationInWindow_;
  EventModifierFlags modifierFlags_;
  long clickCount_ = 0;
  EventSubtype subtype_ = EventSubtypeMouseEvent;
  CGFloat deltaY_ = 0.0;
  unsigned short keyCode_ = 0;
  CFStringRef characters_ = nullptr;
  CFStringRef charactersIgnoringModifiers_ = nullptr;
  TrackingArea* trackingArea_ = nullptr;
};

}  // namespace NS
