#pragma once

// A one-line text field. It edits through its window's field editor while it
// is the first responder: becoming it selects the whole text, a click into it
// puts the caret there. The editing ends on Return or Tab and when the field
// loses the role (another responder takes it, the field leaves its window);
// the text then becomes the string value, NSControlTextDidEndEditingNotification
// is posted with the field as object and the delegate hears of it, once. The
// field stays alive for the whole of that, whatever the delegate does with it.
// Main thread only.

#include <AppKit/NSTextFieldCell.h>
#include <AppKit/NSView.h>

namespace standin::appkit {
struct FieldEditing;
}

extern const CFStringRef NSControlTextDidEndEditingNotification;

namespace NS {

class Notification;

// What a text field tells its delegate.
class NS_CLASS_EXPORT TextFieldDelegate {
public:
  // The notification's object is the field.
  virtual void controlTextDidEndEditing(Notification* notification) { (void)notification; }

protected:
  ~TextFieldDelegate() = default;
};

typedef UInteger FocusRingType;
enum : FocusRingType {
  FocusRingTypeDefault = 0,
  FocusRingTypeNone = 1,
  FocusRingTypeExterior = 2,
};

class NS_CLASS_EXPORT TextField : public View {
public:
  TextField();
  // Editable, bordered and drawing its background, in a TextFieldCell of its own.
  TextField* initWithFrame(const Rect& frame);

  // Held; null is refused.
  void setCell(TextFieldCell* cell);
  // Not owned by the caller.
  TextFieldCell* cell() const { return cell_; }

  // The cell's properties.
  void setFont(Font* font) { cell_->setFont(font); }
  Font* font() const { return cell_->font(); }
  void setAlignment(TextAlignment alignment) { cell_->setAlignment(alignment); }
  TextAlignment alignment() const { return cell_->alignment(); }
  void setFormatter(Formatter* formatter) { cell_->setFormatter(formatter); }
  Formatter* formatter() const { return cell_->formatter(); }
  void setLineBreakMode(LineBreakMode mode) { cell_->setLineBreakMode(mode); }
  void setAllowsEditingTextAttributes(bool allows) { cell_->setAllowsEditingTextAttributes(allows); }
  void setTextColor(Color* color) { cell_->setTextColor(color); }
  Color* textColor() const { return cell_->textColor(); }
  void setBackgroundColor(Color* color) { cell_->setBackgroundColor(color); }
  Color* backgroundColor() const { return cell_->backgroundColor(); }
  void setBordered(bool bordered) { cell_->setBordered(bordered); }
  bool isBordered() const { return cell_->isBordered(); }
  void setEditable(bool editable) { cell_->setEditable(editable); }
  bool isEditable() const { return cell_->isEditable(); }
  // While editing, the field editor's text takes the value too (the caret
  // at its end). Not owned by the caller; while editing, the editor's text.
  void setStringValue(CFStringRef text);
  CFStringRef stringValue() const;

  void setFocusRingType(FocusRingType type) { focusRingType_ = type; }
  FocusRingType focusRingType() const { return focusRingType_; }

  // Not retained.
  void setDelegate(TextFieldDelegate* delegate) { delegate_ = delegate; }
  TextFieldDelegate* delegate() const { return delegate_; }

  // The field editor while the field is edited (not owned by the caller); null otherwise.
  Text* currentEditor() const { return editor_; }

  // When editable.
  bool acceptsFirstResponder() override;
  // Starts editing with the whole text selected, except for the click that
  // made the field first responder: that click's mouseDown starts it, so
  // currentEditor is still null here then. The window's fieldEditorForObject
  // answers the editor either way.
  bool becomeFirstResponder() override;
  // Ends the editing.
  bool resignFirstResponder() override;
  void mouseDown(Event* event) override;
  // Through the field editor while editing; keys it leaves (those with
  // Command) go on up the responder chain.
  void keyDown(Event* event) override;

protected:
  ~TextField() override;

private:
  friend struct standin::appkit::FieldEditing;

  TextFieldCell* cell_ = nullptr;
  FocusRingType focusRingType_ = FocusRingTypeDefault;
  TextFieldDelegate* delegate_ = nullptr;
  Text* editor_ = nullptr;  // the window's field editor while this field edits through it
  long formatterRefusals_ = 0;
};

}  // namespace NS
