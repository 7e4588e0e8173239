#include <AppKit/NSApplication.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSTextField.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSRef.h>

#include "appkit/field_editing.h"
#include "usage_checks.h"

namespace NS {
namespace {

// Whether the event being dispatched is a left click that lands on the view:
// the click that makes it first responder, whose mouseDown follows.
bool IsClickInto(const View& view) {
  const Event* const event = Application::sharedApplication()->currentEvent();
  Window* const window = view.window();
  return event != nullptr && window != nullptr && event->type() == EventTypeLeftMouseDown &&
         event->window() == window && window->contentView()->hitTest(event->locationInWindow()) == &view;
}

}  // namespace

TextField::TextField() : cell_((new TextFieldCell)->initTextCell(nullptr)) {
  cell_->setEditable(true);
  cell_->setBordered(true);
  cell_->setDrawsBackground(true);
}

TextField::~TextField() {
  if (editor_ != nullptr) standin::appkit::FieldEditing::Detach(*editor_);
  cell_->release();
}

TextField* TextField::initWithFrame(const Rect& frame) {
  View::initWithFrame(frame);
  return this;
}

void TextField::setCell(TextFieldCell* cell) {
  standin::appkit::CheckMainThread();
  if (cell == nullptr) {
    standin::appkit::CountValidationError();
    return;
  }
  cell->retain();
  cell_->release();
  cell_ = cell;
}

void TextField::setStringValue(CFStringRef text) {
  standin::appkit::CheckMainThread();
  cell_->setStringValue(text);
  if (editor_ != nullptr) standin::appkit::FieldEditing::ReplaceText(*editor_, cell_->stringValue());
}

CFStringRef TextField::stringValue() const { return editor_ != nullptr ? editor_->string() : cell_->stringValue(); }

bool TextField::acceptsFirstResponder() { return cell_->isEditable(); }

bool TextField::becomeFirstResponder() {
  if (!View::becomeFirstResponder()) return false;
  if (!IsClickInto(*this)) standin::appkit::FieldEditing::SelectAll(*this);
  return true;
}

bool TextField::resignFirstResponder() {
  standin::appkit::FieldEditing::End(*this);
  return View::resignFirstResponder();
}

void TextField::mouseDown(Event* event) {
  Window* const window = this->window();
  if (!cell_->isEditable() || window == nullptr || window->firstResponder() != this) return View::mouseDown(event);
  const Point click = convertPointFromView(event->locationInWindow(), nullptr);
  if (editor_ != nullptr) return standin::appkit::FieldEditing::PlaceCaret(*editor_, click);
  const auto cell = Ref<TextFieldCell>::Retain(cell_);
  cell->editWithFrameInViewEditorDelegateEvent(bounds(), this, window->fieldEditorForObject(true, this), this, event);
}

void TextField::keyDown(Event* event) {
  if (editor_ != nullptr && standin::appkit::FieldEditing::InterpretKey(*editor_, event)) return;
  View::keyDown(event);
}

}  // namespace NS
