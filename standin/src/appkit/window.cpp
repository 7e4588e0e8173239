#include <AppKit/NSAppearance.h>
#include <AppKit/NSApplication.h>
#include <AppKit/NSText.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSNotification.h>
#include <Foundation/NSRef.h>

#include "usage_checks.h"

const CFStringRef NSWindowDidResizeNotification = CFStringMakeConstantString("NSWindowDidResizeNotification");

namespace NS {


Window::Window(const Rect& frame, CGFloat backingScale) : frame_(frame), backingScale_(backingScale) {
  contentView_ = (new View)->initWithFrame(Rect{Point{}, frame.size});
  contentView_->setWindowOfTree(this);
  contentView_->notifyTreeDidMoveToWindow();
}

Window::~Window() {
  for (View*& view : mouseDownViews_) {
    if (view != nullptr) view->release();
    view = nullptr;
  }
  firstResponder_ = this;
  // The tree leaves before anything could hold this window again.
  contentView_->setWindowOfTree(nullptr);
  contentView_->notifyTreeDidMoveToWindow();
  contentView_->release();
  if (fieldEditor_ != nullptr) fieldEditor_->release();
}

void Window::setFrame(const Rect& frame) {
  standin::appkit::CheckMainThread();
  const Size oldSize = frame_.size;
  frame_ = frame;
  if (oldSize == frame.size) return;
  const auto self = NS::Ref<Window>::Retain(this);
  contentView_->setFrameSize(frame.size);
  NotificationCenter::defaultCenter()->postNotificationNameObject(NSWindowDidResizeNotification, this);
}

Appearance* Window::effectiveAppearance() const {
  return appearance_ != nullptr ? appearance_ : Appearance::appearanceNamed(NSAppearanceNameAqua);
}

bool Window::makeFirstResponder(Responder* responder) {
  standin::appkit::CheckMainThread();
  Responder* const target = responder != nullptr ? responder : this;
  if (target == firstResponder_) return true;
  const auto inThisWindow = [this](Responder* candidate) {
    const auto* view = dynamic_cast<View*>(candidate);
    return view == nullptr || view->window() == this;
  };
  if (target != this && (!inThisWindow(target) || !target->acceptsFirstResponder())) return false;
  const auto self = NS::Ref<Window>::Retain(this);
  const auto held = NS::Ref<Responder>::Retain(target);
  Responder* const old = firstResponder_;
  {
    const auto heldOld = NS::Ref<Responder>::Retain(old);
    resigningResponder_ = old;
    const bool resigned = old->resignFirstResponder();
    resigningResponder_ = nullptr;
    // The old one may have left the window meanwhile, which ends its role anyway.
    if (!resigned && firstResponder_ == old) return false;
  }
  firstResponder_ = this;
  if (target == this) return true;
  if (!inThisWindow(target) || !target->becomeFirstResponder() || !inThisWindow(target)) return false;
  firstResponder_ = target;
  return true;
}

void Window::subtreeWillLeave(View* root) {
  for (View*& view : mouseDownViews_) {
    if (view != nullptr && view->isDescendantOf(root)) {
      view->release();
      view = nullptr;
    }
  }
  auto* const firstView = dynamic_cast<View*>(firstResponder_);
  if (firstView == nullptr || !firstView->isDescendantOf(root)) return;
  firstResponder_ = this;
  if (firstView == resigningResponder_) return;  // already being asked
  const auto held = NS::Ref<View>::Retain(firstView);
  firstView->resignFirstResponder();
}

Text* Window::fieldEditorForObject(bool createWhenNeeded, Object*) {
  standin::appkit::CheckMainThread();
  if (fieldEditor_ == nullptr && createWhenNeeded) fieldEditor_ = new Text;
  return fieldEditor_;
}

void Window::makeKeyAndOrderFront(Object*) {
  standin::appkit::CheckMainThread();
  key_ = true;
}

Point Window::convertPointToScreen(Point point) const {
  return Point{frame_.origin.x + point.x, frame_.origin.y + point.y};
}

Point Window::convertPointFromScreen(Point point) const {
  return Point{point.x - frame_.origin.x, point.y - frame_.origin.y};
}

Rect Window::convertRectToScreen(const Rect& rect) const { return Rect{convertPointToScreen(rect.origin), rect.size}; }

Rect Window::convertRectFromScreen(const Rect& rect) const {
  return Rect{convertPointFromScreen(rect.origin), rect.size};
}

void Window::setBackingScaleFactor(CGFloat scale) {
  backingScale_ = scale;
  contentView_->treeWindowPropertiesMayHaveChanged();
}

void Window::setAppearance(Appearance* appearance) {
  appearance_ = appearance;
  contentView_->treeWindowPropertiesMayHaveChanged();
}

}  // namespace NS
