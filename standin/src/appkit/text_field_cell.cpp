#include <AppKit/NSColor.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSFont.h>
#include <AppKit/NSFormatter.h>
#include <AppKit/NSText.h>
#include <AppKit/NSTextFieldCell.h>
#include <AppKit/NSView.h>
#include <Foundation/NSAutoreleasePool.h>

#include <algorithm>
#include <cmath>

#include "appkit/field_editing.h"
#include "appkit/font_face.h"
#include "cf_string.h"
#include "usage_checks.h"

namespace NS {
namespace {

constexpr CGFloat kDefaultFontSize = 13.0;

// Holds the new object and lets the old one go.
template <typename T>
void Replace(T*& held, T* object) {
  if (object != nullptr) object->retain();
  if (held != nullptr) held->release();
  held = object;
}

}  // namespace

TextFieldCell* TextFieldCell::initTextCell(CFStringRef text) {
  standin::appkit::CheckMainThread();
  setStringValue(text);
  return this;
}

TextFieldCell::~TextFieldCell() {
  if (stringValue_ != nullptr) CFRelease(stringValue_);
  Replace<Font>(font_, nullptr);
  Replace<Formatter>(formatter_, nullptr);
  Replace<Color>(textColor_, nullptr);
  Replace<Color>(backgroundColor_, nullptr);
}

void TextFieldCell::setStringValue(CFStringRef text) {
  CFStringRef copy = text != nullptr ? CFStringCreateCopy(kCFAllocatorDefault, text) : standin::cf::MakeString("");
  if (stringValue_ != nullptr) CFRelease(stringValue_);
  stringValue_ = copy;
}

void TextFieldCell::setFont(Font* font) { Replace(font_, font); }

Font* TextFieldCell::font() const {
  if (font_ == nullptr) {
    const AutoreleasePool pool;
    Replace(font_, Font::systemFontOfSize(kDefaultFontSize));
  }
  return font_;
}

void TextFieldCell::setFormatter(Formatter* formatter) { Replace(formatter_, formatter); }
void TextFieldCell::setTextColor(Color* color) { Replace(textColor_, color); }
void TextFieldCell::setBackgroundColor(Color* color) { Replace(backgroundColor_, color); }

Size TextFieldCell::cellSize() const {
  const Font* const shown = font();
  double width = 0.0;
  const std::u32string text = standin::cf::DecodeUTF8(standin::cf::StringText(stringValue()));
  for (const double advance : standin::appkit::Advances(*shown, text)) width += advance;
  const double height = shown->ascender() - shown->descender() + shown->leading();
  return Size{std::ceil(width), std::ceil(height)};
}

Rect TextFieldCell::drawingRectForBounds(const Rect& bounds) { return bounds; }

void TextFieldCell::selectWithFrameInViewEditorDelegateStartLength(const Rect& frame, View*, Text* editor,
                                                                   Object* delegate, Integer start, Integer length) {
  standin::appkit::CheckMainThread();
  if (editor == nullptr) return;
  standin::appkit::FieldEditing::Begin(*editor, delegate, stringValue(), frame);
  standin::appkit::FieldEditing::Select(*editor, MakeRange(UInteger(std::max<Integer>(start, 0)),
                                                           UInteger(std::max<Integer>(length, 0))));
}

void TextFieldCell::editWithFrameInViewEditorDelegateEvent(const Rect& frame, View* controlView, Text* editor,
                                                           Object* delegate, Event* event) {
  standin::appkit::CheckMainThread();
  if (editor == nullptr) return;
  standin::appkit::FieldEditing::Begin(*editor, delegate, stringValue(), frame);
  if (event != nullptr && controlView != nullptr) {
    const Point click = controlView->convertPointFromView(event->locationInWindow(), nullptr);
    standin::appkit::FieldEditing::PlaceCaret(*editor, click);
  }
}

}  // namespace NS
