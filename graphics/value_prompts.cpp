// The graphics context's requests on behalf of controls: value prompts,
// popup and context menus and text entry, with their answers, and the
// in-window controls that show them.
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "framework/core/param.h"
#include "graphics/controls/popup_menu_control.h"
#include "graphics/controls/text_entry_control.h"
#include "graphics/graphics_context.h"
#include "graphics/graphics_editor_delegate.h"

namespace plugkit::graphics {

namespace {

bool PromptsWithMenu(const IParam& param) {
  return param.Type() == IParam::kTypeEnum || (param.Type() == IParam::kTypeBool && param.DisplayTextCount() > 0);
}

}  // namespace

// Prompts -------------------------------------------------------------------------

void IGraphics::PromptUserInput(IControl& control, const IRECT& bounds, int valIdx) {
  const IParam* param = control.ParamOfValue(valIdx);
  if (!param) return;
  if (PromptsWithMenu(*param)) {
    StrBuf current;
    param->GetDisplay(current);
    ResetPromptMenu();
    for (int i = 0; i < param->DisplayTextCount(); ++i) {
      const char* text = param->DisplayTextForValue(i);
      const bool isCurrent = std::strcmp(text, current.Get()) == 0;
      mPromptPopupMenu.AddItem(text, IPopupMenu::kAppend,
                               isCurrent ? IPopupMenu::Item::kChecked : IPopupMenu::Item::kNoFlags);
    }
    mPromptPopupMenu.SetRootTitle(param->Name());
    CreatePopupMenuFor(control, mPromptPopupMenu, bounds, valIdx);
    return;
  }
  StrBuf text;
  param->GetDisplay(text, false);
  if (control.GetPromptShowsParamLabel()) {
    text.Append(" ");
    text.Append(param->Label());
  }
  CreateTextEntry(control, control.GetText(), bounds, text.Get(), valIdx);
}

// Text entry ----------------------------------------------------------------------

void IGraphics::CreateTextEntry(IControl& control, const IText& text, const IRECT& bounds, const char* str,
                                int valIdx) {
  mInTextEntry = &control;
  mTextEntryValIdx = valIdx;
  const int paramIdx = valIdx < 0 ? IControl::kNoParameter : control.ParamIndexOfValue(valIdx);
  const int length = control.GetTextEntryLength();
  if (mTextEntryControl)
    mTextEntryControl->CreateTextEntry(paramIdx, text, bounds, length, str);
  else
    ShowPlatformTextEntry(paramIdx, text, bounds, length, str);
  control.MarkDirty(false);
}

// The request is taken before the control hears of it, so that a new entry
// the control asks for meanwhile stays pending.
void IGraphics::SetControlValueAfterTextEdit(const char* str) {
  IControl* control = std::exchange(mInTextEntry, nullptr);
  const int valIdx = std::exchange(mTextEntryValIdx, -1);
  if (!control) return;
  const IParam* param = valIdx >= 0 ? control->ParamOfValue(valIdx) : nullptr;
  if (!param) {
    control->OnTextEntryCompletion(str, valIdx);
    return;
  }
  const double normalized = param->ToNormalized(param->Constrain(param->ParseValue(str)));
  // A shape may map a value to no number, which must reach neither delegate nor host.
  if (std::isfinite(normalized)) control->SetValueFromUser(normalized, valIdx);
}

void IGraphics::ForgetTextEntryTarget() {
  mInTextEntry = nullptr;
  mTextEntryValIdx = -1;
}

// Popup menus ---------------------------------------------------------------------

void IGraphics::CreatePopupMenuFor(IControl& control, IPopupMenu& menu, const IRECT& bounds, int valIdx) {
  DoCreatePopupMenu(control, menu, bounds, valIdx, false);
}

void IGraphics::DoCreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds, int valIdx,
                                  bool isContext) {
  // A menu still waiting is replaced unanswered. The edits of a press on the
  // control, and those of the menu it replaces for the same control, end with
  // this one's answer; a context menu ends none.
  if (isContext || mInPopupMenu != &control) EndParamEdits(std::exchange(mMenuEdits, {}));
  if (!isContext) {
    for (const auto& [touchId, captured] : mCapturedMap) {
      if (captured != &control || !mPressEdits.count(touchId)) continue;
      const std::vector<int> pressEdits = TakePressEdits(touchId);
      mMenuEdits.insert(mMenuEdits.end(), pressEdits.begin(), pressEdits.end());
      break;
    }
  }
  ReleaseMouseCapture();
  mInPopupMenu = &control;
  mPopupMenuValIdx = valIdx;
  mIsContextMenu = isContext;
  if (mPopupMenuControl) {
    mInWindowMenuOwner = &control;
    mPopupMenuControl->OpenMenu(menu, bounds);
    return;
  }
  bool isAsync = false;
  IPopupMenu* result = ShowPlatformPopupMenu(menu, bounds, isAsync);
  if (!isAsync) SetPopupMenuResult(result);
}

// The request, and the parameters whose edits end, are taken before the
// control hears of the answer: its handler may ask for a new menu or remove
// the control.
void IGraphics::SetPopupMenuResult(IPopupMenu* result) {
  IControl* control = std::exchange(mInPopupMenu, nullptr);
  const int valIdx = std::exchange(mPopupMenuValIdx, -1);
  const bool isContext = std::exchange(mIsContextMenu, false);
  const std::vector<int> pressEdits = std::exchange(mMenuEdits, {});
  if (!control) return;
  const int chosen = result ? result->GetChosenItemIdx() : IPopupMenu::kNoChoice;
  // A context menu begins no parameter edit, so its answer ends none.
  if (isContext) {
    control->OnContextSelection(chosen);
    return;
  }
  const std::vector<int> editedParams = pressEdits.empty() ? LinkedParams(*control) : pressEdits;
  control->OnPopupMenuSelection(chosen != IPopupMenu::kNoChoice ? result : nullptr, valIdx);
  EndParamEdits(editedParams);
}

void IGraphics::PopupContextMenu(IControl* control, float x, float y) {
  if (!control) return;
  ResetPromptMenu();
  control->CreateContextMenu(mPromptPopupMenu);
  if (mPromptPopupMenu.NItems() > 0) DoCreatePopupMenu(*control, mPromptPopupMenu, IRECT(x, y, x, y), -1, true);
}

void IGraphics::PopupContextMenu(int controlIndex, float x, float y) {
  PopupContextMenu(GetControl(controlIndex), x, y);
}

void IGraphics::NotifyPopupMenuItem(IPopupMenu* menu, int itemIndex) {
  if (mInPopupMenu) mInPopupMenu->OnPopupMenuItemNotified(menu, itemIndex);
}

// A completion function left from an earlier use may hold a control that is
// gone. Panels still showing the menu would read the items it deletes.
void IGraphics::ResetPromptMenu() {
  if (mPopupMenuControl && mPopupMenuControl->GetMenu() == &mPromptPopupMenu) mPopupMenuControl->DropMenu();
  mPromptPopupMenu.Clear();
  mPromptPopupMenu.SetRootTitle("");
  mPromptPopupMenu.SetFunction(nullptr);
}

void IGraphics::ForgetPopupMenuRequest() {
  mInPopupMenu = nullptr;
  mPopupMenuValIdx = -1;
  mIsContextMenu = false;
  EndParamEdits(std::exchange(mMenuEdits, {}));
}

void IGraphics::ClearMouseOverState() {
  SetMouseOverControl(nullptr, -1);
  ReleaseMouseCapture();
  ForgetTextEntryTarget();
  ForgetPopupMenuRequest();
}

// The in-window controls --------------------------------------------------------

void IGraphics::AttachPopupMenuControl(const IText& text, const IRECT& bounds) {
  if (mPopupMenuControl) return;
  mPopupMenuControl = std::make_unique<IPopupMenuControl>(IControl::kNoParameter, text, bounds, IRECT());
  WireControl(mPopupMenuControl.get());
}

void IGraphics::AttachTextEntryControl() {
  if (mTextEntryControl) return;
  mTextEntryControl = std::make_unique<ITextEntryControl>();
  WireControl(mTextEntryControl.get());
}

// A menu still open there never answers: its request is forgotten with it.
void IGraphics::RemovePopupMenuControl() {
  std::unique_ptr<IPopupMenuControl> doomed = std::move(mPopupMenuControl);
  if (!doomed) return;
  if (doomed->GetState() != IPopupMenuControl::kCollapsed) ForgetPopupMenuRequest();
  ForgetControl(doomed.get());
}

// Likewise an entry still being edited there.
void IGraphics::RemoveTextEntryControl() {
  std::unique_ptr<ITextEntryControl> doomed = std::move(mTextEntryControl);
  if (!doomed) return;
  if (doomed->EditInProgress()) ForgetTextEntryTarget();
  ForgetControl(doomed.get());
}

}  // namespace plugkit::graphics
