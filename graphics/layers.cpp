// Layers: the stack that redirects drawing into offscreen bitmaps, the clip
// within a layer, the test whether a kept layer is still good, and drawing a
// finished layer back.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

// Whole pixels for a length in units at scale; 0 (no bitmap) for a length
// that is not a number or below 0, the largest int for one beyond it.
int PixelsOf(float units, float scale) {
  const double pixels = std::ceil(static_cast<double>(scale) * std::ceil(static_cast<double>(units)));
  if (!(pixels >= 0.0)) return 0;
  return pixels >= static_cast<double>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                         : static_cast<int>(pixels);
}

}  // namespace

void IGraphics::StartLayer(IControl* control, const IRECT& r, bool cacheable) {
  const float scale = GetBackingPixelScale();
  const IRECT aligned = r.GetPixelAligned(scale);
  std::unique_ptr<APIBitmap> bitmap = CreateLayerBitmap(PixelsOf(aligned.W(), scale), PixelsOf(aligned.H(), scale),
                                                        cacheable, mScreenScale, mDrawScale);
  PushLayer(new ILayer(std::move(bitmap), aligned, control, control ? control->GetRECT() : IRECT()));
}

ILayerPtr IGraphics::EndLayer() { return ILayerPtr(PopLayer()); }

void IGraphics::PushLayer(ILayer* layer) {
  if (!layer) return;
  mLayers.push_back(layer);
  SetRenderTarget();
  SetCurrentTransform(ITransform());
  SetClipRegion(layer->Bounds());
  PathClear();
}

void IGraphics::PushOwnedLayer(ILayerPtr& layer) {
  if (!layer) return;
  PushLayer(layer.release());
}

ILayer* IGraphics::PopLayer() {
  ILayer* popped = nullptr;
  if (!mLayers.empty()) {
    popped = mLayers.back();
    mLayers.pop_back();
  }
  SetRenderTarget();
  SetCurrentTransform(ITransform());
  SetClipRegion(0.f, 0.f, 0.f, 0.f);
  PathClear();
  return popped;
}

void IGraphics::SetClipRegion(float l, float t, float r, float b) {
  const ILayer* top = TopLayer();
  const IRECT drawn = top ? top->Bounds() : mClipRECT;
  IRECT clip;
  if (l == 0.f && t == 0.f && r == 0.f && b == 0.f)
    clip = drawn;
  else if (!drawn.Empty() && r >= drawn.L && l < drawn.R && b >= drawn.T && t < drawn.B)
    clip = IRECT(std::max(l, drawn.L), std::max(t, drawn.T), std::min(r, drawn.R), std::min(b, drawn.B));
  // The clip is in untransformed coordinates.
  SetTransform(ITransform());
  SetClipRect(clip);
  SetTransform(mTransform);
}

bool IGraphics::CheckLayer(const ILayerPtr& layer) {
  if (!layer || !layer->GetAPIBitmap()) return false;
  if (const IControl* control = layer->GetControl(); control && control->GetRECT() != layer->GetControlRECT()) {
    layer->SetControlRECT(control->GetRECT());
    layer->SetInvalid(true);
  }
  if (layer->IsInvalid()) return false;
  const APIBitmap* bitmap = layer->GetAPIBitmap();
  return bitmap->GetDrawScale() == mDrawScale && bitmap->GetScale() == mScreenScale;
}

bool IGraphics::IsDrawable(const ILayerPtr& layer) {
  return layer && layer->GetAPIBitmap() && layer->Bounds().W() != 0.f && layer->Bounds().H() != 0.f;
}

void IGraphics::DrawLayer(const ILayerPtr& layer, const IBlend* blend) {
  if (!IsDrawable(layer)) return;
  PathTransformSave();
  SetCurrentTransform(ITransform());
  DrawBitmap(layer->GetBitmap(), layer->Bounds(), 0, 0, blend);
  PathTransformRestore();
}

void IGraphics::DrawLayerInRect(const ILayerPtr& layer, const IRECT& bounds, const IBlend* blend) {
  if (!IsDrawable(layer)) return;
  const IRECT& recorded = layer->Bounds();
  PathTransformSave();
  PathTransformTranslate(bounds.L, bounds.T);
  PathTransformScale(bounds.W() / recorded.W(), bounds.H() / recorded.H());
  DrawBitmap(layer->GetBitmap(), IRECT(0.f, 0.f, recorded.W(), recorded.H()), 0, 0, blend);
  PathTransformRestore();
}

void IGraphics::DrawLayerRotated(const ILayerPtr& layer, double degrees) {
  if (!IsDrawable(layer)) return;
  const IRECT& recorded = layer->Bounds();
  PathTransformSave();
  SetCurrentTransform(ITransform());
  DrawRotatedBitmap(layer->GetBitmap(), (recorded.L + recorded.R) * 0.5f, (recorded.T + recorded.B) * 0.5f, degrees);
  PathTransformRestore();
}

}  // namespace plugkit::graphics
