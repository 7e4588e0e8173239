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

  // Fills the rectangle with the pattern at the control's blend; the frame is
  // a light grey outline over it.
  void Draw(IGraphics& g) override;

  const IPaint& GetPattern() const { return mPattern; }
  bool DrawsFrame() const { return mDrawFrame; }

private:
  static constexpr IColor kFrameColor = kColorLightGrey;

  IPaint mPattern;
  bool mDrawFrame;
};

}  // namespace plugkit::graphics
