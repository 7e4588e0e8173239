#pragma once

#include "common/str_buf.h"
#include "graphics/control.h"

namespace plugkit::graphics {

// The text field shown inside the editor instead of the platform's when a
// value is typed in. The graphics context creates and owns it, starts it over
// the control that asked and takes the finished text back
// (IGraphics::SetControlValueAfterTextEdit). Main thread only.
class ITextEntryControl : public IControl {
public:
  ITextEntryControl();

  void Draw(IGraphics&) override {}

  // Starts editing str over bounds, in the style's text-entry colours.
  void CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length, const char* str);
  // Ends editing and hands the text to the graphics context. Nothing while not editing.
  void CommitEdit();
  // Ends editing without a result; the context forgets whom the text was for.
  // Nothing while not editing.
  void DismissEdit();

  bool EditInProgress() const { return mEditing; }
  const char* GetEditText() const { return mEditText.Get(); }

private:
  // Hides the field: both rectangles empty.
  void Close();

  bool mEditing = false;
  StrBuf mEditText;
};

}  // namespace plugkit::graphics
