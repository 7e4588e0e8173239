#include <AppKit/NSAppearance.h>
#include <AppKit/NSTrackingArea.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <CoreFoundation/CFString.h>
#include <Foundation/NSNotification.h>
#include <Foundation/NSRef.h>
#include <QuartzCore/CALayer.h>

#include <algorithm>

#include "appkit/dialog_records.h"
#include "appkit/view_geometry.h"
#include "usage_checks.h"

const CFStringRef NSViewFrameDidChangeNotification = CFStringMakeConstantString("NSViewFrameDidChangeNotification");

namespace NS {
namespace {


// The views of a subtree, root first, each held alive while callouts run over them.
class Subtree {
public:
  explicit Subtree(View* root) { Collect(root); }
  ~Subtree() {
    for (View* view : views_) view->release();
  }
  Subtree(const Subtree&) = delete;
  Subtree& operator=(const Subtree&) = delete;

  const std::vector<View*>& views() const { return views_; }

private:
  void Collect(View* view) {
    view->retain();
    views_.push_back(view);
    for (View* subview : view->subviews()) Collect(subview);
  }

  std::vector<View*> views_;
};

Appearance* Aqua() { return Appearance::appearanceNamed(NSAppearanceNameAqua); }

// Grows or shrinks the flexible parts of one axis (the margin below, the
// size, the margin above) by the superview's change, in proportion to their
// extents (evenly when all are zero).
void AutoresizeAxis(bool flexibleLow, bool flexibleSize, bool flexibleHigh, CGFloat& origin, CGFloat& size,
                    CGFloat oldTotal, CGFloat newTotal) {
  const CGFloat delta = newTotal - oldTotal;
  const int flexibleParts = int(flexibleLow) + int(flexibleSize) + int(flexibleHigh);
  if (delta == 0.0 || flexibleParts == 0) return;
  const CGFloat low = flexibleLow ? std::max(origin, 0.0) : 0.0;
  const CGFloat middle = flexibleSize ? std::max(size, 0.0) : 0.0;
  const CGFloat high = flexibleHigh ? std::max(oldTotal - origin - size, 0.0) : 0.0;
  const CGFloat weight = low + middle + high;
  const auto share = [&](bool flexible, CGFloat extent) {
    if (!flexible) return 0.0;
    return weight > 0.0 ? delta * extent / weight : delta / flexibleParts;
  };
  origin += share(flexibleLow, low);
  size = std::max(size + share(flexibleSize, middle), 0.0);
}

void Autoresize(View& view, Size oldSuperviewSize, Size newSuperviewSize) {
  const AutoresizingMaskOptions mask = view.autoresizingMask();
  if (mask == ViewNotSizable) return;
  Rect frame = view.frame();
  AutoresizeAxis(mask & ViewMinXMargin, mask & ViewWidthSizable, mask & ViewMaxXMargin, frame.origin.x,
                 frame.size.width, oldSuperviewSize.width, newSuperviewSize.width);
  AutoresizeAxis(mask & ViewMinYMargin, mask & ViewHeightSizable, mask & ViewMaxYMargin, frame.origin.y,
                 frame.size.height, oldSuperviewSize.height, newSuperviewSize.height);
  view.setFrame(frame);
}

}  // namespace

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
  for (TrackingArea* area : trackingAreas_) area->release();
  if (layer_ != nullptr) layer_->release();
  if (draggedTypes_ != nullptr) CFRelease(draggedTypes_);
}

void View::setFrame(const Rect& frame) {
  standin::appkit::CheckMainThread();
  if (frame == frame_) return;
  const Rect oldFrame = frame_;
  frame_ = frame;
  frameDidChange(oldFrame);
}

void View::setFrameSize(Size size) { setFrame(Rect{frame_.origin, size}); }

void View::setFrameOrigin(Point origin) { setFrame(Rect{origin, frame_.size}); }

void View::frameDidChange(const Rect& oldFrame) {
  const auto self = NS::Ref<View>::Retain(this);
  standin::appkit::NoteFrameChange(*this);
  if (!(oldFrame.size == frame_.size)) resizeSubviewsWithOldSize(oldFrame.size);
  if (layer_ != nullptr) layer_->setFrame(frame_);
  if (window_ != nullptr) updateTrackingAreas();
  if (postsFrameChanges_) {
    NotificationCenter::defaultCenter()->postNotificationNameObject(NSViewFrameDidChangeNotification, this);
  }
}

void View::resizeSubviewsWithOldSize(Size oldSize) {
  const std::vector<View*> subviews = subviews_;
  for (View* subview : subviews) {
    const auto held = NS::Ref<View>::Retain(subview);
    if (subview->superview_ == this) Autoresize(*subview, oldSize, frame_.size);
  }
}

bool View::isDescendantOf(const View* view) const {
  for (const View* ancestor = this; ancestor != nullptr; ancestor = ancestor->superview_) {
    if (ancestor == view) return true;
  }
  return false;
}

Responder* View::nextResponder() const {
  if (superview_ != nullptr) return superview_;
  if (window_ != nullptr && window_->contentView() == this) return window_;
  return nullptr;
}

void View::addSubview(View* view) {
  standin::appkit::CheckMainThread();
  if (view == nullptr || isDescendantOf(view)) return;
  if (view->superview_ == this) return;
  // Becomes this view's reference; it also keeps the view alive while it
  // moves from one superview to the other.
  view->retain();
  view->removeFromSuperview();
  if (view->superview_ != nullptr) {  // still leaving its superview: the move is refused
    view->release();
    return;
  }
  Window* const newWindow = window_;
  view->viewWillMoveToSuperview(this);
  if (newWindow != nullptr) view->notifyTreeWillMoveToWindow(newWindow);
  subviews_.push_back(view);
  view->superview_ = this;
  view->setWindowOfTree(newWindow);
  view->viewDidMoveToSuperview();
  if (newWindow != nullptr) view->notifyTreeDidMoveToWindow();
}

void View::removeFromSuperview() {
  standin::appkit::CheckMainThread();
  View* const parent = superview_;
  if (parent == nullptr || leavingSuperview_) return;
  // Alive to the end of this call, whatever the notifications release.
  const auto self = NS::Ref<View>::Retain(this);
  const auto oldWindow = NS::Ref<Window>::Retain(window_);
  leavingSuperview_ = true;
  viewWillMoveToSuperview(nullptr);
  if (oldWindow && superview_ == parent) {
    notifyTreeWillMoveToWindow(nullptr);
    oldWindow->subtreeWillLeave(this);
  }
  leavingSuperview_ = false;
  // The notifications may have moved the view already.
  if (superview_ != parent) return;
  auto& siblings = parent->subviews_;
  siblings.erase(std::find(siblings.begin(), siblings.end(), this));
  superview_ = nullptr;
  setWindowOfTree(nullptr);
  viewDidMoveToSuperview();
  if (oldWindow) notifyTreeDidMoveToWindow();
  // The superview's reference.
  release();
}

void View::setWindowOfTree(Window* window) {
  window_ = window;
  for (View* subview : subviews_) subview->setWindowOfTree(window);
}

void View::notifyTreeWillMoveToWindow(Window* newWindow) {
  const Subtree tree(this);
  for (View* view : tree.views()) view->viewWillMoveToWindow(newWindow);
}

void View::notifyTreeDidMoveToWindow() {
  const Subtree tree(this);
  Window* const window = window_;
  for (View* view : tree.views()) {
    if (view->window_ == window) view->viewDidMoveToWindow();
  }
  for (View* view : tree.views()) {
    if (view->window_ != window) continue;
    if (window == nullptr) {
      // Outside a window a view has scale 1 and the default look, silently.
      view->lastBackingScale_ = 1.0;
      view->lastAppearance_ = Aqua();
      continue;
    }
    view->backingPropertiesMayHaveChanged();
    view->appearanceMayHaveChanged();
    if (view->window_ == window) view->updateTrackingAreas();
  }
}


void View::treeWindowPropertiesMayHaveChanged() {
  const Subtree tree(this);
  Window* const window = window_;
  for (View* view : tree.views()) {
    if (view->window_ != window) continue;
    view->backingPropertiesMayHaveChanged();
    view->appearanceMayHaveChanged();
  }
}

void View::backingPropertiesMayHaveChanged() {
  if (window_ == nullptr) return;
  const CGFloat scale = window_->backingScaleFactor();
  if (scale == lastBackingScale_) return;
  lastBackingScale_ = scale;
  if (layer_ != nullptr) layer_->setContentsScale(scale);
  viewDidChangeBackingProperties();
}

void View::appearanceMayHaveChanged() {
  Appearance* const appearance = effectiveAppearance();
  if (appearance == (lastAppearance_ != nullptr ? lastAppearance_ : Aqua())) return;
  lastAppearance_ = appearance;
  viewDidChangeEffectiveAppearance();
}

Appearance* View::effectiveAppearance() const { return window_ != nullptr ? window_->effectiveAppearance() : Aqua(); }

Rect View::visibleRect() const {
  if (standin::appkit::IsHiddenOrHasHiddenAncestor(*this)) return Rect{};
  Rect visible = standin::appkit::RectToRoot(*this, bounds());
  for (const View* ancestor = superview_; ancestor != nullptr; ancestor = ancestor->superview_) {
    visible = standin::appkit::RectIntersection(visible, standin::appkit::RectToRoot(*ancestor, ancestor->bounds()));
  }
  if (standin::appkit::RectIsEmpty(visible)) return Rect{};
  return standin::appkit::RectFromRoot(*this, visible);
}

Point View::convertPointFromView(Point point, const View* view) const {
  const Point inRoot = view != nullptr ? standin::appkit::PointToRoot(*view, point) : point;
  return standin::appkit::PointFromRoot(*this, inRoot);
}

Point View::convertPointToView(Point point, const View* view) const {
  const Point inRoot = standin::appkit::PointToRoot(*this, point);
  return view != nullptr ? standin::appkit::PointFromRoot(*view, inRoot) : inRoot;
}

View* View::hitTest(Point point) {
  if (hidden_ || !standin::appkit::RectContainsPoint(frame_, point)) return nullptr;
  const Point local = standin::appkit::PointFromSuperview(*this, point);
  // The last subview is in front.
  for (auto subview = subviews_.rbegin(); subview != subviews_.rend(); ++subview) {
    if (View* hit = (*subview)->hitTest(local)) return hit;
  }
  return this;
}

void View::registerForDraggedTypes(CFArrayRef types) {
  if (types == nullptr) return;
  CFMutableArrayRef registered = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (CFArrayRef source : {draggedTypes_, types}) {
    const CFIndex count = source != nullptr ? CFArrayGetCount(source) : 0;
    for (CFIndex index = 0; index < count; ++index) {
      const void* type = CFArrayGetValueAtIndex(source, index);
      if (!CFArrayContainsValue(registered, CFRangeMake(0, CFArrayGetCount(registered)), type)) {
        CFArrayAppendValue(registered, type);
      }
    }
  }
  if (draggedTypes_ != nullptr) CFRelease(draggedTypes_);
  draggedTypes_ = registered;
}

void View::setWantsLayer(bool wants) {
  wantsLayer_ = wants;
  if (!wants && layer_ != nullptr) {
    layer_->release();
    layer_ = nullptr;
  }
  if (!wants || layer_ != nullptr) return;
  layer_ = makeBackingLayer();
  if (layer_ == nullptr) return;
  layer_->setFrame(frame_);
  layer_->setContentsScale(lastBackingScale_);
}

CA::Layer* View::makeBackingLayer() { return new CA::Layer; }

void View::addTrackingArea(TrackingArea* area) {
  if (area == nullptr || std::find(trackingAreas_.begin(), trackingAreas_.end(), area) != trackingAreas_.end()) return;
  area->retain();
  trackingAreas_.push_back(area);
}

void View::removeTrackingArea(TrackingArea* area) {
  const auto found = std::find(trackingAreas_.begin(), trackingAreas_.end(), area);
  if (found == trackingAreas_.end()) return;
  trackingAreas_.erase(found);
  area->release();
}

CFStringRef View::description() const { return CFSTR("NSView"); }

}  // namespace NS
