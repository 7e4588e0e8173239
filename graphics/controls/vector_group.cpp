#include "graphics/controls/vector_group.h"

#include <algorithm>
#include <utility>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

// Each corner's quarter turn, clockwise from the top right; 0 degrees is up.
constexpr float kTopRightFrom = 0.f;
constexpr float kQuarterTurn = 90.f;

}  // namespace

IVGroupControl::IVGroupControl(const char* label, const char* groupName, float padL, float padT, float padR,
                               float padB, const IVStyle& style)
    : IContainerBase(IRECT()),
      IVectorBase(style),
      mGroupName(groupName ? groupName : ""),
      mPadL(padL),
      mPadT(padT),
      mPadR(padR),
      mPadB(padB) {
  AttachIControl(this, label);
}

IVGroupControl::IVGroupControl(const IRECT& bounds, const char* label, float labelOffset, const IVStyle& style,
                               AttachFunc attachFunc, ResizeFunc resizeFunc)
    : IContainerBase(bounds, std::move(attachFunc), std::move(resizeFunc)),
      IVectorBase(style),
      mLabelOffset(labelOffset) {
  AttachIControl(this, label);
}

void IVGroupControl::OnInit() {
  if (mGroupName.GetLength() > 0) SetBoundsBasedOnGroup(mGroupName.Get(), mPadL, mPadT, mPadR, mPadB);
}

void IVGroupControl::SetBoundsBasedOnGroup(const char* groupName, float padL, float padT, float padR, float padB) {
  mGroupName.Set(groupName ? groupName : "");
  IRECT bounds;
  if (IGraphics* graphics = GetUI()) {
    // Counting itself would grow the frame by the padding at every call.
    graphics->ForControlInGroup(mGroupName.Get(), [&](IControl* control) {
      if (control != this) bounds = bounds.Union(control->GetRECT());
    });
  }
  bounds = IRECT(bounds.L - padL, bounds.T - padT, bounds.R + padR, bounds.B + padB);
  SetRECT(bounds);
  SetTargetRECT(bounds);
  OnResize();
}

float IVGroupControl::CornerRadius() const {
  return mStyle.roundness * std::min(mWidgetBounds.W(), mWidgetBounds.H()) / 2.f;
}

void IVGroupControl::OnResize() {
  IContainerBase::OnResize();
  ApplyLayout(false);
  // The frame's top line runs through the middle of the label.
  mWidgetBounds.T -= mLabelBounds.H() / 2.f + mStyle.frameThickness / 2.f;
  if (!mLabelBounds.Empty()) {
    const float left = GetRECT().L + mLabelOffset + mStyle.frameThickness + CornerRadius();
    mLabelBounds = IRECT(left - mLabelPadding, mLabelBounds.T, left + mLabelBounds.W() + mLabelPadding,
                         mLabelBounds.B);
  }
}

void IVGroupControl::Draw(IGraphics& g) {
  DrawLabel(g);
  DrawWidget(g);
}

void IVGroupControl::DrawWidget(IGraphics& g) {
  const IRECT frame = mWidgetBounds.GetGrown(-mStyle.frameThickness / 2.f);
  const float r = CornerRadius();
  const float middle = (GetRECT().L + GetRECT().R) / 2.f;
  const bool labelled = !mLabelBounds.Empty();
  const float cornerX[] = {frame.R - r, frame.R - r, frame.L + r, frame.L + r};
  const float cornerY[] = {frame.T + r, frame.B - r, frame.B - r, frame.T + r};
  g.PathClear();
  g.PathMoveTo(labelled ? mLabelBounds.R : middle, frame.T);
  for (int corner = 0; corner < 4; ++corner) {
    const float from = kTopRightFrom + kQuarterTurn * static_cast<float>(corner);
    g.PathArc(cornerX[corner], cornerY[corner], r, from, from + kQuarterTurn);
  }
  g.PathLineTo(labelled ? mLabelBounds.L : middle, frame.T);
  const IColor& color = GetColor(mStyle.drawShadows ? kSH : kFR);
  g.StrokePath(IPaint(color), mStyle.frameThickness, IStrokeStyle(), &GetBlend());
}

}  // namespace plugkit::graphics
