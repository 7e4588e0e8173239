#include "graphics/svg_control.h"

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

ISVGControl::ISVGControl(const IRECT& bounds, const ISVG& svg, bool useLayer)
    : IControl(bounds), mSVG(svg), mUseLayer(useLayer) {}

void ISVGControl::Draw(IGraphics& g) {
  if (!mUseLayer) {
    g.DrawSVG(mSVG, GetRECT(), &GetBlend());
    return;
  }
  // CheckLayer also sees the rectangle move or resize since the layer was drawn.
  if (!g.CheckLayer(mLayer)) {
    g.StartLayer(this, GetRECT());
    g.DrawSVG(mSVG, GetRECT());
    mLayer = g.EndLayer();
  }
  g.DrawLayer(mLayer, &GetBlend());
}

}  // namespace plugkit::graphics
