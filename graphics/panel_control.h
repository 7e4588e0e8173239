#pragma once

#include "graphics/control.h"
#include "graphics/drawing_types.h"
#include "graphics/graphics_types.h"

namespace plugkit::graphics {

// A rectangle filled with a pattern, optionally framed; it never takes the
// mouse, so it can lie under other controls as a background.
class IPanelControl : public IControl {
public:
  IPanelControl(const IRECT& bounds, const IPaint& pattern, bool drawFrame = false);

  // Filling needs the drawing interface, which the renderer brings.
  void Draw(IGraphics&) override {}

  const IPaint& GetPattern() const { return mPattern; }
  bool DrawsFrame() const { return mDrawFrame; }

private:
  IPaint mPattern;
  bool mDrawFrame;
};

}  // namespace plugkit::graphics
