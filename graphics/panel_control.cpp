#include "graphics/panel_control.h"

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

IPanelControl::IPanelControl(const IRECT& bounds, const IPaint& pattern, bool drawFrame)
    : IControl(bounds), mPattern(pattern), mDrawFrame(drawFrame) {
  SetIgnoreMouse(true);
}

void IPanelControl::Draw(IGraphics& g) {
  g.PathClear();
  g.PathRect(GetRECT());
  g.FillPath(mPattern, IFillStyle(), &GetBlend());
  if (mDrawFrame) g.DrawRect(kFrameColor, GetRECT(), &GetBlend());
}

}  // namespace plugkit::graphics
