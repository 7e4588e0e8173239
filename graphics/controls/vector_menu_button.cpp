#include "graphics/controls/vector_menu_button.h"

#include <algorithm>
#include <cmath>

#include "common/popup_menu.h"
#include "framework/core/param.h"
#include "graphics/controls/vector_buttons.h"
#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

IVStyle WithValueCentred(IVStyle style) {
  style.valueText.mVAlign = EVAlign::Middle;
  return style;
}

}  // namespace

IVMenuButtonControl::IVMenuButtonControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                         EVShape shape)
    : IContainerBase(
          bounds,
          [shape](IContainerBase* self, const IRECT&) {
            static_cast<IVMenuButtonControl*>(self)->CreateButton(shape);
          },
          [](IContainerBase* self, const IRECT& r) {
            IControl* button = self->GetChild(0);
            button->SetRECT(r);
            button->SetTargetRECT(r);
            button->SetMouseIsOver(false);
            button->OnResize();
          }),
      IVectorBase(style) {
  AttachIControl(this, label);
  SetText(style.valueText);
  mShape = shape;
  LinkValueToParam(paramIdx, 0);
  // The menu is this control's prompt.
  SetPromptDisabled(false);
}

IVMenuButtonControl::~IVMenuButtonControl() {
  IGraphics* graphics = GetUI();
  if (IControl* button = GetChild(0); button && graphics) graphics->RemoveControl(button);
}

IVButtonControl* IVMenuButtonControl::GetButton() const { return static_cast<IVButtonControl*>(GetChild(0)); }

void IVMenuButtonControl::CreateButton(EVShape shape) {
  auto* button = new IVButtonControl(GetRECT(), SplashClickAction, "", WithValueCentred(mStyle), false, true, shape);
  if (!AddChildControl(button, -1, GetGroup())) {
    delete button;
    return;
  }
  StrBuf text;
  ParamDisplayTextWithLabel(0, text);
  button->SetValueStr(text.Get());
  button->OnStyleChanged();
  button->MarkDirty(false);
  button->SetAnimationEndActionFunction(
      [this](IControl* child) { PromptUserInput(static_cast<IVButtonControl*>(child)->GetWidgetBounds(), 0); });
}

void IVMenuButtonControl::ShowValueOnButton() {
  IVButtonControl* button = GetButton();
  if (!button) return;
  StrBuf text;
  ParamDisplayTextWithLabel(0, text);
  button->SetValueStr(text.Get());
  button->OnStyleChanged();
  button->MarkDirty(false);
}

void IVMenuButtonControl::OnPopupMenuSelection(IPopupMenu* menu, int valIdx) {
  if (!menu) return;
  const int chosen = menu->GetChosenItemIdx();
  if (IVButtonControl* button = GetButton()) {
    const IPopupMenu::Item* item = menu->GetChosenItem();
    button->SetValueStr(item ? item->GetText() : "");
    button->OnStyleChanged();
    button->MarkDirty(false);
  }
  const IParam* param = ParamOfValue(valIdx);
  if (chosen < 0 || !param || IsPromptDisabled()) return;
  double real = chosen;
  // A step not above 0 would divide by zero.
  if (param->GetStepped() && param->GetStep() > 0.0) real = std::floor(real / param->GetStep()) * param->GetStep();
  const double normalized = std::clamp(param->ToNormalized(param->Clamp(real)), 0.0, 1.0);
  if (std::isfinite(normalized)) SetValueFromUser(normalized, valIdx);
}

void IVMenuButtonControl::SetValueFromHost(double value, int valIdx) {
  IContainerBase::SetValueFromHost(value, valIdx);
  ShowValueOnButton();
}

void IVMenuButtonControl::SetValueFromUser(double value, int valIdx) {
  IContainerBase::SetValueFromUser(value, valIdx);
  ShowValueOnButton();
}

void IVMenuButtonControl::SetStyle(const IVStyle& style) {
  IVectorBase::SetStyle(style);
  if (IVButtonControl* button = GetButton()) button->SetStyle(WithValueCentred(style));
}

}  // namespace plugkit::graphics
