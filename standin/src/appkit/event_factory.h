#pragma once

// Making events and reaching the stand-in's own state of tracking areas.

#include <AppKit/NSEvent.h>
#include <AppKit/NSTrackingArea.h>

#include <standin/testing/appkit.h>

namespace standin::appkit {

// Each answer is owned by the caller.
struct EventFactory {
  static NS::Event* Mouse(NS::EventType type, NS::Window* window, NS::Point location,
                          NS::EventModifierFlags modifiers, long clickCount, NS::EventSubtype subtype);
  static NS::Event* Scroll(NS::Window* window, NS::Point location, NS::EventModifierFlags modifiers,
                           NS::CGFloat deltaY, NS::EventSubtype subtype);
  static NS::Event* Key(NS::EventType type, NS::Window* window, NS::Point location, const testing::Key& key);
  static NS::Event* Crossing(NS::EventType type, const NS::Event& cause, NS::TrackingArea* area);
};

struct TrackingState {
  static bool PointerInside(const NS::TrackingArea& area) { return area.pointerInside_; }
  static void SetPointerInside(NS::TrackingArea& area, bool inside) { area.pointerInside_ = inside; }
};

}  // namespace standin::appkit
