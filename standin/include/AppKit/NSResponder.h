#pragma once

// The responder chain: views pass what they do not handle to their superview,
// a window's content view to its window. Main thread only.

#include <Foundation/NSObject.h>

namespace NS {

class Event;

class NS_CLASS_EXPORT Responder : public Object {
public:
  // Not owned by the caller; null at the end of the chain.
  virtual Responder* nextResponder() const { return nullptr; }

  // Asked by a window before it makes this its first responder; false by default.
  virtual bool acceptsFirstResponder() { return false; }
  // Answer false to stay out of (or in) the first-responder role.
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }

  // Each passes the event to the next responder unless overridden.
  virtual void mouseDown(Event* event);
  virtual void mouseUp(Event* event);
  virtual void mouseDragged(Event* event);
  virtual void rightMouseDown(Event* event);
  virtual void rightMouseUp(Event* event);
  virtual void rightMouseDragged(Event* event);
  virtual void mouseMoved(Event* event);
  virtual void mouseEntered(Event* event);
  virtual void mouseExited(Event* event);
  virtual void scrollWheel(Event* event);
  virtual void keyDown(Event* event);
  virtual void keyUp(Event* event);

protected:
  ~Responder() override = default;
};

}  // namespace NS
