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
// units and edited through the engine; the caret, the selection and every
// edit stay on whole characters, never between the halves of a surrogate
// pair. The caret blinks while editing; Cut, Copy and Paste work through the
// keys and the right button's menu. Main thread only.
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
  // with shift); with any other key control types nothing. Return commits,
  // escape dismisses, tab is not taken. Other keys edit or move through the
  // engine; a typed character must suit the edited parameter (digits and "+",
  // "-" for a boolean, integer or enumerated one; "." too for a
  // floating-point one). True when something changed, or for the shortcuts,
  // return and escape.
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;
  // The background, the selection, the text, and the caret while it shows.
  void Draw(IGraphics& g) override;
  // Starts the next blink period while editing.
  void OnEndAnimation() override;

  // Starts editing str (UTF-8; bad sequences become U+FFFD) over bounds, all
  // of it selected, in the style with its text colour replaced by the
  // text-entry foreground. paramIdx is the parameter typed for, -1 for none.
  // For a parameter, length (in units; 0 for none) bounds the text: typing
  // and pasting insert only the whole characters that fit, deleting is
  // always allowed, and a longer str stays as it is.
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
  // Runs an edit of the state record, then moves a position left between the
  // halves of a pair to the end of its character when the cursor moved
  // forward or the pointer placed it, else to the start; redraws and answers
  // true when the record changed.
  template <class Edit>
  bool EditState(Edit&& edit, bool byPointer = false);
  // Whether position lies between the halves of a surrogate pair.
  bool SplitsPair(int position) const;
  // A backspace or delete without a selection takes the whole character
  // beside the cursor: it is selected first.
  void SelectCharacterToDelete(uint32_t engineKey);
  // The units an insertion may put in place of the selection.
  int InsertRoom() const;
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

  // The width of each unit, filled when empty; an edit re-measures only the
  // characters it inserted and the character after the change.
  void FillCharWidths();
  // Measures the characters that start from `from` (moved back to its
  // character's start) up to before `to`, each after the character before it.
  void MeasureCharacters(int from, int to);
  void CharWidthsInserted(int position, int count);
  void CharWidthsErased(int position, int count);
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
  int mMaxLength = 0;  // units; 0 for no limit
  // Cut, Copy and Paste: made on first use.
  std::unique_ptr<IPopupMenu> mClipboardMenu;
};

}  // namespace plugkit::graphics
