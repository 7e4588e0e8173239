#pragma once

#include <memory>
#include <string>

#include "common/heap_buf.h"
#include "graphics/control.h"

// The editing engine's state record, configured for this control: 16-bit
// units, an undo history of 99 records holding at most 999 units. Only
// text_entry_control.cpp compiles the engine itself.
#define STB_TEXTEDIT_CHARTYPE char16_t
#define STB_TEXTEDIT_POSITIONTYPE int
#define STB_TEXTEDIT_UNDOSTATECOUNT 99
#define STB_TEXTEDIT_UNDOCHARCOUNT 999
#include <stb/stb_textedit.h>

namespace plugkit::graphics {

struct TextEntryEngine;

// The single-line text field shown inside the editor instead of the
// platform's when a value is typed in. The graphics context creates and owns
// it, starts it over the control that asked and takes the finished text back
// (IGraphics::SetControlValueAfterTextEdit). The text is held as UTF-16
// units and edited through the engine; the caret blinks while editing; Cut,
// Copy and Paste work through the keys and the right button's menu.
// Main thread only.
class ITextEntryControl : public IControl {
public:
  static constexpr int kCharWidthGranularity = 4096;

  ITextEntryControl();
  ~ITextEntryControl() override;

  // Outside the field a press commits; inside, the left button places the
  // caret and the right one offers Cut, Copy and Paste.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  // Selects everything.
  void OnMouseDoubleClick(float x, float y, const IMouseMod& mod) override;
  // Control with A, C, V, X or Z: select all, copy, paste, cut, undo (redo
  // with shift). Return commits, escape dismisses, tab is not taken. Other
  // keys edit or move through the engine; a typed character must suit the
  // edited parameter (digits and "+", "-" for a boolean, integer or
  // enumerated one; "." too for a floating-point one). True when something
  // changed, or for the shortcuts, return and escape.
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;
  // The background, the selection, the text, and the caret while it shows.
  void Draw(IGraphics& g) override;
  // Starts the next blink period while editing.
  void OnEndAnimation() override;

  // Starts editing str (UTF-8; bad sequences become U+FFFD) over bounds, all
  // of it selected, in the style with its text colour replaced by the
  // text-entry foreground. paramIdx is the parameter typed for, -1 for none;
  // length is not enforced.
  void CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length, const char* str);
  // Ends editing and hands the text to the graphics context. Nothing while not editing.
  void CommitEdit();
  // Ends editing without a result; the context forgets whom the text was for.
  // Nothing while not editing.
  void DismissEdit();

  bool EditInProgress() const { return mEditing; }
  // The text as UTF-8; a lone surrogate reads as U+FFFD.
  std::string GetEditText() const;

private:
  friend struct TextEntryEngine;

  // Hides the field: both rectangles empty.
  void Close();
  // Runs an edit of the state record; redraws and answers true when it changed.
  template <class Edit>
  bool EditState(Edit&& edit);
  // The engine key for a key press outside the shortcuts: a character (with
  // the modifier bits), or a key without text (bit 31 set).
  uint32_t EngineKeyFor(const IKeyPress& key, char32_t character) const;
  bool SendKey(uint32_t engineKey);
  void SelectAll();
  // False when nothing was selected or the clipboard refused the text.
  bool Copy();
  void Paste();
  void Cut();
  void ShowClipboardMenu(float x, float y);

  // The width of each unit, filled when empty and emptied on every change.
  void FillCharWidths();
  float WidthBefore(int units) const;
  // The single row: where it starts and ends across, and its top and bottom
  // relative to the top of the field.
  StbTexteditRow LayoutRow();

  bool mCaretVisible = false;
  bool mEditing = false;
  STB_TexteditState mEditState{};
  TypedBuf<float> mCharWidths{kCharWidthGranularity};
  std::u16string mEditString;
  int mParamIdx = kNoParameter;
  // Cut, Copy and Paste: made on first use.
  std::unique_ptr<IPopupMenu> mClipboardMenu;
};

}  // namespace plugkit::graphics
