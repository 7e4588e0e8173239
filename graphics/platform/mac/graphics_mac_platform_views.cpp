// Native views the graphics core places over the editor view.

#include <AppKit/NSView.h>

#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "graphics/platform/mac/view_geometry.h"

namespace plugkit::graphics {

void IGraphicsMac::AttachPlatformView(const IRECT& bounds, void* view) {
  if (!mView || !view) return;
  auto* platformView = static_cast<NS::View*>(view);
  platformView->setFrame(ScaledViewRect(bounds, GetDrawScale()));
  mView->addSubview(platformView);
}

void IGraphicsMac::RemovePlatformView(void* view) {
  if (view) static_cast<NS::View*>(view)->removeFromSuperview();
}

void IGraphicsMac::HidePlatformView(void* view, bool hide) {
  if (view) static_cast<NS::View*>(view)->setHidden(hide);
}

}  // namespace plugkit::graphics
