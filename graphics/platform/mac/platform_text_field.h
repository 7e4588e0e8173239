#pragma once

// The native text field a text entry of the graphics core opens over its
// control (IGraphicsView_vOrvane_au::createTextEntry), the cell that centres
// its text vertically, and the formatter that keeps what is typed to the
// characters, length and value a parameter takes.
//
// The classes live inside the component library only, so two plug-ins' fields
// never meet under one name. Main thread only.

#include <AppKit/NSFormatter.h>
#include <AppKit/NSTextField.h>
#include <AppKit/NSTextFieldCell.h>
#include <Foundation/NSCharacterSet.h>

// The caret takes the field's text colour, where the field editor can show one.
class IGraphicsTextField_vOrvane_au final : public NS::TextField {
public:
  IGraphicsTextField_vOrvane_au() = default;

  bool becomeFirstResponder() override;

protected:
  ~IGraphicsTextField_vOrvane_au() override = default;
};

// Shows its line of text in the vertical middle of the field, and edits it there.
class IGraphicsTextFieldCell_vOrvane_au final : public NS::TextFieldCell {
public:
  IGraphicsTextFieldCell_vOrvane_au() = default;

  // The text's height, centred in the bounds; a text taller than the bounds
  // overflows them equally up and down. The bounds themselves while the field
  // editor is placed.
  NS::Rect drawingRectForBounds(const NS::Rect& bounds) override;
  // The field editor takes the centred rectangle of the frame.
  void selectWithFrameInViewEditorDelegateStartLength(const NS::Rect& frame, NS::View* controlView, NS::Text* editor,
                                                      NS::Object* delegate, NS::Integer start,
                                                      NS::Integer length) override;
  void editWithFrameInViewEditorDelegateEvent(const NS::Rect& frame, NS::View* controlView, NS::Text* editor,
                                              NS::Object* delegate, NS::Event* event) override;

protected:
  ~IGraphicsTextFieldCell_vOrvane_au() override = default;

private:
  bool mIsEditingOrSelecting = false;
};

// Refuses an edit that would leave a UTF-16 unit outside the acceptable set
// (when there is one), more units than the maximum length or a leading
// integer above the maximum value (each when not 0). Strings pass through as
// they are.
class IGraphicsFormatter_vOrvane_au final : public NS::Formatter {
public:
  IGraphicsFormatter_vOrvane_au() = default;

  // Held; null for no filter.
  void setAcceptableCharacterSet(NS::CharacterSet* characters);
  void setMaximumLength(int length) { mMaxLength = length; }
  void setMaximumValue(int value) { mMaxValue = value; }

  bool isPartialStringValidNewEditingStringErrorDescription(CFStringRef partialString, CFStringRef* newString,
                                                             CFStringRef* error) override;
  // The object when it is a string, else null.
  CFStringRef stringForObjectValue(CFTypeRef object) override;
  // A copy of the string (autoreleased) when both are given; always true.
  bool getObjectValueForStringErrorDescription(CFTypeRef* object, CFStringRef string, CFStringRef* error) override;

protected:
  ~IGraphicsFormatter_vOrvane_au() override;

private:
  NS::CharacterSet* mFilterCharacterSet = nullptr;
  int mMaxLength = 0;
  int mMaxValue = 0;
};
