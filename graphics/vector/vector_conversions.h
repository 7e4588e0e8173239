#pragma once

// The graphics core's drawing records turned into the vector core's colours,
// paints, composite state and shapes.
//
// Threads: the thread that drives the vector context (the main thread).

#include "graphics/drawing_types.h"
#include "graphics/graphics_types.h"
#include "graphics/renderer/render_backend.h"
#include "graphics/renderer/vector_context.h"

namespace plugkit::graphics {

// Straight-alpha floats; the blend's weight (1 without a blend) multiplies alpha.
VCcolor VectorColor(const IColor& color, const IBlend* blend);

// Methods 0 to 7 are the core's composite operations of the same number, 8
// blends by source and destination alpha and 9 is xor; no blend is
// source-over, and any other method leaves the composite state as it is.
void BlendToComposite(VCcontext* ctx, const IBlend* blend);

// A gradient from the first stop's colour to the last one's, laid out by the
// inverse of the paint's transform (which maps user space to paint space): a
// radial paint about the origin with the unit radius, the inner radius at the
// first stop's offset; any other paint along the unit y axis. The paint's
// extend mode is not used.
VCpaint PatternToPaint(VCcontext* ctx, const IPaint& paint, const IBlend* blend);

// Adds the rectangle to the path.
void VectorRect(VCcontext* ctx, const IRECT& r);

// Caps and joins the core knows set its state; other values leave it.
void VectorLineCap(VCcontext* ctx, ELineCap cap);
void VectorLineJoin(VCcontext* ctx, ELineJoin join);

}  // namespace plugkit::graphics
