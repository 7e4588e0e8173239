#pragma once

// The part of a view that plug-in editors and their hosts use: the frame, the
// autoresizing mask and the view tree. A superview holds a reference to each
// of its subviews. Main thread only.

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

#include <vector>

namespace NS {

typedef unsigned long AutoresizingMaskOptions;
enum : AutoresizingMaskOptions {
  ViewNotSizable = 0,
  ViewMinXMargin = 1,
  ViewWidthSizable = 2,
  ViewMaxXMargin = 4,
  ViewMinYMargin = 8,
  ViewHeightSizable = 16,
  ViewMaxYMargin = 32,
};

class NS_CLASS_EXPORT View : public Object {
public:
  View() = default;

  View* initWithFrame(const Rect& frame);

  Rect frame() const { return frame_; }
  void setFrame(const Rect& frame) { frame_ = frame; }
  // The frame's size at the origin.
  Rect bounds() const { return Rect{Point{}, frame_.size}; }

  AutoresizingMaskOptions autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(AutoresizingMaskOptions mask) { autoresizingMask_ = mask; }

  View* superview() const { return superview_; }
  const std::vector<View*>& subviews() const { return subviews_; }
  // Takes the view from its current superview first; adding a view to itself
  // or to one of its own subviews does nothing.
  void addSubview(View* view);
  // Safe to call again from the move notifications; does nothing without a superview.
  void removeFromSuperview();
  bool isDescendantOf(const View* view) const;

  // Called around every change of superview; a view that must react to being
  // taken out of its window (an editor closing) overrides them.
  virtual void viewWillMoveToSuperview(View* newSuperview) { (void)newSuperview; }
  virtual void viewDidMoveToSuperview() {}

  CFStringRef description() const override;

protected:
  // Subviews still attached are released without move notifications.
  ~View() override;

private:
  Rect frame_{};
  AutoresizingMaskOptions autoresizingMask_ = ViewNotSizable;
  View* superview_ = nullptr;
  bool leavingSuperview_ = false;  // a removal asked for from viewWillMoveToSuperview does nothing
  std::vector<View*> subviews_;
};

}  // namespace NS
