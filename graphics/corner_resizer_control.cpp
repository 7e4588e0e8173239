#include "graphics/corner_resizer_control.h"

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

ICornerResizerControl::ICornerResizerControl(const IRECT& editorBounds, float size, const IColor& color,
                                             const IColor& mouseOverColor, const IColor& dragColor)
    : IControl(editorBounds),
      mSize(size),
      mInitialGraphicsBounds(editorBounds),
      mColor(color),
      mMouseOverColor(mouseOverColor),
      mDragColor(dragColor) {}

void ICornerResizerControl::OnMouseDown(float, float, const IMouseMod&) {
  if (IGraphics* g = GetUI()) g->SetResizingInProcess(true);
}

void ICornerResizerControl::OnMouseDoubleClick(float, float, const IMouseMod&) {
  if (IGraphics* g = GetUI())
    g->Resize(static_cast<int>(mInitialGraphicsBounds.W()), static_cast<int>(mInitialGraphicsBounds.H()), 1.f, true);
}

void ICornerResizerControl::OnMouseHover(float x, float y, const IMouseMod& mod) {
  if (!mMouseOver) {
    if (IGraphics* g = GetUI()) mPrevCursorType = g->SetCursor(kResizeCursor);
    mMouseOver = true;
  }
  IControl::OnMouseHover(x, y, mod);
}

void ICornerResizerControl::OnMouseLeave() {
  if (mMouseOver) {
    if (IGraphics* g = GetUI()) g->SetCursor(mPrevCursorType);
    mMouseOver = false;
  }
  IControl::OnMouseLeave();
}

void ICornerResizerControl::OnRescale() {
  const IGraphics* g = GetUI();
  if (!g) return;
  const float size = mSize / g->GetDrawScale();
  const auto w = static_cast<float>(g->Width());
  const auto h = static_cast<float>(g->Height());
  SetRECT(IRECT(w - size, h - size, w, h));
  SetTargetRECT(GetRECT());
  SetMouseIsOver(false);
  OnResize();
}

void ICornerResizerControl::Draw(IGraphics& g) {
  const IColor& color = g.IsResizingInProcess() ? mDragColor : GetMouseIsOver() ? mMouseOverColor : mColor;
  const IRECT& r = GetRECT();
  g.FillTriangle(color, r.L, r.B, r.R, r.T, r.R, r.B);
}

}  // namespace plugkit::graphics
