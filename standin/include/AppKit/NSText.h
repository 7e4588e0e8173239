#pragma once

// The field editor: the one text editor of a window that every text field
// edits through while it is the first responder. It is not in the view tree;
// its frame is the rectangle (in the field's coordinates) its cell gave it.
// Keys reach it through the field: printable characters replace the
// selection, backspace and forward delete delete, the arrow keys move the
// caret, Return and Tab end the editing, Escape does nothing. Each change is
// offered to the field's formatter first. Main thread only.

#include <AppKit/NSView.h>
#include <CoreFoundation/CFString.h>
#include <Foundation/NSRange.h>

#include <string>

namespace standin::appkit {
struct FieldEditing;
}

namespace NS {

class Color;
class TextField;

class NS_CLASS_EXPORT Text : public View {
public:
  // The text as it stands (not owned by the caller); "" outside an editing session.
  CFStringRef string() const { return string_; }
  // In UTF-16 units; the caret is an empty range.
  Range selectedRange() const;
  // Clamped to the text; a range that ends inside a character takes all of it.
  void setSelectedRange(Range range);

  // setInsertionPointColor: is an optional method here, as on the platform:
  // answered by name, and present unless a test switched it off.
  bool respondsToSelector(const SEL& selector) const override;
  // Held; sending it while the method is switched off is a validation error.
  void setInsertionPointColor(Color* color);
  // Not owned by the caller; null until one is set.
  Color* insertionPointColor() const { return insertionPointColor_; }

protected:
  ~Text() override;

private:
  friend class Window;
  friend struct standin::appkit::FieldEditing;
  Text();

  TextField* client_ = nullptr;  // the field being edited; it ends the session before it goes
  std::u32string text_;
  std::size_t selectionStart_ = 0;  // in characters
  std::size_t selectionEnd_ = 0;
  CFStringRef string_;
  Color* insertionPointColor_ = nullptr;
};

}  // namespace NS
