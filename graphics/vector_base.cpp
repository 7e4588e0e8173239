#include "graphics/vector_base.h"

#include <algorithm>
#include <cmath>

#include "framework/core/param.h"
#include "graphics/control.h"
#include "graphics/graphics_context.h"
#include "graphics/rect_geometry.h"

namespace plugkit::graphics {

namespace {

IColor Darkened(const IColor& color) {
  const auto channel = [](int value) { return std::clamp(value - IVectorBase::kDisabledDarkening, 0, 255); };
  return IColor(color.A, channel(color.R), channel(color.G), channel(color.B));
}

// The triangle pointing up in r, turned by angle degrees about r's centre.
void TurnedTriangle(const IRECT& r, float angle, float (&x)[3], float (&y)[3]) {
  const float cx = (r.L + r.R) / 2.f;
  const float cy = (r.T + r.B) / 2.f;
  const float px[3] = {r.L, cx, r.R};
  const float py[3] = {r.B, r.T, r.B};
  const double theta = DegreesToRadians(angle);
  const double cosTheta = std::cos(theta);
  const double sinTheta = std::sin(theta);
  for (int i = 0; i < 3; ++i) {
    const double dx = px[i] - cx;
    const double dy = py[i] - cy;
    x[i] = cx + static_cast<float>(dx * cosTheta - dy * sinTheta);
    y[i] = cy + static_cast<float>(dx * sinTheta + dy * cosTheta);
  }
}

struct TextSize {
  float w = 0.f;
  float h = 0.f;
};

// Nothing is measured without a graphics context or a text.
TextSize Measure(const IControl* control, const IText& text, const char* str) {
  IGraphics* graphics = control ? control->GetUI() : nullptr;
  if (!graphics) return {};
  IRECT measured;
  graphics->MeasureTextIfNotEmpty(text, str, measured);
  return {measured.W(), measured.H()};
}

// A w x h rectangle against one side of parent, centred along it.
IRECT AgainstSide(const IRECT& parent, ESide side, float w, float h) {
  const IRECT centred = CentredIn(parent, w, h);
  switch (side) {
    case ESide::Right: return IRECT(parent.R - w, centred.T, parent.R, centred.B);
    case ESide::Bottom: return IRECT(centred.L, parent.B - h, centred.R, parent.B);
    case ESide::Left: return IRECT(parent.L, centred.T, parent.L + w, centred.B);
    case ESide::Top:
    default: return IRECT(centred.L, parent.T, centred.R, parent.T + h);
  }
}

// area less the strip of r's depth on that side.
IRECT WithoutSide(const IRECT& area, ESide side, const IRECT& r) {
  switch (side) {
    case ESide::Right: return IRECT(area.L, area.T, area.R - r.W(), area.B);
    case ESide::Bottom: return IRECT(area.L, area.T, area.R, area.B - r.H());
    case ESide::Left: return IRECT(area.L + r.W(), area.T, area.R, area.B);
    case ESide::Top:
    default: return IRECT(area.L, area.T + r.H(), area.R, area.B);
  }
}

}  // namespace

IVectorBase::IVectorBase(const IVStyle& style, bool labelInWidget, bool valueInWidget)
    : mLabelInWidget(labelInWidget), mValueInWidget(valueInWidget) {
  SetStyle(style);
}

void IVectorBase::AttachIControl(IControl* control, const char* label) {
  mControl = control;
  SetLabelStr(label);
}

IRECT IVectorBase::MakeRects(const IRECT& parent, bool hasHandle) {
  IRECT clickable = parent;
  if (!mLabelInWidget) {
    mLabelBounds = IRECT();
    if (mStyle.showLabel && mLabelStr.GetLength() > 0) {
      const TextSize label = Measure(mControl, mStyle.labelText, mLabelStr.Get());
      const float w = std::max(1.f, label.w);
      const float h = label.h > 0.f ? label.h : w;
      mLabelBounds = AgainstSide(parent, mStyle.labelSide, w, h);
      clickable = WithoutSide(clickable, mStyle.labelSide, mLabelBounds);
    }
  }

  if (!mStyle.showValue || mValueInWidget) {
    mValueBounds = IRECT();
    mWidgetBounds = ScaledAboutCentre(clickable, mStyle.widgetFrac);
  } else {
    const TextSize value = Measure(mControl, mStyle.valueText, mValueStr.Get());
    const IRECT band = CentredIn(clickable, 2.f * value.w * mValueDisplayFrac, value.h);
    IRECT widget = clickable;
    switch (mStyle.valueText.mVAlign) {
      case EVAlign::Top:
        mValueBounds = IRECT(band.L, clickable.T, band.R, clickable.T + value.h);
        widget.T += value.h;
        break;
      case EVAlign::Bottom:
        mValueBounds = IRECT(band.L, clickable.B - value.h, band.R, clickable.B);
        widget.B -= value.h;
        break;
      case EVAlign::Middle:
      default: mValueBounds = band; break;
    }
    mWidgetBounds = ScaledAboutCentre(widget, mStyle.widgetFrac);
  }

  if (hasHandle) {
    IRECT handle = clickable;
    if (mStyle.drawFrame) handle = handle.GetGrown(-mStyle.frameThickness / 2.f);
    if (mStyle.drawShadows) {
      const float offset = mStyle.shadowOffset;
      handle = IRECT(handle.L + offset, handle.T, handle.R - offset, handle.B - offset);
    }
    mWidgetBounds = ScaledAboutCentre(handle, mStyle.widgetFrac);
  }

  if (mLabelInWidget) mLabelBounds = mWidgetBounds;
  if (mValueInWidget) mValueBounds = mWidgetBounds;
  return clickable;
}

void IVectorBase::ApplyLayout(bool hasHandle) {
  if (!mControl) return;
  mControl->SetTargetRECT(MakeRects(mControl->GetRECT(), hasHandle));
  mControl->SetMouseIsOver(false);
  mControl->MarkDirty(false);
}

float IVectorBase::HandleShadowShift() const {
  return mStyle.drawShadows && mShape != EVShape::Ellipse ? mStyle.shadowOffset / 2.f : 0.f;
}

void IVectorBase::ShowParamValue() {
  if (mControl && mControl->ParamOfValue(0)) mControl->ParamDisplayTextWithLabel(0, mValueStr);
}

void IVectorBase::ShowParamValueAndName() {
  const IParam* param = mControl ? mControl->ParamOfValue(0) : nullptr;
  if (!param) return;
  mControl->ParamDisplayTextWithLabel(0, mValueStr);
  if (mLabelStr.GetLength() == 0) SetLabelStr(param->Name());
}

void IVectorBase::SetStyle(const IVStyle& style) {
  mStyle = style;
  OnStyleChanged();
}

void IVectorBase::SetSplashPoint(float x, float y) {
  mSplashX = x;
  mSplashY = y;
  OnStyleChanged();
}

void IVectorBase::SetSplashRadius(float radius) {
  mSplashRadius = radius;
  OnStyleChanged();
}

const IBlend* IVectorBase::OwnerBlend() const { return mControl ? &mControl->GetBlend() : nullptr; }

bool IVectorBase::SplashIsRunning() const { return mControl && mControl->GetAnimationFunction(); }

void IVectorBase::DrawBackground(IGraphics& g, const IRECT& r) { g.FillRect(GetColor(kBG), r, OwnerBlend()); }

void IVectorBase::DrawLabel(IGraphics& g) {
  if (mLabelBounds.H() == 0.f || !mStyle.showLabel) return;
  g.DrawTextIfNotEmpty(mStyle.labelText, mLabelStr.Get(), mLabelBounds, OwnerBlend());
}

void IVectorBase::DrawValue(IGraphics& g, bool mouseOver) {
  if (mouseOver) g.FillRect(kValueMouseOverColor, mValueBounds, OwnerBlend());
  if (mStyle.showValue) g.DrawTextIfNotEmpty(mStyle.valueText, mValueStr.Get(), mValueBounds, OwnerBlend());
}

IRECT IVectorBase::DrawPressableShape(IGraphics& g, EVShape shape, const IRECT& bounds, bool pressed, bool mouseOver,
                                      bool disabled) {
  switch (shape) {
    case EVShape::Ellipse: return DrawPressableEllipse(g, bounds, pressed, mouseOver, disabled);
    case EVShape::Triangle: return DrawPressableTriangle(g, bounds, pressed, mouseOver, disabled, mStyle.angle);
    case EVShape::EndsRounded:
      return DrawPressableRectangle(g, bounds, pressed, mouseOver, disabled, true, true, false, false);
    case EVShape::Rectangle:
    case EVShape::AllRounded:
    default: return DrawPressableRectangle(g, bounds, pressed, mouseOver, disabled);
  }
}

IVectorBase::FaceColors IVectorBase::ColorsFor(bool disabled) const {
  FaceColors colors{GetColor(kFG), GetColor(kPR), GetColor(kFR), GetColor(kHL), GetColor(kSH)};
  if (disabled) {
    for (IColor* color : {&colors.fg, &colors.pr, &colors.fr, &colors.hl, &colors.sh}) *color = Darkened(*color);
  }
  return colors;
}

// The embossed face sits inside the handle, half a shadow offset in from each edge.
IVectorBase::FaceLayout IVectorBase::LayoutFace(const IRECT& bounds, bool pressed) const {
  IRECT r = bounds;
  if (mStyle.drawFrame) r = r.GetGrown(-mStyle.frameThickness / 2.f);
  const float offset = mStyle.shadowOffset;
  IRECT handle = mStyle.drawShadows ? IRECT(r.L + offset, r.T, r.R - offset, r.B - offset) : r;
  const IRECT shadow(handle.L + offset, handle.T + offset, handle.R + offset, handle.B + offset);
  if (pressed) handle = shadow;
  return {handle, shadow, handle.GetGrown(-offset / 2.f)};
}

template <class FillShape, class StrokeShape>
IRECT IVectorBase::DrawFace(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, bool disabled,
                            FillShape fill, StrokeShape stroke) {
  const FaceColors colors = ColorsFor(disabled);
  const FaceLayout layout = LayoutFace(bounds, pressed);
  const IColor& faceColor = pressed ? colors.pr : colors.fg;
  if (!pressed && mStyle.drawShadows) fill(colors.sh, layout.shadow);
  if (mStyle.emboss) {
    fill(colors.pr, layout.handle);
    fill(colors.sh, layout.shadow);
    fill(faceColor, layout.face);
  } else {
    fill(faceColor, layout.handle);
  }
  if (mouseOver) fill(colors.hl, layout.handle);
  if (SplashIsRunning()) {
    g.SetClipRegion(layout.handle);
    g.FillCircle(colors.hl, mSplashX, mSplashY, mSplashRadius, OwnerBlend());
    g.SetClipRegion(0.f, 0.f, 0.f, 0.f);
  }
  if (mStyle.drawFrame) stroke(colors.fr, layout.handle);
  return layout.handle;
}

IRECT IVectorBase::DrawPressableRectangle(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver,
                                          bool disabled, bool roundTopLeft, bool roundTopRight, bool roundBottomLeft,
                                          bool roundBottomRight) {
  // Each rectangle is rounded by its own size: the face is smaller than the handle.
  const auto radius = [&](const IRECT& r, bool round) {
    return round ? mStyle.roundness * std::min(r.W(), r.H()) / 2.f : 0.f;
  };
  const auto fill = [&](const IColor& color, const IRECT& r) {
    g.FillRoundRectCorners(color, r, radius(r, roundTopLeft), radius(r, roundTopRight), radius(r, roundBottomRight),
                           radius(r, roundBottomLeft), OwnerBlend());
  };
  const auto stroke = [&](const IColor& color, const IRECT& r) {
    g.DrawRoundRectCorners(color, r, radius(r, roundTopLeft), radius(r, roundTopRight), radius(r, roundBottomRight),
                           radius(r, roundBottomLeft), OwnerBlend(), mStyle.frameThickness);
  };
  return DrawFace(g, bounds, pressed, mouseOver, disabled, fill, stroke);
}

IRECT IVectorBase::DrawPressableEllipse(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver,
                                        bool disabled) {
  const auto fill = [&](const IColor& color, const IRECT& r) { g.FillEllipseInRect(color, r, OwnerBlend()); };
  const auto stroke = [&](const IColor& color, const IRECT& r) {
    g.DrawEllipseInRect(color, r, OwnerBlend(), mStyle.frameThickness);
  };
  return DrawFace(g, bounds, pressed, mouseOver, disabled, fill, stroke);
}

IRECT IVectorBase::DrawPressableTriangle(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver,
                                         bool disabled, float angle) {
  float x[3];
  float y[3];
  const auto fill = [&](const IColor& color, const IRECT& r) {
    TurnedTriangle(r, angle, x, y);
    g.FillTriangle(color, x[0], y[0], x[1], y[1], x[2], y[2], OwnerBlend());
  };
  const auto stroke = [&](const IColor& color, const IRECT& r) {
    TurnedTriangle(r, angle, x, y);
    g.DrawTriangle(color, x[0], y[0], x[1], y[1], x[2], y[2], OwnerBlend(), mStyle.frameThickness);
  };
  return DrawFace(g, bounds, pressed, mouseOver, disabled, fill, stroke);
}

// Splash -----------------------------------------------------------------------------

void SplashClickAction(IControl* control) {
  auto* vectorBase = dynamic_cast<IVectorBase*>(control);
  if (!vectorBase) {
    DefaultClickAction(control);
    return;
  }
  float x = 0.f;
  float y = 0.f;
  if (const IGraphics* graphics = control->GetUI()) graphics->StoredCursorPosition(x, y);
  vectorBase->SetSplashPoint(x, y);
  control->SetAnimation(SplashAnimationStep, kClickAnimationMs);
}

void SplashAnimationStep(IControl* control) {
  auto* vectorBase = dynamic_cast<IVectorBase*>(control);
  if (!vectorBase) {
    DefaultAnimationStep(control);
    return;
  }
  const double progress = control->AnimationProgress();
  if (progress > 1.0) {
    control->OnEndAnimation();
    return;
  }
  vectorBase->SetSplashRadius(vectorBase->GetMaxSplashRadius() * static_cast<float>(progress));
  control->MarkDirty(false);
}

}  // namespace plugkit::graphics
