#pragma once

// The AppKit view that shows the editor: backed by the Metal layer the vector
// binding draws into, redrawn by a frame timer at the context's frame rate,
// following the host's view, window, backing scale and appearance, and
// answering tooltips for the control under the pointer. Mouse, scroll, key
// and file-drop events reach the graphics core in GUI coordinates; keys the
// core does not take go on to the host. The context creates and attaches it
// (IGraphicsMac::AttachEditorView). When the host removes it, it closes the
// editor through the delegate.
//
// The view holds no reference to its context. Detaching forgets the context
// before anything else, so whatever reaches the view afterwards (the host
// removing it, a notification, its destruction) leaves the context alone.
//
// The class lives inside the component library only, so two plug-ins' views
// never meet under one name. Main thread only.

#include <AppKit/NSDragging.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSTextField.h>
#include <AppKit/NSView.h>
#include <CoreGraphics/CGContext.h>
#include <Foundation/NSTimer.h>
#include <QuartzCore/CAMetalLayer.h>

#include <functional>

#include "common/popup_menu.h"
#include "graphics/graphics_context.h"
#include "graphics/graphics_types.h"

namespace NS {
class Cursor;
class TrackingArea;
}  // namespace NS

namespace plugkit::graphics {
class IGraphicsMac;
}

class IGraphicsTextField_vOrvane_au;

class IGraphicsView_vOrvane_au final : public NS::View,
                                       public NS::ViewToolTipOwner,
                                       public NS::DraggingDestination,
                                       public NS::DraggingSource,
                                       public NS::TextFieldDelegate {
public:
  using IGraphicsMac = plugkit::graphics::IGraphicsMac;
  using IRECT = plugkit::graphics::IRECT;
  using IColor = plugkit::graphics::IColor;
  using IMouseInfo = plugkit::graphics::IMouseInfo;

  IGraphicsView_vOrvane_au() = default;

  // The view of the GUI's size at the draw scale, its Metal layer set up and
  // its frame timer running.
  IGraphicsView_vOrvane_au* initWithIGraphics(IGraphicsMac* graphics);
  CA::Layer* makeBackingLayer() override;
  CA::MetalLayer* metalLayer() const { return static_cast<CA::MetalLayer*>(layer()); }

  // The frame timer, 1 / frame rate, in the common run-loop modes (so it
  // also fires while menus run and windows resize). It keeps the view alive
  // until killed.
  void setTimer();
  void killTimer();
  // Settles the host's view size while the context asks for it, then renders.
  void onTimer(NS::Object* sender);
  // Draws the dirty controls in one frame; nothing when none is dirty.
  void render();

  // The context is going: nothing here reaches it from now on.
  void forgetGraphics() { mGraphics = nullptr; }

  bool isOpaque() const override { return mGraphics != nullptr; }
  bool isFlipped() const override { return true; }
  bool acceptsFirstResponder() override { return true; }
  bool acceptsFirstMouse(NS::Event*) override { return true; }
  // Drawing goes through the layer.
  void drawRect(const NS::Rect&) override {}
  // The CoreGraphics context of AppKit's current drawing, flipped; null
  // outside drawRect, which is never called.
  CGContextRef getCGContextRef() const;
  // The Metal layer needs no context made current and presents itself.
  void activateGLContext() {}
  void deactivateGLContext() {}
  void swapBuffers() {}

  void viewDidMoveToWindow() override;
  void viewDidChangeBackingProperties() override;
  void viewDidChangeEffectiveAppearance() override;
  // Notification handlers: the view's own frame (drawable size; the GUI size
  // the host gave it) and the host window's size.
  void frameDidChange(NS::Object* notification);
  void hostFrameDidChange(NS::Object* notification);
  void hostWindowDidResize(NS::Object* notification);

  // A tooltip rectangle over r (GUI coordinates) whose text this view gives.
  void registerToolTip(const IRECT& r);
  // The tooltip of the control under the pointer; "" for none.
  CFStringRef viewStringForToolTipPointUserData(NS::View* view, NS::ToolTipTag tag, NS::Point point,
                                                void* userData) override;

  // The shared colour panel shows the colour, with alpha, and sends each
  // colour picked to this view, which hands it to func (kept until the next
  // prompt or the view's end). Answers whether the panel exists.
  bool promptForColor(const IColor& color, plugkit::graphics::IColorPickerHandlerFunc func);
  // The panel's colour, each component times 255 and truncated, to the stored function.
  void onColorPicked(NS::Object* sender);

  // Pointer crossings of the whole view, also while a button is held.
  void updateTrackingAreas() override;
  // The event's position in GUI coordinates. Notes whether a tablet pen gave
  // it, and puts a hidden, locked pointer back (IGraphicsMac::ApplyCursorLock).
  void getMouseXY(NS::Event* event, float& x, float& y);
  // The event as one pointer sample. Left: L, and R for Command (a
  // Command-click is also a right-click); right: R. Shift, Control and
  // Option as S, C and A.
  IMouseInfo getMouseLeft(NS::Event* event);
  IMouseInfo getMouseRight(NS::Event* event);

  // Pointer events to the graphics core. Even click counts are double-clicks.
  // A release after the pointer left during a drag also ends the hover.
  void mouseDown(NS::Event* event) override;
  void mouseUp(NS::Event* event) override;
  void mouseDragged(NS::Event* event) override;
  void rightMouseDown(NS::Event* event) override;
  void rightMouseUp(NS::Event* event) override;
  void rightMouseDragged(NS::Event* event) override;
  void mouseMoved(NS::Event* event) override;
  void mouseEntered(NS::Event* event) override;
  void mouseExited(NS::Event* event) override;
  void scrollWheel(NS::Event* event) override;
  // Keys at the last pointer position; what the core does not take goes to
  // the next responder.
  void keyDown(NS::Event* event) override;
  void keyUp(NS::Event* event) override;

  // Shows the cursor of a kind (IGraphics::SetCursor); the arrow for a kind
  // this system has no cursor for.
  void setMouseCursor(int kind);

  // Files dropped from elsewhere go to the control under the point.
  NS::DragOperation draggingEntered(NS::DraggingInfo* sender) override;
  bool performDragOperation(NS::DraggingInfo* sender) override;
  // Files dragged out are copied.
  NS::DragOperation draggingSessionSourceOperationMaskForDraggingContext(NS::DraggingSession* session,
                                                                         NS::DraggingContext context) override;

  // Points of the window or the screen in GUI coordinates, and back. Outside
  // a window, screen points are taken as the window's.
  NS::Point guiPointFromWindow(NS::Point inWindow) const;
  NS::Point guiPointFromScreen(NS::Point onScreen) const;
  NS::Point screenPointFromGui(NS::Point gui) const;

  // Runs the menu of the popup with the rectangle (view coordinates) as the
  // control: opening with the chosen item over it, or below it when the popup
  // names no item. Answers the popup (the menu or a sub-menu) that holds the
  // item the user chose, its chosen index set; null when dismissed.
  plugkit::IPopupMenu* createPopupMenu(plugkit::IPopupMenu& menu, const NS::Rect& bounds);
  // A native text field over the rectangle (view coordinates) holding the
  // text, in the style's font, alignment and text-entry colours, first
  // responder with its text selected. Typing is limited to what the
  // parameter (when the delegate has it) takes and to maxLength units. A
  // field already open closes without an answer: the newest request wins.
  void createTextEntry(int paramIdx, const plugkit::graphics::IText& text, const char* str, int maxLength,
                       const NS::Rect& areaRect);
  // The field's text goes to the graphics core, everything redraws and the
  // field closes.
  void controlTextDidEndEditing(NS::Notification* notification) override;
  // Closes an open text field without an answer; the core's text entry is
  // no longer pending. Nothing when no field is open.
  void endUserInput();
  // The host takes the view away: the editor closes through the delegate,
  // which detaches this view and deletes its context.
  void removeFromSuperview() override;

protected:
  ~IGraphicsView_vOrvane_au() override;

private:
  // While the context asks: the delegate judges the superview's visible size
  // and the GUI adopts it, or stops asking.
  void checkHostViewSize();
  // The drawable in pixels of the frame at the scale.
  void sizeDrawable(NS::CGFloat backingScale);
  IMouseInfo mouseInfo(NS::Event* event, bool leftButton);
  void buttonDown(NS::Event* event, bool leftButton);
  void dragged(NS::Event* event, bool leftButton);
  void keyEvent(NS::Event* event, bool up);
  float drawScale() const;
  // Closes an open field (its delegate cleared first, so nothing answers);
  // the view is first responder again.
  void closeTextField();
  // The move cursor, made on first use; null when it cannot be made.
  NS::Cursor* moveCursor();

  NS::Timer* mTimer = nullptr;  // the run loop holds it
  NS::TrackingArea* mTrackingArea = nullptr;
  IGraphicsTextField_vOrvane_au* mTextFieldView = nullptr;  // one reference
  NS::Cursor* mMoveCursor = nullptr;
  float mPrevX = 0.f;
  float mPrevY = 0.f;
  bool mMouseOutDuringDrag = false;
  plugkit::graphics::IRECTList mDirtyRects;
  plugkit::graphics::IColorPickerHandlerFunc mColorPickerFunc;
  IGraphicsMac* mGraphics = nullptr;
  bool mMoveCursorTried = false;  // a move cursor that failed is not tried again
};
