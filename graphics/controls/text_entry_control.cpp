#include "graphics/controls/text_entry_control.h"

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

ITextEntryControl::ITextEntryControl() : IControl(IRECT()) {}

void ITextEntryControl::CreateTextEntry(int /*paramIdx*/, const IText& text, const IRECT& bounds, int /*length*/,
                                        const char* str) {
  SetRECT(bounds);
  SetTargetRECT(bounds);
  SetMouseIsOver(false);
  OnResize();
  IText style = text;
  style.mFGColor = text.mTextEntryFGColor;
  SetText(style);
  mEditText.Set(str ? str : "");
  mEditing = true;
  MarkDirty(false);
}

void ITextEntryControl::Close() {
  SetMouseIsOver(false);
  SetRECT(IRECT());
  SetTargetRECT(IRECT());
  OnResize();
}

// Closed before the text goes out, so that the receiver may start the next
// entry here or remove this control.
void ITextEntryControl::CommitEdit() {
  if (!mEditing) return;
  mEditing = false;
  Close();
  const StrBuf text(mEditText.Get());
  IGraphics* ui = GetUI();
  if (!ui) return;
  ui->SetControlValueAfterTextEdit(text.Get());
  ui->SetAllControlsDirty();
}

void ITextEntryControl::DismissEdit() {
  if (!mEditing) return;
  mEditing = false;
  Close();
  if (IGraphics* ui = GetUI()) {
    ui->ForgetTextEntryTarget();
    ui->SetAllControlsDirty();
  }
}

}  // namespace plugkit::graphics
