// Routing events to the views of a window, as AppKit's window does.

#include <AppKit/NSApplication.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSTrackingArea.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSRef.h>

#include <algorithm>
#include <vector>

#include "appkit/appkit_state.h"
#include "appkit/event_factory.h"
#include "appkit/view_geometry.h"
#include "cf_string.h"
#include "usage_checks.h"

namespace NS {
namespace {

using standin::appkit::TrackingState;

// The application's current event for a scope; dispatches nest.
class CurrentEventScope {
public:
  CurrentEventScope(Event*& current, Event* event) : current_(current), previous_(current) { current_ = event; }
  ~CurrentEventScope() { current_ = previous_; }
  CurrentEventScope(const CurrentEventScope&) = delete;
  CurrentEventScope& operator=(const CurrentEventScope&) = delete;

private:
  Event*& current_;
  Event* const previous_;
};

bool Reports(const TrackingArea& area, bool dragging) {
  const TrackingAreaOptions options = area.options();
  return (options & TrackingMouseEnteredAndExited) != 0 && (options & TrackingActiveAlways) != 0 &&
         (!dragging || (options & TrackingEnabledDuringMouseDrag) != 0);
}

// An area whose inside state changes, held until it has been reported.
struct Crossing {
  TrackingArea* area;
  bool entered;
};

void CollectCrossings(View& view, Point inWindow, bool dragging, std::vector<Crossing>& crossings) {
  const bool shown = !standin::appkit::IsHiddenOrHasHiddenAncestor(view);
  const Point inView = view.convertPointFromView(inWindow, nullptr);
  for (TrackingArea* area : view.trackingAreas()) {
    if (!Reports(*area, dragging)) continue;
    const bool inside = shown && standin::appkit::RectContainsPoint(area->rect(), inView);
    if (inside == TrackingState::PointerInside(*area)) continue;
    area->retain();
    crossings.push_back(Crossing{area, inside});
  }
  for (View* subview : view.subviews()) CollectCrossings(*subview, inWindow, dragging, crossings);
}

std::string Utf8(CFStringRef string) { return standin::cf::StringText(string); }

void LogUnhandledKey(const Event& event) {
  standin::testing::Key key;
  key.keyCode = event.keyCode();
  key.characters = Utf8(event.characters());
  key.charactersIgnoringModifiers = Utf8(event.charactersIgnoringModifiers());
  key.modifiers = event.modifierFlags();
  standin::appkit::State().unhandledKeys.push_back(
      standin::testing::UnhandledKey{event.type() == EventTypeKeyDown, key});
}

}  // namespace

void Window::sendEvent(Event* event) {
  standin::appkit::CheckMainThread();
  if (event == nullptr) return;
  const auto self = NS::Ref<Window>::Retain(this);
  const auto held = NS::Ref<Event>::Retain(event);
  const AutoreleasePool pool;
  const CurrentEventScope current(Application::sharedApplication()->currentEvent_, event);
  switch (event->type()) {
    case EventTypeLeftMouseDown:
      dispatchTrackingCrossings(event);
      dispatchMouseDown(event, kLeftButton);
      break;
    case EventTypeRightMouseDown:
      dispatchTrackingCrossings(event);
      dispatchMouseDown(event, kRightButton);
      break;
    case EventTypeLeftMouseDragged:
    case EventTypeLeftMouseUp:
      dispatchTrackingCrossings(event);
      dispatchMouseDragOrUp(event, kLeftButton, event->type() == EventTypeLeftMouseUp);
      break;
    case EventTypeRightMouseDragged:
    case EventTypeRightMouseUp:
      dispatchTrackingCrossings(event);
      dispatchMouseDragOrUp(event, kRightButton, event->type() == EventTypeRightMouseUp);
      break;
    case EventTypeMouseMoved:
      dispatchTrackingCrossings(event);
      if (acceptsMouseMoved_) dispatchToResponder(event);
      break;
    case EventTypeScrollWheel:
      if (View* view = contentView_->hitTest(event->locationInWindow())) {
        const auto target = NS::Ref<View>::Retain(view);
        view->scrollWheel(event);
      }
      break;
    case EventTypeKeyDown:
    case EventTypeKeyUp:
      dispatchToResponder(event);
      break;
    case EventTypeMouseEntered:
    case EventTypeMouseExited:
      if (event->trackingArea() != nullptr) {
        if (auto* owner = dynamic_cast<Responder*>(event->trackingArea()->owner())) {
          const auto target = NS::Ref<Responder>::Retain(owner);
          event->type() == EventTypeMouseEntered ? owner->mouseEntered(event) : owner->mouseExited(event);
        }
      }
      break;
    default:
      break;
  }
}

void Window::dispatchMouseDown(Event* event, MouseButton button) {
  View* const hit = contentView_->hitTest(event->locationInWindow());
  if (hit == nullptr) return;
  const auto target = NS::Ref<View>::Retain(hit);
  if (button == kLeftButton && hit != firstResponder_ && hit->acceptsFirstResponder()) makeFirstResponder(hit);
  // Becoming first responder may have taken it out of the window.
  if (hit->window() != this) return;
  hit->retain();
  if (mouseDownViews_[button] != nullptr) mouseDownViews_[button]->release();
  mouseDownViews_[button] = hit;
  button == kLeftButton ? hit->mouseDown(event) : hit->rightMouseDown(event);
}

void Window::dispatchMouseDragOrUp(Event* event, MouseButton button, bool up) {
  View* const view = mouseDownViews_[button];
  if (view == nullptr) return;
  const auto target = NS::Ref<View>::Retain(view);
  if (up) {
    mouseDownViews_[button] = nullptr;
    view->release();
  }
  if (view->window() != this) return;
  if (button == kLeftButton) {
    up ? view->mouseUp(event) : view->mouseDragged(event);
  } else {
    up ? view->rightMouseUp(event) : view->rightMouseDragged(event);
  }
}

void Window::dispatchToResponder(Event* event) {
  const auto target = NS::Ref<Responder>::Retain(firstResponder_);
  switch (event->type()) {
    case EventTypeMouseMoved:
      target->mouseMoved(event);
      break;
    case EventTypeKeyDown:
      target->keyDown(event);
      break;
    case EventTypeKeyUp:
      target->keyUp(event);
      break;
    default:
      break;
  }
}

void Window::dispatchTrackingCrossings(Event* event) {
  const bool dragging = event->type() == EventTypeLeftMouseDragged || event->type() == EventTypeRightMouseDragged;
  std::vector<Crossing> crossings;
  CollectCrossings(*contentView_, event->locationInWindow(), dragging, crossings);
  // Leaving one area before entering the next, as the pointer does.
  std::stable_partition(crossings.begin(), crossings.end(), [](const Crossing& crossing) { return !crossing.entered; });
  for (const Crossing& crossing : crossings) {
    TrackingState::SetPointerInside(*crossing.area, crossing.entered);
    Event* const report = standin::appkit::EventFactory::Crossing(
        crossing.entered ? EventTypeMouseEntered : EventTypeMouseExited, *event, crossing.area);
    sendEvent(report);
    report->release();
  }
  for (const Crossing& crossing : crossings) crossing.area->release();
}

void Window::keyDown(Event* event) {
  if (event != nullptr) LogUnhandledKey(*event);
}

void Window::keyUp(Event* event) {
  if (event != nullptr) LogUnhandledKey(*event);
}

}  // namespace NS
