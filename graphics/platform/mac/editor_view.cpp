#include "graphics/platform/mac/editor_view.h"

#include <AppKit/NSAppearance.h>
#include <AppKit/NSColorPanel.h>
#include <AppKit/NSCursor.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSPasteboard.h>
#include <AppKit/NSTrackingArea.h>
#include <AppKit/NSWindow.h>
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFRunLoop.h>
#include <CoreFoundation/CFString.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSNotification.h>
#include <Foundation/NSRef.h>
#include <Foundation/NSRunLoop.h>
#include <Metal/MTLDevice.h>

#include <cmath>
#include <utility>

#include "graphics/graphics_editor_delegate.h"
#include "graphics/platform/mac/cf_string.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "graphics/platform/mac/platform_text_field.h"
#include "graphics/platform/mac/view_geometry.h"

using plugkit::graphics::IControl;
using plugkit::graphics::IGEditorDelegate;
using plugkit::graphics::IGraphicsMac;
using plugkit::graphics::ScaledViewRect;
using plugkit::graphics::ScaledViewSize;

namespace {

NS::NotificationCenter* Center() { return NS::NotificationCenter::defaultCenter(); }

bool SameSize(NS::Size a, NS::Size b) { return a.width == b.width && a.height == b.height; }

NS::Size Rounded(NS::Size size) { return NS::Size{std::round(size.width), std::round(size.height)}; }

// Undoes an activateGLContext however the drawing between ends.
class ActiveGLContext {
public:
  explicit ActiveGLContext(IGraphicsMac& graphics) : mGraphics(graphics) { mGraphics.ActivateGLContext(); }
  ~ActiveGLContext() { mGraphics.DeactivateGLContext(); }
  ActiveGLContext(const ActiveGLContext&) = delete;
  ActiveGLContext& operator=(const ActiveGLContext&) = delete;

private:
  IGraphicsMac& mGraphics;
};

}  // namespace

IGraphicsView_vOrvane_au* IGraphicsView_vOrvane_au::initWithIGraphics(IGraphicsMac* graphics) {
  mGraphics = graphics;
  initWithFrame(NS::Rect{NS::Point{}, ScaledViewSize(*graphics)});
  mMouseOutDuringDrag = false;

  setPostsFrameChangedNotifications(true);
  Center()->addObserverSelectorNameObject(this, NS_SELECTOR(IGraphicsView_vOrvane_au, hostFrameDidChange),
                                          NSViewFrameDidChangeNotification, this);

  setWantsLayer(true);
  layer()->setFrame(frame());
  layer()->setOpaque(true);
  setLayerContentsRedrawPolicy(NS::ViewLayerContentsRedrawDuringViewResize);

  const void* draggedTypes[] = {NSFilenamesPboardType};
  CFArrayRef types = CFArrayCreate(nullptr, draggedTypes, 1, &kCFTypeArrayCallBacks);
  registerForDraggedTypes(types);
  CFRelease(types);

  CA::MetalLayer* metal = metalLayer();
  metal->setPixelFormat(MTLPixelFormatBGRA8Unorm);
  metal->setDevice(NS::Ref<MTL::Device>::Adopt(MTLCreateSystemDefaultDevice()).get());
  metal->setFramebufferOnly(true);

  setTimer();
  return this;
}

CA::Layer* IGraphicsView_vOrvane_au::makeBackingLayer() { return CA::MetalLayer::layer(); }

IGraphicsView_vOrvane_au::~IGraphicsView_vOrvane_au() {
  if (NS::ColorPanel::sharedColorPanelExists()) {
    NS::ColorPanel* panel = NS::ColorPanel::sharedColorPanel();
    panel->close();
    // The panel does not hold its target.
    if (panel->target() == this) panel->setTarget(nullptr);
  }
  mColorPickerFunc = nullptr;
  if (mTextFieldView) {
    mTextFieldView->setDelegate(nullptr);
    mTextFieldView->release();
  }
  if (mMoveCursor) mMoveCursor->release();
  if (mTrackingArea) mTrackingArea->release();
  Center()->removeObserver(this);
}

// Frames -----------------------------------------------------------------------------

void IGraphicsView_vOrvane_au::setTimer() {
  killTimer();
  const NS::AutoreleasePool pool;
  mTimer = NS::Timer::timerWithTimeIntervalTargetSelectorUserInfoRepeats(1.0 / mGraphics->FPS(), this,
                                                                        NS_SELECTOR(IGraphicsView_vOrvane_au, onTimer), nullptr, true);
  NS::RunLoop::currentRunLoop()->addTimerForMode(mTimer, kCFRunLoopCommonModes);
}

void IGraphicsView_vOrvane_au::killTimer() {
  if (NS::Timer* timer = std::exchange(mTimer, nullptr)) timer->invalidate();
}

void IGraphicsView_vOrvane_au::onTimer(NS::Object*) {
  checkHostViewSize();
  render();
}

void IGraphicsView_vOrvane_au::checkHostViewSize() {
  if (!mGraphics || !mGraphics->HostSizeCheckPending() || !superview()) return;
  const NS::Rect visible = superview()->visibleRect();
  const int width = static_cast<int>(std::round(visible.size.width));
  const int height = static_cast<int>(std::round(visible.size.height));
  const int answer = mGraphics->GetDelegate()->EvaluateHostViewSize(width, height);
  if (!mGraphics) return;  // the delegate closed the editor
  if (answer == IGEditorDelegate::kAdoptHostSize && width >= 1 && height >= 1) {
    mGraphics->Resize(width, height, 1.f, false);
    setFrameOrigin(visible.origin);
    if (mGraphics) mGraphics->EndHostSizeCheck();
  } else if (answer == IGEditorDelegate::kKeepSize) {
    mGraphics->EndHostSizeCheck();
  }
}

// Controls are cleaned before they draw, so one that marks itself dirty while
// drawing is drawn again on the next tick.
void IGraphicsView_vOrvane_au::render() {
  mDirtyRects.Clear();
  if (!mGraphics || !mGraphics->IsDirty(mDirtyRects)) return;
  mGraphics->SetAllControlsClean();
  const ActiveGLContext active(*mGraphics);
  mGraphics->DrawRects(mDirtyRects);
  swapBuffers();
}

CGContextRef IGraphicsView_vOrvane_au::getCGContextRef() const {
  NS::GraphicsContext* current = NS::GraphicsContext::currentContext();
  NS::GraphicsContext* flipped =
      NS::GraphicsContext::graphicsContextWithCGContextFlipped(current ? current->CGContext() : nullptr, true);
  return flipped ? flipped->CGContext() : nullptr;
}

// Window, scale and appearance ---------------------------------------------------------

void IGraphicsView_vOrvane_au::viewDidMoveToWindow() {
  Center()->removeObserverNameObject(this, NSWindowDidResizeNotification, nullptr);
  NS::Window* hostWindow = window();
  if (!hostWindow) return;
  Center()->addObserverSelectorNameObject(this, NS_SELECTOR(IGraphicsView_vOrvane_au, hostWindowDidResize),
                                          NSWindowDidResizeNotification, hostWindow);
  hostWindow->makeFirstResponder(this);
  hostWindow->setAcceptsMouseMovedEvents(true);
  if (mGraphics) mGraphics->SetScreenScale(static_cast<float>(hostWindow->backingScaleFactor()));
  Center()->addObserverSelectorNameObject(this, NS_SELECTOR(IGraphicsView_vOrvane_au, frameDidChange), NSViewFrameDidChangeNotification,
                                          this);
}

void IGraphicsView_vOrvane_au::viewDidChangeBackingProperties() {
  NS::Window* hostWindow = window();
  if (!hostWindow) return;
  const NS::CGFloat scale = hostWindow->backingScaleFactor();
  if (mGraphics) {
    mGraphics->SetPlatformContext(nullptr);
    if (static_cast<float>(scale) != mGraphics->GetScreenScale()) mGraphics->SetScreenScale(static_cast<float>(scale));
  }
  layer()->setContentsScale(scale);
  sizeDrawable(scale);
}

void IGraphicsView_vOrvane_au::viewDidChangeEffectiveAppearance() {
  if (!mGraphics) return;
  const bool dark = CFEqual(effectiveAppearance()->name(), NSAppearanceNameDarkAqua);
  mGraphics->OnAppearanceChanged(dark ? 1 : 0);
}

void IGraphicsView_vOrvane_au::sizeDrawable(NS::CGFloat backingScale) {
  const NS::Size size = frame().size;
  metalLayer()->setDrawableSize(NS::Size{size.width * backingScale, size.height * backingScale});
}

void IGraphicsView_vOrvane_au::frameDidChange(NS::Object*) {
  if (NS::Window* hostWindow = window()) sizeDrawable(hostWindow->backingScaleFactor());
}

// The host sized the view: the GUI takes that size at the current draw scale,
// unless it is the size the GUI already shows.
void IGraphicsView_vOrvane_au::hostFrameDidChange(NS::Object*) {
  if (!mGraphics) return;
  const float scale = mGraphics->GetDrawScale();
  if (!(scale > 0.f)) return;
  const NS::Size size = Rounded(frame().size);
  if (size.width < 1.0 || size.height < 1.0 || SameSize(size, ScaledViewSize(*mGraphics))) return;
  mGraphics->Resize(static_cast<int>(std::round(size.width / scale)), static_cast<int>(std::round(size.height / scale)),
                    scale, false);
}

void IGraphicsView_vOrvane_au::hostWindowDidResize(NS::Object*) {
  if (!superview()) return;
  const NS::Size visible = superview()->visibleRect().size;
  if (visible.width >= 1.0 && visible.height >= 1.0 && !SameSize(visible, Rounded(frame().size))) {
    setFrameSize(visible);
  }
}

// Tooltips ---------------------------------------------------------------------------

void IGraphicsView_vOrvane_au::registerToolTip(const IRECT& r) {
  if (!mGraphics) return;
  addToolTipRectOwnerUserData(ScaledViewRect(r, mGraphics->GetDrawScale()), this, nullptr);
}

CFStringRef IGraphicsView_vOrvane_au::viewStringForToolTipPointUserData(NS::View*, NS::ToolTipTag, NS::Point, void*) {
  const IControl* control = mGraphics ? mGraphics->GetMouseOverControl() : nullptr;
  const char* tip = control ? control->GetTooltip() : nullptr;
  if (!tip || !*tip) return CFSTR("");
  return static_cast<CFStringRef>(CFAutorelease(plugkit::graphics::MakeDisplayCFString(tip).release()));
}

// Removal ----------------------------------------------------------------------------

// Closing the editor detaches this view and deletes the context in the
// middle of this call: the view stays alive to its end, and once the
// delegate is told nothing of the context is touched. A view in no superview
// is not being taken away (adding a view asks it to leave any it has first).
void IGraphicsView_vOrvane_au::removeFromSuperview() {
  if (!superview()) return;
  const auto self = NS::Ref<IGraphicsView_vOrvane_au>::Retain(this);
  endUserInput();
  if (IGraphicsMac* graphics = mGraphics) {
    graphics->SetPlatformContext(nullptr);
    graphics->GetDelegate()->CloseEditor();
  }
  NS::View::removeFromSuperview();
}
