// The frame: collecting dirty regions and drawing the controls into them.
#include "graphics/graphics_context.h"

namespace plugkit::graphics {

bool IGraphics::IsDirty(IRECTList& rects) {
  if (mDisplayTickFunc) mDisplayTickFunc();
  ForAllControls(&IControl::Animate);
  bool dirty = false;
  ForAllControlsFunc([&](IControl* control) {
    if (!control->IsDirty()) return;
    IRECT r = control->GetRECT().GetGrown(kControlMargin);
    if (const IControl* parent = control->GetParent())
      r = r.GetConstrained(parent->GetRECT().GetGrown(kControlMargin));
    if (rects.Add(r)) dirty = true;
  });
  return dirty;
}

void IGraphics::DrawRects(IRECTList& rects) {
  if (rects.Size() == 0) return;
  const float scale = GetBackingPixelScale();
  BeginFrame();
  if (mStrictDrawing) {
    Draw(rects.Bounds().GetPixelAligned(scale), scale);
  } else {
    for (int i = 0; i < rects.Size(); ++i) rects.Set(i, rects.Get(i).GetPixelAligned(scale));
    rects.Optimize();
    for (int i = 0; i < rects.Size(); ++i) Draw(rects.Get(i), scale);
  }
  EndFrame();
}

void IGraphics::Draw(const IRECT& bounds, float scale) {
  ForAllControlsFunc([&](IControl* control) { DrawControl(control, bounds, scale); });
}

void IGraphics::DrawControl(IControl* control, const IRECT& bounds, float scale) {
  if (!control) return;
  if (control->IsHidden() && control != GetControl(0)) return;
  IRECT clip = bounds.Intersect(control->GetRECT().GetGrown(kControlMargin).GetPixelAligned(scale));
  if (clip.W() <= 0.f || clip.H() <= 0.f) return;
  for (const IControl* ancestor = control->GetParent(); ancestor; ancestor = ancestor->GetParent()) {
    const IRECT ancestorBounds = ancestor->GetRECT().GetGrown(kControlMargin).GetPixelAligned(scale);
    if (!clip.Intersects(ancestorBounds)) return;
    clip = clip.GetConstrained(ancestorBounds);
  }
  PrepareRegion(clip);
  control->Draw(*this);
  CompleteRegion(clip);
}

// The stack keeps its storage: drawing a region allocates nothing.
void IGraphics::PrepareRegion(const IRECT& clip) {
  mTransformStack.clear();
  SetCurrentTransform(ITransform());
  PathClear();
  SetClipRect(clip);
  mClipRECT = clip;
}

}  // namespace plugkit::graphics
