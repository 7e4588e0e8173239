#pragma once

// A host's window: a rectangle of the screen filled by its content view. The
// stand-in makes windows only for tests and the host (standin/testing/appkit.h).
// Main thread only.

#include <AppKit/NSResponder.h>
#include <CoreFoundation/CFString.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObjCRuntime.h>

// Posted with the window as object after its size changed.
extern const CFStringRef NSWindowDidResizeNotification;

namespace standin::appkit {
struct WindowControl;
}

namespace NS {

class Appearance;
class Text;
class View;

// Where a window stays among the others: floating windows above normal ones.
typedef Integer WindowLevel;
enum : WindowLevel {
  NormalWindowLevel = 0,
  FloatingWindowLevel = 3,
};

class NS_CLASS_EXPORT Window : public Responder {
public:
  // Not owned by the caller; the window holds it.
  View* contentView() const { return contentView_; }

  // In screen coordinates; the content view fills the whole window.
  Rect frame() const { return frame_; }
  // A size change resizes the content view and posts NSWindowDidResizeNotification.
  void setFrame(const Rect& frame);
  CGFloat backingScaleFactor() const { return backingScale_; }
  // Not owned by the caller.
  Appearance* effectiveAppearance() const;

  // The window itself when no view is.
  Responder* firstResponder() const { return firstResponder_; }
  // Null stands for the window. Answers false and keeps the first responder
  // when the new one does not accept the role or the current one refuses to
  // resign; a new one that then refuses to become it leaves the window in the role.
  bool makeFirstResponder(Responder* responder);

  // Off by default: pointer moves reach the first responder only when on.
  void setAcceptsMouseMovedEvents(bool accepts) { acceptsMouseMoved_ = accepts; }
  bool acceptsMouseMovedEvents() const { return acceptsMouseMoved_; }

  // The window's one field editor (not owned by the caller), made when first
  // asked for with `createWhenNeeded`; null before that. Every text field of
  // the window edits through it.
  Text* fieldEditorForObject(bool createWhenNeeded, Object* object);

  void makeKeyAndOrderFront(Object* sender);
  bool isKeyWindow() const { return key_; }
  // A host's window is on screen from the start.
  bool isVisible() const { return true; }

  Point convertPointToScreen(Point point) const;
  Point convertPointFromScreen(Point point) const;
  Rect convertRectToScreen(const Rect& rect) const;
  Rect convertRectFromScreen(const Rect& rect) const;

  // Routes the event as AppKit does: a mouse down to the deepest visible view
  // under it (made first responder first when it accepts), that button's
  // drags and up to the same view, moves to the first responder while mouse
  // moves are accepted, scrolls to the view under the pointer, keys to the
  // first responder; tracking areas crossed hear of it first. The event is the
  // application's current event for the call, which holds references to the
  // window and the receiving view and drains an autorelease pool of its own.
  void sendEvent(Event* event);

  // Keys nobody handled end here; they are logged for the host to see.
  void keyDown(Event* event) override;
  void keyUp(Event* event) override;

protected:
  // The content view's tree leaves the window first.
  ~Window() override;

private:
  friend class View;
  friend struct standin::appkit::WindowControl;
  enum MouseButton { kLeftButton, kRightButton, kButtonCount };

  Window(const Rect& frame, CGFloat backingScale);

  // Called by a view before its subtree leaves the window.
  void subtreeWillLeave(View* root);
  void setBackingScaleFactor(CGFloat scale);
  void setAppearance(Appearance* appearance);

  void dispatchMouseDown(Event* event, MouseButton button);
  void dispatchMouseDragOrUp(Event* event, MouseButton button, bool up);
  void dispatchTrackingCrossings(Event* event);
  void dispatchToResponder(Event* event);

  Rect frame_;
  CGFloat backingScale_;
  Appearance* appearance_ = nullptr;  // null: Aqua
  View* contentView_ = nullptr;
  Responder* firstResponder_ = this;
  Responder* resigningResponder_ = nullptr;  // asked to resign right now
  bool acceptsMouseMoved_ = false;
  bool key_ = false;
  Text* fieldEditor_ = nullptr;
  View* mouseDownViews_[kButtonCount] = {};  // one reference each, until the button's up
};

}  // namespace NS
