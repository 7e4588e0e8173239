#include "graphics/platform/mac/platform_text_field.h"

#include <AppKit/NSText.h>
#include <AppKit/NSWindow.h>

#include <vector>

// Field -----------------------------------------------------------------------------------

bool IGraphicsTextField_vOrvane_au::becomeFirstResponder() {
  if (!NS::TextField::becomeFirstResponder()) return false;
  // The editor may not be in place yet (a click into the field starts it later).
  NS::Text* editor = window() ? window()->fieldEditorForObject(true, this) : nullptr;
  if (editor && editor->respondsToSelector(NS::SEL("setInsertionPointColor:"))) {
    editor->setInsertionPointColor(textColor());
  }
  return true;
}

// Cell ------------------------------------------------------------------------------------

NS::Rect IGraphicsTextFieldCell_vOrvane_au::drawingRectForBounds(const NS::Rect& bounds) {
  NS::Rect rect = NS::TextFieldCell::drawingRectForBounds(bounds);
  if (!mIsEditingOrSelecting) {
    const float spare = static_cast<float>(rect.size.height - cellSize().height);
    rect.size.height -= spare;
    rect.origin.y += spare / 2;
  }
  return rect;
}

void IGraphicsTextFieldCell_vOrvane_au::selectWithFrameInViewEditorDelegateStartLength(
    const NS::Rect& frame, NS::View* controlView, NS::Text* editor, NS::Object* delegate, NS::Integer start,
    NS::Integer length) {
  const NS::Rect centred = drawingRectForBounds(frame);
  mIsEditingOrSelecting = true;
  NS::TextFieldCell::selectWithFrameInViewEditorDelegateStartLength(centred, controlView, editor, delegate, start,
                                                                    length);
  mIsEditingOrSelecting = false;
}

void IGraphicsTextFieldCell_vOrvane_au::editWithFrameInViewEditorDelegateEvent(const NS::Rect& frame,
                                                                              NS::View* controlView, NS::Text* editor,
                                                                              NS::Object* delegate, NS::Event* event) {
  const NS::Rect centred = drawingRectForBounds(frame);
  mIsEditingOrSelecting = true;
  NS::TextFieldCell::editWithFrameInViewEditorDelegateEvent(centred, controlView, editor, delegate, event);
  mIsEditingOrSelecting = false;
}

// Formatter -------------------------------------------------------------------------------

IGraphicsFormatter_vOrvane_au::~IGraphicsFormatter_vOrvane_au() {
  if (mFilterCharacterSet) mFilterCharacterSet->release();
}

void IGraphicsFormatter_vOrvane_au::setAcceptableCharacterSet(NS::CharacterSet* characters) {
  if (characters) characters->retain();
  if (mFilterCharacterSet) mFilterCharacterSet->release();
  mFilterCharacterSet = characters;
}

bool IGraphicsFormatter_vOrvane_au::isPartialStringValidNewEditingStringErrorDescription(CFStringRef partialString,
                                                                                        CFStringRef*, CFStringRef*) {
  const CFIndex length = partialString ? CFStringGetLength(partialString) : 0;
  if (mFilterCharacterSet && length > 0) {
    std::vector<UniChar> units(static_cast<size_t>(length));
    CFStringGetCharacters(partialString, CFRangeMake(0, length), units.data());
    for (const UniChar unit : units) {
      if (!mFilterCharacterSet->characterIsMember(unit)) return false;
    }
  }
  if (mMaxLength != 0 && length > mMaxLength) return false;
  if (mMaxValue != 0 && partialString && CFStringGetIntValue(partialString) > mMaxValue) return false;
  return true;
}

CFStringRef IGraphicsFormatter_vOrvane_au::stringForObjectValue(CFTypeRef object) {
  return object && CFGetTypeID(object) == CFStringGetTypeID() ? static_cast<CFStringRef>(object) : nullptr;
}

bool IGraphicsFormatter_vOrvane_au::getObjectValueForStringErrorDescription(CFTypeRef* object, CFStringRef string,
                                                                           CFStringRef*) {
  if (object && string) *object = CFAutorelease(CFStringCreateCopy(nullptr, string));
  return true;
}
