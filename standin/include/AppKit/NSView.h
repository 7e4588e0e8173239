#pragma once

// Views: a tree of rectangles in a window, each with its own coordinates
// (origin at the bottom left, or the top left for a flipped view). A
// superview holds a reference to each of its subviews; a view does not hold
// its window. Main thread only.

#include <AppKit/NSResponder.h>
#include <CoreFoundation/CFArray.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObjCRuntime.h>

#include <vector>

namespace CA {
class Layer;
}

namespace standin::appkit {
struct ToolTipAccess;
}

// Posted with the view as object after its frame changed.
extern const CFStringRef NSViewFrameDidChangeNotification;

namespace NS {

class Appearance;
class DraggingItem;
class DraggingSession;
class DraggingSource;
class TrackingArea;
class Window;

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

// Names one tooltip rectangle of a view; never 0.
typedef Integer ToolTipTag;

class View;

// What the owner of a tooltip rectangle answers when the pointer rests in it.
class NS_CLASS_EXPORT ViewToolTipOwner {
public:
  // The text to show for the point (in the view's coordinates); not owned by the caller.
  virtual CFStringRef viewStringForToolTipPointUserData(View* view, ToolTipTag tag, Point point, void* userData) = 0;

protected:
  ~ViewToolTipOwner() = default;
};

typedef long ViewLayerContentsRedrawPolicy;
enum : ViewLayerContentsRedrawPolicy {
  ViewLayerContentsRedrawNever = 0,
  ViewLayerContentsRedrawOnSetNeedsDisplay = 1,
  ViewLayerContentsRedrawDuringViewResize = 2,
};

class NS_CLASS_EXPORT View : public Responder {
public:
  View() = default;

  View* initWithFrame(const Rect& frame);

  // In the superview's coordinates. A change resizes the subviews by their
  // autoresizing masks, moves a backing layer along, calls updateTrackingAreas
  // in a window and, unless switched off, posts NSViewFrameDidChangeNotification.
  Rect frame() const { return frame_; }
  void setFrame(const Rect& frame);
  void setFrameSize(Size size);
  void setFrameOrigin(Point origin);
  // The frame's size at the origin.
  Rect bounds() const { return Rect{Point{}, frame_.size}; }
  // On by default.
  void setPostsFrameChangedNotifications(bool posts) { postsFrameChanges_ = posts; }
  bool postsFrameChangedNotifications() const { return postsFrameChanges_; }

  AutoresizingMaskOptions autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(AutoresizingMaskOptions mask) { autoresizingMask_ = mask; }

  View* superview() const { return superview_; }
  const std::vector<View*>& subviews() const { return subviews_; }
  // Takes the view from its current superview first; adding a view to itself
  // or to one of its own subviews does nothing.
  void addSubview(View* view);
  // Safe to call again from the move notifications; does nothing without a
  // superview. The view stays alive until the call returns, even when an
  // override releases the last reference another owner held.
  virtual void removeFromSuperview();
  bool isDescendantOf(const View* view) const;
  // The superview, or the window for its content view.
  Responder* nextResponder() const override;

  // Null outside a window; not owned by the caller.
  Window* window() const { return window_; }

  virtual bool isFlipped() const { return false; }
  virtual bool isOpaque() const { return false; }
  virtual bool acceptsFirstMouse(Event* event) {
    (void)event;
    return false;
  }
  // Never called: nothing draws through it here.
  virtual void drawRect(const Rect& dirtyRect) { (void)dirtyRect; }

  void setHidden(bool hidden) { hidden_ = hidden; }
  bool isHidden() const { return hidden_; }
  // The bounds clipped by every ancestor's bounds; empty when the view or an
  // ancestor is hidden or nothing of it shows.
  Rect visibleRect() const;

  // A null view stands for the window's coordinates (the root view's
  // superview's outside a window).
  Point convertPointFromView(Point point, const View* view) const;
  Point convertPointToView(Point point, const View* view) const;
  // The deepest visible view under a point in the superview's coordinates;
  // null when the point is outside this view or the view is hidden.
  virtual View* hitTest(Point point);

  // A copy is kept; drops are delivered by the dragging stand-in.
  void registerForDraggedTypes(CFArrayRef types);
  // Not owned by the caller; null before any registration.
  CFArrayRef registeredDraggedTypes() const { return draggedTypes_; }
  // Starts a drag of the items (the session keeps a reference to each) from
  // the mouse-down or mouse-drag event this view is handling; their writers
  // fill the dragging pasteboard and the source is asked for its operations
  // once. Not owned by the caller. Null, with a validation error counted (the
  // platform raises), without items, a source or such an event.
  DraggingSession* beginDraggingSessionWithItemsEventSource(const std::vector<DraggingItem*>& items, Event* event,
                                                            DraggingSource* source);

  // Called around every change of superview; a view that must react to being
  // taken out of its window (an editor closing) overrides them.
  virtual void viewWillMoveToSuperview(View* newSuperview) { (void)newSuperview; }
  virtual void viewDidMoveToSuperview() {}
  // Called on every view of a subtree entering or leaving a window.
  virtual void viewWillMoveToWindow(Window* newWindow) { (void)newWindow; }
  virtual void viewDidMoveToWindow() {}
  // The window's backing scale changed, or the view entered a window whose
  // scale differs from the one it last had (1.0 outside any window).
  virtual void viewDidChangeBackingProperties() {}
  // Likewise for the appearance (Aqua outside any window).
  virtual void viewDidChangeEffectiveAppearance() {}
  // The window's appearance; Aqua outside a window. Not owned by the caller.
  Appearance* effectiveAppearance() const;

  // Yes makes the backing layer once, through makeBackingLayer.
  void setWantsLayer(bool wants);
  bool wantsLayer() const { return wantsLayer_; }
  // Null until the view wants a layer; not owned by the caller.
  CA::Layer* layer() const { return layer_; }
  // Hands the view one reference to a new layer (a plain CA::Layer by default);
  // a subclass answers a layer of its own kind.
  virtual CA::Layer* makeBackingLayer();
  void setLayerContentsRedrawPolicy(ViewLayerContentsRedrawPolicy policy) { redrawPolicy_ = policy; }
  ViewLayerContentsRedrawPolicy layerContentsRedrawPolicy() const { return redrawPolicy_; }

  // The view holds a reference to each of its areas.
  void addTrackingArea(TrackingArea* area);
  void removeTrackingArea(TrackingArea* area);
  const std::vector<TrackingArea*>& trackingAreas() const { return trackingAreas_; }
  // Called when the view enters a window and after its frame changes there,
  // so that the view can replace its areas.
  virtual void updateTrackingAreas() {}

  // A rectangle (in the view's coordinates) whose tooltip the owner supplies
  // through ViewToolTipOwner; an owner without it shows its description. The
  // owner is not retained. A null owner adds nothing and answers 0.
  ToolTipTag addToolTipRectOwnerUserData(const Rect& rect, Object* owner, void* userData);
  void removeAllToolTips();

  CFStringRef description() const override;

protected:
  // Subviews still attached are released without move notifications.
  ~View() override;

private:
  friend class Window;
  friend struct standin::appkit::ToolTipAccess;

  struct ToolTipRect {
    ToolTipTag tag;
    Rect rect;
    Object* owner;
    void* userData;
  };

  void setWindowOfTree(Window* window);
  void notifyTreeWillMoveToWindow(Window* newWindow);
  void notifyTreeDidMoveToWindow();
  void resizeSubviewsWithOldSize(Size oldSize);
  void frameDidChange(const Rect& oldFrame);
  // Each tells the view when its window's value differs from the one it last had.
  void backingPropertiesMayHaveChanged();
  void appearanceMayHaveChanged();
  // The window's scale or appearance changed: every view of the tree that
  // last had another value hears of it.
  void treeWindowPropertiesMayHaveChanged();

  Rect frame_{};
  AutoresizingMaskOptions autoresizingMask_ = ViewNotSizable;
  View* superview_ = nullptr;
  Window* window_ = nullptr;
  bool leavingSuperview_ = false;  // a removal asked for from the will-move notifications does nothing
  bool hidden_ = false;
  bool postsFrameChanges_ = true;
  std::vector<View*> subviews_;
  CFArrayRef draggedTypes_ = nullptr;
  bool wantsLayer_ = false;
  CA::Layer* layer_ = nullptr;
  ViewLayerContentsRedrawPolicy redrawPolicy_ = ViewLayerContentsRedrawNever;
  std::vector<TrackingArea*> trackingAreas_;
  std::vector<ToolTipRect> toolTips_;  // in the order added
  CGFloat lastBackingScale_ = 1.0;
  Appearance* lastAppearance_ = nullptr;  // null: Aqua
};

}  // namespace NS
