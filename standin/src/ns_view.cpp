#include <AppKit/NSView.h>

#include <CoreFoundation/CFString.h>

#include <algorithm>

namespace NS {

View* View::initWithFrame(const Rect& frame) {
  init();
  frame_ = frame;
  return this;
}

View::~View() {
  for (View* subview : subviews_) {
    subview->superview_ = nullptr;
    subview->release();
  }
}

bool View::isDescendantOf(const View* view) const {
  for (const View* ancestor = this; ancestor != nullptr; ancestor = ancestor->superview_) {
    if (ancestor == view) return true;
  }
  return false;
}

void View::addSubview(View* view) {
  if (view == nullptr || isDescendantOf(view)) return;
  if (view->superview_ == this) return;
  // Keeps the view alive while it moves from one superview to the other.
  view->retain();
  view->removeFromSuperview();
  view->viewWillMoveToSuperview(this);
  subviews_.push_back(view);
  view->superview_ = this;
  view->viewDidMoveToSuperview();
}

void View::removeFromSuperview() {
  View* const parent = superview_;
  if (parent == nullptr || leavingSuperview_) return;
  leavingSuperview_ = true;
  viewWillMoveToSuperview(nullptr);
  leavingSuperview_ = false;
  // The notification may have moved the view already.
  if (superview_ != parent) return;
  auto& siblings = parent->subviews_;
  siblings.erase(std::find(siblings.begin(), siblings.end(), this));
  superview_ = nullptr;
  // The superview's reference is dropped only after the notification, which
  // may still use the view.
  viewDidMoveToSuperview();
  release();
}

CFStringRef View::description() const { return CFSTR("NSView"); }

}  // namespace NS
