#include "metal/render_pass.h"

namespace standin::metal {

// Draws are recorded and run in order, but there is no rasteriser yet: they
// change no pixel.
void RunDraw(const RenderPass&, const Draw&) {}

}  // namespace standin::metal
