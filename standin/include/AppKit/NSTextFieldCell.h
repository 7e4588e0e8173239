#pragma once

// The cell of a text field: what it shows (the string value in a font,
// aligned, in colours) and where the field editor sits while the field is
// edited. The field forwards these properties to its cell. Main thread only.

#include <CoreFoundation/CFString.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

namespace NS {

class Color;
class Event;
class Font;
class Formatter;
class Text;
class View;

typedef Integer TextAlignment;
enum : TextAlignment {
  TextAlignmentLeft = 0,
  TextAlignmentRight = 1,
  TextAlignmentCenter = 2,
  TextAlignmentNatural = 4,
};

typedef UInteger LineBreakMode;
enum : LineBreakMode {
  LineBreakByWordWrapping = 0,
  LineBreakByTruncatingTail = 4,
};

class NS_CLASS_EXPORT TextFieldCell : public Object {
public:
  TextFieldCell() = default;
  // Not editable and drawing no background until told; a null text counts as "". Answers self.
  TextFieldCell* initTextCell(CFStringRef text);

  // A copy is kept; null counts as "". Not owned by the caller.
  void setStringValue(CFStringRef text);
  CFStringRef stringValue() const { return stringValue_; }
  // Held. Without one the cell shows the system font at 13 points.
  void setFont(Font* font);
  Font* font() const;
  void setAlignment(TextAlignment alignment) { alignment_ = alignment; }
  TextAlignment alignment() const { return alignment_; }
  // Held; null for none.
  void setFormatter(Formatter* formatter);
  Formatter* formatter() const { return formatter_; }
  void setLineBreakMode(LineBreakMode mode) { lineBreakMode_ = mode; }
  LineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setAllowsEditingTextAttributes(bool allows) { allowsEditingTextAttributes_ = allows; }
  bool allowsEditingTextAttributes() const { return allowsEditingTextAttributes_; }
  // Held; null until set.
  void setTextColor(Color* color);
  Color* textColor() const { return textColor_; }
  void setBackgroundColor(Color* color);
  Color* backgroundColor() const { return backgroundColor_; }
  void setBordered(bool bordered) { bordered_ = bordered; }
  bool isBordered() const { return bordered_; }
  void setEditable(bool editable) { editable_ = editable; }
  bool isEditable() const { return editable_; }
  void setDrawsBackground(bool draws) { drawsBackground_ = draws; }
  bool drawsBackground() const { return drawsBackground_; }

  // The string value's width in the font by the glyphs' advances, and the
  // font's line height (ascender - descender + leading), each rounded up.
  Size cellSize() const;

  // Where the text goes inside the bounds: the bounds themselves here.
  virtual Rect drawingRectForBounds(const Rect& bounds);
  // Start an editing session of the field editor over the text, with the
  // range selected (in UTF-16 units) or the caret where the event's click
  // fell. The field calls the first when it becomes first responder and the
  // second when a click into it starts the editing, each with its bounds; the
  // frame given is the one the editor takes.
  virtual void selectWithFrameInViewEditorDelegateStartLength(const Rect& frame, View* controlView, Text* editor,
                                                              Object* delegate, Integer start, Integer length);
  virtual void editWithFrameInViewEditorDelegateEvent(const Rect& frame, View* controlView, Text* editor,
                                                      Object* delegate, Event* event);

protected:
  ~TextFieldCell() override;

private:
  CFStringRef stringValue_ = nullptr;
  mutable Font* font_ = nullptr;  // the default is made when first asked for
  TextAlignment alignment_ = TextAlignmentNatural;
  Formatter* formatter_ = nullptr;
  LineBreakMode lineBreakMode_ = LineBreakByWordWrapping;
  bool allowsEditingTextAttributes_ = false;
  Color* textColor_ = nullptr;
  Color* backgroundColor_ = nullptr;
  bool bordered_ = false;
  bool editable_ = false;
  bool drawsBackground_ = false;
};

}  // namespace NS
