#include "graphics/panel_control.h"

namespace plugkit::graphics {

IPanelControl::IPanelControl(const IRECT& bounds, const IPaint& pattern, bool drawFrame)
    : IControl(bounds), mPattern(pattern), mDrawFrame(drawFrame) {
  SetIgnoreMouse(true);
}

}  // namespace plugkit::graphics
