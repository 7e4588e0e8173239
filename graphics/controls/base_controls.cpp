// The control base's default placement, corner mark, registered events,
// point-to-value mapping, animation start and end and the value prompt over
// a rectangle, on which the interaction controls build.
#include <algorithm>
#include <cmath>

#include "framework/core/param.h"
#include "graphics/clock.h"
#include "graphics/control.h"
#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

constexpr float kCornerMarkRadius = 2.f;
constexpr float kCornerMarkInset = 5.f;
constexpr double kPointValueStep = 0.001;

}  // namespace

void IControl::SetPosition(float x, float y) {
  x = std::max(0.f, x);
  y = std::max(0.f, y);
  const float targetOffsetX = mTargetRECT.L - mRECT.L;
  const float targetOffsetY = mTargetRECT.T - mRECT.T;
  const float targetW = mTargetRECT.W();
  const float targetH = mTargetRECT.H();
  mRECT = IRECT(x, y, x + mRECT.W(), y + mRECT.H());
  mMouseIsOver = false;
  OnResize();
  const float targetL = mRECT.L + targetOffsetX;
  const float targetT = mRECT.T + targetOffsetY;
  mTargetRECT = IRECT(targetL, targetT, targetL + targetW, targetT + targetH);
  mMouseIsOver = false;
}

void IControl::SetSize(float w, float h) {
  w = std::max(0.f, w);
  h = std::max(0.f, h);
  mRECT = IRECT(mRECT.L, mRECT.T, mRECT.L + w, mRECT.T + h);
  mTargetRECT = mRECT;
  mMouseIsOver = false;
  OnResize();
}

bool IControl::OnRegisteredEvent(const IEventInfo& info) {
  const auto found = mEventHandlers.find(info.kind);
  if (found == mEventHandlers.end()) return false;
  mLastEventKind = info.kind;
  // A copy: the handler may replace itself.
  const EventHandlerFunc handler = found->second;
  handler(this, info);
  return true;
}

void IControl::AttachEventHandler(int32_t kind, EventHandlerFunc handler) {
  mEventHandlers.insert_or_assign(kind, std::move(handler));
  if (mGraphics) mGraphics->RegisterEventKind(kind);
}

void IControl::DrawCornerMark(IGraphics& g) {
  if (!mCornerMarkShown) return;
  g.FillCircle(mCornerMarkColor, mTargetRECT.R - kCornerMarkInset, mTargetRECT.T + kCornerMarkInset,
               kCornerMarkRadius);
}

void IControl::SetCornerMark(bool show, int colorIndex) {
  switch (colorIndex) {
    case kCornerMarkRed: mCornerMarkColor = kColorRed; break;
    case kCornerMarkBlue: mCornerMarkColor = kColorBlue; break;
    case kCornerMarkGreen: mCornerMarkColor = kColorGreen; break;
    case kCornerMarkYellow: mCornerMarkColor = kColorYellow; break;
    default: break;
  }
  mCornerMarkShown = show;
  MarkDirty(false);
}

void IControl::SetValueFromPoint(float x, float y, EDirection direction, const IRECT& bounds, int valIdx,
                                 double minClip, double maxClip) {
  if (valIdx >= NVals()) return;
  x = std::min(std::max(x, bounds.L), bounds.R);
  y = std::min(std::max(y, bounds.T), bounds.B);
  double value = direction == EDirection::Vertical ? 1.0 - (y - bounds.T) / (bounds.B - bounds.T)
                                                   : (x - bounds.L) / (bounds.R - bounds.L);
  // A span of no length maps no point to a value.
  if (!std::isfinite(value)) return;
  value = std::min(std::max(SnapToStep(value, kPointValueStep), minClip), maxClip);
  if (valIdx >= 0) {
    SetValueAt(value, valIdx);
  } else {
    for (int i = 0; i < NVals(); ++i) SetValueAt(value, i);
  }
  MarkDirty(true, valIdx);
}

void IControl::OnEndAnimation() {
  mAnimationFunc = nullptr;
  MarkDirty(false);
  Run(mAnimationEndActionFunc, this);
}

void IControl::StartAnimation(int durationMs) {
  mAnimationStartTime = GraphicsClock::NowMs();
  mAnimationDuration = durationMs;
}

void IControl::PromptUserInput(const IRECT& bounds, int valIdx) {
  if (PromptableParam(valIdx) && mGraphics) mGraphics->PromptUserInput(*this, bounds, valIdx);
}

}  // namespace plugkit::graphics
