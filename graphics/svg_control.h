#pragma once

#include "graphics/control.h"
#include "graphics/graphics_types.h"
#include "graphics/layer.h"
#include "graphics/svg_image.h"

namespace plugkit::graphics {

class IGraphics;

// An SVG image drawn into the control's rectangle. With useLayer the image
// is drawn once into a layer, which is drawn back on later frames until the
// rectangle or the context's scales change.
class ISVGControl : public IControl {
public:
  ISVGControl(const IRECT& bounds, const ISVG& svg, bool useLayer = false);

  void Draw(IGraphics& g) override;

  const ISVG& GetSVG() const { return mSVG; }

private:
  ISVG mSVG;
  bool mUseLayer;
  ILayerPtr mLayer;  // released with the control
};

}  // namespace plugkit::graphics
