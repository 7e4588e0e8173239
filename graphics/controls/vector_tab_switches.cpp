#include "graphics/controls/vector_tab_switches.h"

#include <algorithm>
#include <cmath>

#include "framework/core/param.h"
#include "graphics/graphics_context.h"
#include "graphics/rect_geometry.h"

namespace plugkit::graphics {

namespace {

IVStyle WithValueAligned(IVStyle style, EAlign align) {
  style.valueText.mAlign = align;
  style.valueText.mVAlign = EVAlign::Middle;
  return style;
}

// The corners a rounded tab rounds, by its shape, place and the row's direction.
struct RoundedCorners {
  bool topLeft = false;
  bool topRight = false;
  bool bottomLeft = false;
  bool bottomRight = false;
};

RoundedCorners TabCorners(EVShape shape, ETabSegment segment, EDirection direction) {
  const bool first = segment == ETabSegment::Start;
  const bool last = segment == ETabSegment::End;
  const bool horizontal = direction == EDirection::Horizontal;
  if (shape == EVShape::EndsRounded)
    return horizontal ? RoundedCorners{first, last, false, false} : RoundedCorners{false, first, false, last};
  return horizontal ? RoundedCorners{true, true, false, false} : RoundedCorners{false, true, false, true};
}

}  // namespace

// Tab switch --------------------------------------------------------------------------

IVTabSwitchControl::IVTabSwitchControl(const IRECT& bounds, int paramIdx, const std::vector<const char*>& options,
                                       const char* label, const IVStyle& style, EVShape shape, EDirection direction)
    : ISwitchControlBase(bounds, paramIdx, SplashClickAction, static_cast<int>(options.size())),
      IVectorBase(WithValueAligned(style, EAlign::Center)),
      mDirection(direction) {
  AttachIControl(this, label);
  SetText(mStyle.valueText);
  mShape = shape;
  for (const char* option : options) mTabLabels.emplace_back(option ? option : "");
}

IVTabSwitchControl::IVTabSwitchControl(const IRECT& bounds, ActionFunc actionFunc,
                                       const std::vector<const char*>& options, const char* label,
                                       const IVStyle& style, EVShape shape, EDirection direction)
    : IVTabSwitchControl(bounds, kNoParameter, options, label, style, shape, direction) {
  SetActionFunction(std::move(actionFunc));
}

void IVTabSwitchControl::Draw(IGraphics& g) {
  DrawBackground(g, GetRECT());
  DrawLabel(g);
  DrawWidget(g);
}

void IVTabSwitchControl::DrawWidget(IGraphics& g) {
  const int selected = SelectedIndex();
  const int n = static_cast<int>(mButtons.size());
  for (int i = 0; i < n; ++i) {
    const ETabSegment segment = i == n - 1 ? ETabSegment::End : i == 0 ? ETabSegment::Start : ETabSegment::Mid;
    DrawButton(g, mButtons[i], i == selected, i == mMouseOverButton, segment, IsDisabled() || GetStateDisabled(i));
    if (i < static_cast<int>(mTabLabels.size()) && mTabLabels[i].GetLength() > 0)
      DrawButtonText(g, mButtons[i], mTabLabels[i].Get());
  }
}

void IVTabSwitchControl::DrawButton(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver,
                                    ETabSegment segment, bool disabled) {
  if (mShape != EVShape::EndsRounded && mShape != EVShape::AllRounded) {
    DrawPressableShape(g, mShape, bounds, pressed, mouseOver, disabled);
    return;
  }
  const RoundedCorners c = TabCorners(mShape, segment, mDirection);
  DrawPressableRectangle(g, bounds, pressed, mouseOver, disabled, c.topLeft, c.topRight, c.bottomLeft,
                         c.bottomRight);
}

void IVTabSwitchControl::DrawButtonText(IGraphics& g, const IRECT& bounds, const char* str) {
  g.DrawTextIfNotEmpty(mStyle.valueText, str, bounds, OwnerBlend());
}

int IVTabSwitchControl::GetButtonForPoint(float x, float y) const {
  for (size_t i = 0; i < mButtons.size(); ++i)
    if (mButtons[i].Contains(x, y)) return static_cast<int>(i);
  return -1;
}

void IVTabSwitchControl::OnInit() {
  ISwitchControlBase::OnInit();
  const IParam* param = ParamOfValue(0);
  if (!param) return;
  if (mTabLabels.empty())
    for (int i = 0; i < mNumStates; ++i) mTabLabels.emplace_back(param->DisplayTextForValue(i));
  if (mLabelStr.GetLength() == 0) SetLabelStr(param->Name());
}

void IVTabSwitchControl::OnResize() {
  mButtons.clear();
  ApplyLayout(false);
  for (int i = 0; i < mNumStates; ++i) mButtons.push_back(SlotAlong(mWidgetBounds, mDirection, mNumStates, i));
}

void IVTabSwitchControl::OnMouseDown(float x, float y, const IMouseMod&) {
  if (const int index = GetButtonForPoint(x, y); index >= 0)
    SetValueAt(mNumStates < 2 ? 0.0 : static_cast<double>(index) / (mNumStates - 1));
  MarkDirty(true);
}

void IVTabSwitchControl::OnMouseHover(float x, float y, const IMouseMod& mod) {
  mMouseOverButton = GetButtonForPoint(x, y);
  ISwitchControlBase::OnMouseHover(x, y, mod);
  MarkDirty(false);
}

void IVTabSwitchControl::OnMouseLeave() {
  mMouseOverButton = -1;
  ISwitchControlBase::OnMouseLeave();
  MarkDirty(false);
}

int IVTabSwitchControl::SelectedIndex() const {
  if (mNumStates < 1) return -1;
  return static_cast<int>(std::lround(std::clamp(ValueAt(0), 0.0, 1.0) * (mNumStates - 1)));
}

const char* IVTabSwitchControl::GetSelectedLabelStr() const {
  const int selected = SelectedIndex();
  return selected >= 0 && selected < static_cast<int>(mTabLabels.size()) ? mTabLabels[selected].Get() : "";
}

// Radio button ------------------------------------------------------------------------

IVRadioButtonControl::IVRadioButtonControl(const IRECT& bounds, int paramIdx, const std::vector<const char*>& options,
                                           const char* label, const IVStyle& style, EVShape shape,
                                           EDirection direction, float buttonSize)
    : IVTabSwitchControl(bounds, paramIdx, options, label, style, shape, direction),
      mButtonSize(buttonSize),
      mButtonAreaWidth(buttonSize * kButtonAreaPerSize) {
  mStyle = WithValueAligned(mStyle, EAlign::Near);
  SetText(mStyle.valueText);
}

IVRadioButtonControl::IVRadioButtonControl(const IRECT& bounds, ActionFunc actionFunc,
                                           const std::vector<const char*>& options, const char* label,
                                           const IVStyle& style, EVShape shape, EDirection direction,
                                           float buttonSize)
    : IVRadioButtonControl(bounds, kNoParameter, options, label, style, shape, direction, buttonSize) {
  SetActionFunction(std::move(actionFunc));
}

IRECT IVRadioButtonControl::ButtonSquare(const IRECT& row) const {
  const float side = std::max(1.f, mButtonSize);
  return CentredIn(IRECT(row.L, row.T, row.L + mButtonAreaWidth, row.B), side, side);
}

void IVRadioButtonControl::DrawButton(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver,
                                      ETabSegment, bool disabled) {
  IVTabSwitchControl::DrawButton(g, ButtonSquare(bounds), pressed, mouseOver, ETabSegment::Mid, disabled);
}

void IVRadioButtonControl::DrawButtonText(IGraphics& g, const IRECT& bounds, const char* str) {
  IVTabSwitchControl::DrawButtonText(g, IRECT(bounds.L + mButtonAreaWidth, bounds.T, bounds.R, bounds.B), str);
}

int IVRadioButtonControl::GetButtonForPoint(float x, float y) const {
  if (!mOnlyButtonsRespondToMouse) return IVTabSwitchControl::GetButtonForPoint(x, y);
  for (size_t i = 0; i < mButtons.size(); ++i)
    if (ButtonSquare(mButtons[i]).Contains(x, y)) return static_cast<int>(i);
  return -1;
}

}  // namespace plugkit::graphics
