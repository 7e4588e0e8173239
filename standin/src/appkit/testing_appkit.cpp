// The testing API of the headless AppKit: what tests and the host inject.

#include <AppKit/NSAppearance.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSRef.h>

#include <standin/testing/appkit.h>

#include <algorithm>

#include "appkit/appkit_state.h"
#include "appkit/dialog_records.h"
#include "appkit/event_factory.h"
#include "appkit/exchange_resets.h"
#include "usage_checks.h"

namespace standin::appkit {

struct WindowControl {
  static NS::Window* Make(const NS::Rect& frame, NS::CGFloat scale) { return new NS::Window(frame, scale); }
  static void SetBackingScale(NS::Window& window, NS::CGFloat scale) { window.setBackingScaleFactor(scale); }
  static void SetAppearance(NS::Window& window, NS::Appearance* appearance) { window.setAppearance(appearance); }
};

namespace {

int ButtonIndex(testing::MouseButton button) { return button == testing::MouseButton::Left ? 0 : 1; }

NS::EventSubtype MouseSubtype() {
  return State().tabletInput ? NS::EventSubtypeTabletPoint : NS::EventSubtypeMouseEvent;
}

// Moves the pointer to the view's point and has the window dispatch a mouse
// event there; the view is held alive for the whole injection.
bool SendMouseEvent(NS::View* view, NS::Point point, NS::EventType type, long clickCount,
                    NS::EventModifierFlags modifiers) {
  if (view == nullptr || view->window() == nullptr) return false;
  const auto held = NS::Ref<NS::View>::Retain(view);
  NS::Window* const window = view->window();
  const NS::Point inWindow = view->convertPointToView(point, nullptr);
  State().pointer = window->convertPointToScreen(inWindow);
  NS::Event* const event = EventFactory::Mouse(type, window, inWindow, modifiers, clickCount, MouseSubtype());
  window->sendEvent(event);
  event->release();
  return true;
}

bool SendKeyEvent(NS::Window* window, NS::EventType type, const testing::Key& key) {
  if (window == nullptr) return false;
  const NS::Point inWindow = window->convertPointFromScreen(State().pointer);
  NS::Event* const event = EventFactory::Key(type, window, inWindow, key);
  window->sendEvent(event);
  event->release();
  return true;
}

}  // namespace
}  // namespace standin::appkit

namespace standin::testing {

using appkit::State;

void ResetAppKit() {
  State() = appkit::AppKitState{};
  appkit::ResetUsageChecks();
  appkit::ResetAnimationGroupings();
  appkit::ResetAlerts();
  appkit::ResetPanels();
  appkit::ResetColorPanel();
  appkit::ResetDragging();
  appkit::ResetPasteboards();
  appkit::ResetWorkspace();
  appkit::ResetCursors();
}

NS::Window* MakeHostWindow(const NS::Rect& screenFrame, NS::CGFloat backingScale) {
  appkit::CheckMainThread();
  return appkit::WindowControl::Make(screenFrame, backingScale);
}

void SetBackingScale(NS::Window* window, NS::CGFloat scale) {
  if (window != nullptr) appkit::WindowControl::SetBackingScale(*window, scale);
}

void SetAppearance(NS::Window* window, CFStringRef appearanceName) {
  NS::Appearance* const appearance = NS::Appearance::appearanceNamed(appearanceName);
  if (window != nullptr && appearance != nullptr) appkit::WindowControl::SetAppearance(*window, appearance);
}

void ResizeWindow(NS::Window* window, NS::Size size) {
  if (window == nullptr) return;
  const NS::Rect frame = window->frame();
  const NS::CGFloat top = frame.origin.y + frame.size.height;
  window->setFrame(NS::Rect{NS::Point{frame.origin.x, top - size.height}, size});
}

void ResizeView(NS::View* view, NS::Size size) {
  if (view == nullptr) return;
  const auto held = NS::Ref<NS::View>::Retain(view);
  view->setFrameSize(size);
}

void RemoveViewAsHost(NS::View* view) {
  if (view == nullptr) return;
  const auto held = NS::Ref<NS::View>::Retain(view);
  view->removeFromSuperview();
}

bool MovePointer(NS::View* view, NS::Point point, NS::EventModifierFlags modifiers) {
  const bool* const held = State().buttonHeld;
  const NS::EventType type =
      held[0] ? NS::EventTypeLeftMouseDragged : held[1] ? NS::EventTypeRightMouseDragged : NS::EventTypeMouseMoved;
  return appkit::SendMouseEvent(view, point, type, 0, modifiers);
}

bool PressButton(NS::View* view, NS::Point point, MouseButton button, long clickCount,
                 NS::EventModifierFlags modifiers) {
  if (view == nullptr || view->window() == nullptr) return false;
  State().buttonHeld[appkit::ButtonIndex(button)] = true;
  const NS::EventType type = button == MouseButton::Left ? NS::EventTypeLeftMouseDown : NS::EventTypeRightMouseDown;
  return appkit::SendMouseEvent(view, point, type, clickCount, modifiers);
}

bool ReleaseButton(NS::View* view, NS::Point point, MouseButton button, long clickCount,
                   NS::EventModifierFlags modifiers) {
  if (view == nullptr || view->window() == nullptr) return false;
  State().buttonHeld[appkit::ButtonIndex(button)] = false;
  const NS::EventType type = button == MouseButton::Left ? NS::EventTypeLeftMouseUp : NS::EventTypeRightMouseUp;
  return appkit::SendMouseEvent(view, point, type, clickCount, modifiers);
}

bool DragTo(NS::View* view, NS::Point point, int steps, NS::EventModifierFlags modifiers) {
  if (view == nullptr || view->window() == nullptr) return false;
  const auto held = NS::Ref<NS::View>::Retain(view);
  const NS::Point from = view->convertPointFromView(view->window()->convertPointFromScreen(State().pointer), nullptr);
  steps = std::max(steps, 1);
  for (int step = 1; step <= steps; ++step) {
    const double share = double(step) / steps;
    const NS::Point next{from.x + (point.x - from.x) * share, from.y + (point.y - from.y) * share};
    if (!MovePointer(view, next, modifiers)) return false;
  }
  return true;
}

bool Scroll(NS::View* view, NS::Point point, NS::CGFloat deltaY, NS::EventModifierFlags modifiers) {
  if (view == nullptr || view->window() == nullptr) return false;
  const auto held = NS::Ref<NS::View>::Retain(view);
  NS::Window* const window = view->window();
  const NS::Point inWindow = view->convertPointToView(point, nullptr);
  State().pointer = window->convertPointToScreen(inWindow);
  NS::Event* const event = appkit::EventFactory::Scroll(window, inWindow, modifiers, deltaY, appkit::MouseSubtype());
  window->sendEvent(event);
  event->release();
  return true;
}

void SetTabletInput(bool tablet) { State().tabletInput = tablet; }

bool PressKey(NS::Window* window, const Key& key) {
  return appkit::SendKeyEvent(window, NS::EventTypeKeyDown, key);
}

bool ReleaseKey(NS::Window* window, const Key& key) { return appkit::SendKeyEvent(window, NS::EventTypeKeyUp, key); }

}  // namespace standin::testing
