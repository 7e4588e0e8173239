#include "graphics/controls/vector_xy_pad.h"

#include <algorithm>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

constexpr int kXValue = 0;
constexpr int kYValue = 1;
constexpr float kCrossThickness = 1.f;

}  // namespace

IVXYPadControl::IVXYPadControl(const IRECT& bounds, std::initializer_list<int> params, const char* label,
                               const IVStyle& style, float handleRadius, bool trackClipsHandle, bool drawCross)
    : IControl(bounds, params),
      IVectorBase(style),
      mHandleRadius(handleRadius),
      mTrackClipsHandle(trackClipsHandle),
      mDrawCross(drawCross) {
  AttachIControl(this, label);
  mShape = EVShape::Ellipse;
}

void IVXYPadControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  DrawLabel(g);
  if (mStyle.drawFrame) g.DrawRect(GetColor(kFR), mWidgetBounds, &GetBlend(), mStyle.frameThickness);
  DrawWidget(g);
}

IRECT IVXYPadControl::TravelBounds() const {
  return mTrackClipsHandle ? mWidgetBounds : mWidgetBounds.GetGrown(-mHandleRadius);
}

void IVXYPadControl::DrawWidget(IGraphics& g) {
  DrawTrack(g);
  const IRECT travel = TravelBounds();
  const float x = travel.L + travel.W() * static_cast<float>(ValueAt(kXValue));
  const float y = travel.B - travel.H() * static_cast<float>(ValueAt(kYValue));
  const float r = mHandleRadius;
  DrawHandle(g, travel, IRECT(x - r, y - r, x + r, y + r));
}

void IVXYPadControl::DrawTrack(IGraphics& g) {
  if (!mDrawCross) return;
  const IRECT& w = mWidgetBounds;
  const float midX = (w.L + w.R) / 2.f;
  const float midY = (w.T + w.B) / 2.f;
  g.DrawLine(GetColor(kSH), midX, w.T, midX, w.B, &GetBlend(), kCrossThickness);
  g.DrawLine(GetColor(kSH), w.L, midY, w.R, midY, &GetBlend(), kCrossThickness);
}

void IVXYPadControl::DrawHandle(IGraphics& g, const IRECT& travel, const IRECT& handle) {
  if (mTrackClipsHandle) g.SetClipRegion(travel.GetGrown(-mStyle.frameThickness / 2.f));
  DrawPressableShape(g, mShape, handle, mMouseDown, GetMouseIsOver(), IsDisabled());
}

void IVXYPadControl::OnMouseDown(float x, float y, const IMouseMod& mod) {
  mMouseDown = true;
  if (mStyle.hideCursor && GetUI()) GetUI()->HideCursor(true, false);
  OnMouseDrag(x, y, 0.f, 0.f, mod);
}

void IVXYPadControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&) {
  const IRECT& r = GetRECT();
  // A pad without area has no point to map.
  if (!(r.W() > 0.f) || !(r.H() > 0.f)) return;
  x = std::clamp(x, r.L, r.R);
  y = std::clamp(y, r.T, r.B);
  SetValueAt((x - r.L) / r.W(), kXValue);
  SetValueAt(1.0 - (y - r.T) / r.H(), kYValue);
  MarkDirty(true);
}

void IVXYPadControl::OnMouseUp(float, float, const IMouseMod&) {
  if (mStyle.hideCursor && GetUI()) GetUI()->HideCursor(false, false);
  mMouseDown = false;
  MarkDirty(true);
}

void IVXYPadControl::OnResize() { ApplyLayout(false); }

}  // namespace plugkit::graphics
