// The editor view's input: pointer, scroll, keys and file drops to the
// graphics core, in GUI coordinates.

#include <AppKit/NSPasteboard.h>
#include <AppKit/NSTrackingArea.h>
#include <AppKit/NSWindow.h>
#include <CoreFoundation/CFArray.h>

#include <string>
#include <utility>
#include <vector>

#include "graphics/platform/mac/cf_string.h"
#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "graphics/platform/mac/key_translation.h"

using plugkit::graphics::IMouseInfo;
using plugkit::graphics::IMouseMod;

namespace {

// Crossings in both directions, whether or not the window is key, also
// during drags (so a release outside the view can end the hover).
constexpr NS::TrackingAreaOptions kTrackingOptions =
    NS::TrackingMouseEnteredAndExited | NS::TrackingActiveAlways | NS::TrackingEnabledDuringMouseDrag;

bool Held(NS::EventModifierFlags flags, NS::EventModifierFlags modifier) { return (flags & modifier) != 0; }

bool Contains(CFArrayRef array, CFTypeRef value) {
  return array && CFArrayContainsValue(array, CFRangeMake(0, CFArrayGetCount(array)), value);
}

}  // namespace

// Tracking ---------------------------------------------------------------------------

void IGraphicsView_vOrvane_au::updateTrackingAreas() {
  NS::View::updateTrackingAreas();
  if (NS::TrackingArea* old = std::exchange(mTrackingArea, nullptr)) {
    removeTrackingArea(old);
    old->release();
  }
  mTrackingArea = (new NS::TrackingArea)->initWithRectOptionsOwnerUserInfo(bounds(), kTrackingOptions, this, nullptr);
  addTrackingArea(mTrackingArea);
}

// Positions ---------------------------------------------------------------------------

float IGraphicsView_vOrvane_au::drawScale() const { return mGraphics ? mGraphics->GetDrawScale() : 1.f; }

NS::Point IGraphicsView_vOrvane_au::guiPointFromWindow(NS::Point inWindow) const {
  const NS::Point inView = convertPointFromView(inWindow, nullptr);
  const double scale = drawScale();
  return NS::Point{inView.x / scale, inView.y / scale};
}

NS::Point IGraphicsView_vOrvane_au::guiPointFromScreen(NS::Point onScreen) const {
  const NS::Window* hostWindow = window();
  return guiPointFromWindow(hostWindow ? hostWindow->convertPointFromScreen(onScreen) : onScreen);
}

NS::Point IGraphicsView_vOrvane_au::screenPointFromGui(NS::Point gui) const {
  const double scale = drawScale();
  const NS::Point inWindow = convertPointToView(NS::Point{gui.x * scale, gui.y * scale}, nullptr);
  const NS::Window* hostWindow = window();
  return hostWindow ? hostWindow->convertPointToScreen(inWindow) : inWindow;
}

// The tablet flag comes first, so that the lock rule judges this event's
// source.
void IGraphicsView_vOrvane_au::getMouseXY(NS::Event* event, float& x, float& y) {
  if (!mGraphics) return;
  const NS::Point gui = guiPointFromWindow(event->locationInWindow());
  x = static_cast<float>(gui.x);
  y = static_cast<float>(gui.y);
  mGraphics->SetTabletInput(event->subtype() == NS::EventSubtypeTabletPoint);
  mGraphics->ApplyCursorLock(x, y, mPrevX, mPrevY);
}

IMouseInfo IGraphicsView_vOrvane_au::mouseInfo(NS::Event* event, bool leftButton) {
  IMouseInfo info;
  getMouseXY(event, info.x, info.y);
  const NS::EventModifierFlags flags = event->modifierFlags();
  info.ms = IMouseMod(leftButton, !leftButton || Held(flags, NS::EventModifierFlagCommand),
                      Held(flags, NS::EventModifierFlagShift), Held(flags, NS::EventModifierFlagControl),
                      Held(flags, NS::EventModifierFlagOption));
  return info;
}

IMouseInfo IGraphicsView_vOrvane_au::getMouseLeft(NS::Event* event) { return mouseInfo(event, true); }

IMouseInfo IGraphicsView_vOrvane_au::getMouseRight(NS::Event* event) { return mouseInfo(event, false); }

// Pointer events ------------------------------------------------------------------------

void IGraphicsView_vOrvane_au::buttonDown(NS::Event* event, bool leftButton) {
  if (!mGraphics) return;
  const IMouseInfo info = mouseInfo(event, leftButton);
  if (event->clickCount() % 2 == 0) {
    mGraphics->OnMouseDoubleClick(info.x, info.y, info.ms);
  } else {
    mGraphics->OnMouseDown({info});
  }
}

void IGraphicsView_vOrvane_au::mouseDown(NS::Event* event) { buttonDown(event, true); }

void IGraphicsView_vOrvane_au::rightMouseDown(NS::Event* event) { buttonDown(event, false); }

void IGraphicsView_vOrvane_au::mouseUp(NS::Event* event) {
  if (!mGraphics) return;
  mGraphics->OnMouseUp({getMouseLeft(event)});
  if (std::exchange(mMouseOutDuringDrag, false) && mGraphics) mGraphics->OnMouseOut();
}

void IGraphicsView_vOrvane_au::rightMouseUp(NS::Event* event) {
  if (mGraphics) mGraphics->OnMouseUp({getMouseRight(event)});
}

// The movement is measured from the previous position as the lock rule left
// it, so a locked pointer keeps giving movement while it stays put.
void IGraphicsView_vOrvane_au::dragged(NS::Event* event, bool leftButton) {
  if (!mGraphics) return;
  const float prevX = mPrevX;
  const float prevY = mPrevY;
  IMouseInfo info = mouseInfo(event, leftButton);
  // A native text field is editing: it has the pointer.
  const bool platformTextEntry = leftButton ? mGraphics->GetControlInTextEntry() && !mGraphics->GetTextEntryControl()
                                            : mTextFieldView != nullptr;
  if (platformTextEntry) return;
  info.dX = info.x - prevX;
  info.dY = info.y - prevY;
  mGraphics->OnMouseDrag({info});
}

void IGraphicsView_vOrvane_au::mouseDragged(NS::Event* event) { dragged(event, true); }

void IGraphicsView_vOrvane_au::rightMouseDragged(NS::Event* event) { dragged(event, false); }

void IGraphicsView_vOrvane_au::mouseMoved(NS::Event* event) {
  if (!mGraphics) return;
  const IMouseInfo info = getMouseLeft(event);
  mGraphics->OnMouseOver(info.x, info.y, info.ms);
}

// The pointer comes back: the cursor the GUI last asked for shows again.
void IGraphicsView_vOrvane_au::mouseEntered(NS::Event*) {
  if (!mGraphics) return;
  mMouseOutDuringDrag = false;
  mGraphics->SetCursor(mGraphics->CursorKind());
}

// A control dragging keeps its hover until the release.
void IGraphicsView_vOrvane_au::mouseExited(NS::Event*) {
  if (!mGraphics) return;
  if (mGraphics->GetCapturedControl()) {
    mMouseOutDuringDrag = true;
  } else {
    mGraphics->OnMouseOut();
  }
}

void IGraphicsView_vOrvane_au::scrollWheel(NS::Event* event) {
  if (!mGraphics) return;
  endUserInput();
  if (!mGraphics) return;
  const IMouseInfo info = getMouseLeft(event);
  mGraphics->OnMouseWheel(info.x, info.y, info.ms, static_cast<float>(event->deltaY()));
}

// Keys ----------------------------------------------------------------------------------

void IGraphicsView_vOrvane_au::keyEvent(NS::Event* event, bool up) {
  bool handled = false;
  if (mGraphics) {
    const plugkit::IKeyPress key = plugkit::graphics::KeyPressForEvent(*event);
    handled = up ? mGraphics->OnKeyUp(mPrevX, mPrevY, key) : mGraphics->OnKeyDown(mPrevX, mPrevY, key);
  }
  if (handled) return;
  if (NS::Responder* next = nextResponder()) up ? next->keyUp(event) : next->keyDown(event);
}

void IGraphicsView_vOrvane_au::keyDown(NS::Event* event) { keyEvent(event, false); }

void IGraphicsView_vOrvane_au::keyUp(NS::Event* event) { keyEvent(event, true); }

// Drops and drags -----------------------------------------------------------------------

NS::DragOperation IGraphicsView_vOrvane_au::draggingEntered(NS::DraggingInfo* sender) {
  if (!mGraphics || !sender) return NS::DragOperationNone;
  return Contains(sender->draggingPasteboard()->types(), NSFilenamesPboardType) ? NS::DragOperationGeneric
                                                                                 : NS::DragOperationNone;
}

bool IGraphicsView_vOrvane_au::performDragOperation(NS::DraggingInfo* sender) {
  if (!mGraphics || !sender) return true;
  CFTypeRef list = sender->draggingPasteboard()->propertyListForType(NSFilenamesPboardType);
  if (!list || CFGetTypeID(list) != CFArrayGetTypeID()) return true;
  const auto files = static_cast<CFArrayRef>(list);
  std::vector<std::string> paths;
  for (CFIndex i = 0; i < CFArrayGetCount(files); ++i) {
    const auto path = static_cast<CFStringRef>(CFArrayGetValueAtIndex(files, i));
    if (CFGetTypeID(path) == CFStringGetTypeID()) paths.push_back(plugkit::graphics::CFStringText(path));
  }
  const NS::Point at = guiPointFromWindow(sender->draggingLocation());
  const float x = static_cast<float>(at.x);
  const float y = static_cast<float>(at.y);
  if (paths.size() == 1) {
    mGraphics->OnDrop(paths.front().c_str(), x, y);
  } else if (paths.size() > 1) {
    std::vector<const char*> texts;
    for (const std::string& path : paths) texts.push_back(path.c_str());
    mGraphics->OnDropMultiple(texts, x, y);
  }
  return true;
}

NS::DragOperation IGraphicsView_vOrvane_au::draggingSessionSourceOperationMaskForDraggingContext(
    NS::DraggingSession*, NS::DraggingContext) {
  return NS::DragOperationCopy;
}
