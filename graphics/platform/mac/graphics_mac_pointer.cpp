// The pointer of the macOS graphics context: where it is, hiding, locking and
// moving it, the cursor shown, and files dragged out of the view.

#include <AppKit/NSApplication.h>
#include <AppKit/NSDraggingItem.h>
#include <AppKit/NSDraggingSession.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSPasteboard.h>
#include <AppKit/NSWorkspace.h>
#include <CoreGraphics/CGDirectDisplay.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSRef.h>
#include <Foundation/NSURL.h>

#include <cmath>

#include "framework/core/paths.h"
#include "graphics/platform/mac/cf_string.h"
#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "graphics/platform/mac/view_geometry.h"

namespace plugkit::graphics {

namespace {

constexpr NS::Size kDragIconSize{64.0, 64.0};

// Puts the pointer at a screen point without moving what the mouse drives.
void WarpPointer(double x, double y) {
  const CGDirectDisplayID display = CGMainDisplayID();
  CGAssociateMouseAndMouseCursorPosition(0);
  CGDisplayMoveCursorToPoint(display, CGPoint{x, static_cast<double>(CGDisplayPixelsHigh(display)) - y});
  CGAssociateMouseAndMouseCursorPosition(1);
}

bool StartsDrags(const NS::Event& event) {
  switch (event.type()) {
    case NS::EventTypeLeftMouseDown:
    case NS::EventTypeLeftMouseDragged:
    case NS::EventTypeRightMouseDown:
    case NS::EventTypeRightMouseDragged:
      return true;
    default:
      return false;
  }
}

}  // namespace

void IGraphicsMac::MousePosition(float& x, float& y) const {
  NS::Point location = NS::Event::mouseLocation();
  if (mView) location = mView->guiPointFromScreen(location);
  x = static_cast<float>(location.x);
  y = static_cast<float>(location.y);
}

void IGraphicsMac::StorePointerLocation() {
  const NS::Point location = NS::Event::mouseLocation();
  mCursorLockX = std::round(location.x);
  mCursorLockY = std::round(location.y);
  NS::Point stored{mCursorLockX, mCursorLockY};
  if (mView) stored = mView->guiPointFromScreen(stored);
  StoreCursorPosition(static_cast<float>(stored.x), static_cast<float>(stored.y));
}

void IGraphicsMac::HideCursor(bool hide, bool lock) {
  if (hide == mCursorHidden || RunsInXPCService()) return;
  mCursorHidden = hide;
  if (hide) {
    StorePointerLocation();
    CGDisplayHideCursor(CGMainDisplayID());
    mCursorLocked = lock;
  } else {
    CGDisplayShowCursor(CGMainDisplayID());
    mCursorLocked = false;
  }
}

void IGraphicsMac::ApplyCursorLock(float x, float y, float& prevX, float& prevY) {
  if (mCursorHidden && mCursorLocked && !IsTabletInput()) {
    WarpPointer(mCursorLockX, mCursorLockY);
    StoredCursorPosition(prevX, prevY);
  } else {
    StoreCursorPosition(x, y);
    prevX = x;
    prevY = y;
  }
}

void IGraphicsMac::MoveCursorTo(float x, float y) {
  if (IsTabletInput()) return;
  const float scale = GetDrawScale();
  const NS::Point target = mView ? mView->screenPointFromGui(NS::Point{x, y}) : NS::Point{x * scale, y * scale};
  WarpPointer(target.x, target.y);
  StorePointerLocation();
}

int IGraphicsMac::SetCursor(int kind) {
  if (mView) mView->setMouseCursor(kind);
  return IGraphics::SetCursor(kind);
}

// A drag begins only from the mouse-down or mouse-drag event being handled.
bool IGraphicsMac::StartFileDrag(const char* path, const IRECT& iconBounds) {
  NS::Event* event = NS::Application::sharedApplication()->currentEvent();
  if (!mView || !path || !event || !StartsDrags(*event)) return false;
  const NS::AutoreleasePool pool;
  const auto pathText = MakeCFString(path);
  CFURLRef url = pathText ? NS::URL::fileURLWithPath(pathText.get()) : nullptr;
  if (!url) return false;
  const auto file = NS::Ref<NS::PasteboardItem>::Adopt(new NS::PasteboardItem);
  file->setStringForType(NS::URL::absoluteString(url), NSPasteboardTypeFileURL);
  const auto item = NS::Ref<NS::DraggingItem>::Adopt((new NS::DraggingItem)->initWithPasteboardWriter(file.get()));
  NS::Image* icon = NS::Workspace::sharedWorkspace()->iconForFile(pathText.get());
  if (icon) icon->setSize(kDragIconSize);
  item->setDraggingFrameContents(ScaledViewRect(iconBounds, GetDrawScale()), icon);
  NS::DraggingSession* session = mView->beginDraggingSessionWithItemsEventSource({item.get()}, event, mView);
  if (!session) return false;
  session->setAnimatesToStartingPositionsOnCancelOrFail(true);
  session->setDraggingFormation(NS::DraggingFormationNone);
  ClearMouseOverState();
  return true;
}

}  // namespace plugkit::graphics
