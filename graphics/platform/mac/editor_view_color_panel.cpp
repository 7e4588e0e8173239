// The editor view's side of the shared colour panel.

#include <AppKit/NSColor.h>
#include <AppKit/NSColorPanel.h>
#include <Foundation/NSAutoreleasePool.h>

#include "graphics/platform/mac/device_color.h"
#include "graphics/platform/mac/editor_view.h"

namespace {

int Component(NS::CGFloat unit) { return static_cast<int>(unit * plugkit::graphics::kColorComponentScale); }

}  // namespace

bool IGraphicsView_vOrvane_au::promptForColor(const IColor& color, plugkit::graphics::IColorPickerHandlerFunc func) {
  mColorPickerFunc = std::move(func);
  const NS::AutoreleasePool pool;
  NS::ColorPanel* panel = NS::ColorPanel::sharedColorPanel();
  panel->setTarget(this);
  panel->setShowsAlpha(true);
  panel->setAction(NS_SELECTOR(IGraphicsView_vOrvane_au, onColorPicked));
  panel->setColor(plugkit::graphics::DeviceColor(color));
  panel->orderFront(this);
  return NS::ColorPanel::sharedColorPanelExists();
}

// A copy runs: the function may prompt again, replacing the stored one.
void IGraphicsView_vOrvane_au::onColorPicked(NS::Object*) {
  if (!mColorPickerFunc) return;
  const NS::Color* picked = NS::ColorPanel::sharedColorPanel()->color();
  const IColor color(Component(picked->alphaComponent()), Component(picked->redComponent()),
                     Component(picked->greenComponent()), Component(picked->blueComponent()));
  const plugkit::graphics::IColorPickerHandlerFunc func = mColorPickerFunc;
  func(color);
}
