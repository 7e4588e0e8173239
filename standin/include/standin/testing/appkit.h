#pragma once

// Driving the headless AppKit: the screen, host windows, the user's pointer
// and keyboard, and what the stand-in recorded. Points are given in the target
// view's own coordinates, so a test reads like the user's gesture. Every
// injection returns false, delivering nothing, when the view is not in a window.

#include <AppKit/NSEvent.h>
#include <CoreFoundation/CFString.h>
#include <Foundation/NSGeometry.h>

#include <string>
#include <vector>

namespace NS {
class View;
class Window;
}  // namespace NS

namespace standin::testing {

// The defaults back: a 1920 x 1080 screen at scale 1, the pointer at its
// origin, the cursor shown and associated, no tablet, empty logs, counts at 0,
// every optional method present.
void ResetAppKit();

// The main screen (origin at (0, 0)).
void SetMainScreen(NS::Size size, NS::CGFloat backingScale);

// A host window over a screen rectangle, filled by a plain content view;
// owned by the caller.
NS::Window* MakeHostWindow(const NS::Rect& screenFrame, NS::CGFloat backingScale = 1.0);
// Every view whose scale changes gets viewDidChangeBackingProperties once.
void SetBackingScale(NS::Window* window, NS::CGFloat scale);
// Aqua or dark Aqua; every view gets viewDidChangeEffectiveAppearance once.
void SetAppearance(NS::Window* window, CFStringRef appearanceName);
// As a user dragging the bottom-right corner: the top-left corner stays.
void ResizeWindow(NS::Window* window, NS::Size size);
void ResizeView(NS::View* view, NS::Size size);
// As a host closing an editor: removeFromSuperview with the caller's reference held for the call.
void RemoveViewAsHost(NS::View* view);

enum class MouseButton { Left, Right };

// A move, or a drag while a button is held.
bool MovePointer(NS::View* view, NS::Point point, NS::EventModifierFlags modifiers = 0);
bool PressButton(NS::View* view, NS::Point point, MouseButton button = MouseButton::Left, long clickCount = 1,
                 NS::EventModifierFlags modifiers = 0);
bool ReleaseButton(NS::View* view, NS::Point point, MouseButton button = MouseButton::Left, long clickCount = 1,
                   NS::EventModifierFlags modifiers = 0);
// Drags from the pointer to the point in `steps` equal moves.
bool DragTo(NS::View* view, NS::Point point, int steps, NS::EventModifierFlags modifiers = 0);
bool Scroll(NS::View* view, NS::Point point, NS::CGFloat deltaY, NS::EventModifierFlags modifiers = 0);
// Mouse events from now on come from a tablet pen (subtype EventSubtypeTabletPoint).
void SetTabletInput(bool tablet);

struct Key {
  unsigned short keyCode = 0;
  std::string characters;  // UTF-8
  std::string charactersIgnoringModifiers;
  NS::EventModifierFlags modifiers = 0;
};
// To the window's first responder.
bool PressKey(NS::Window* window, const Key& key);
bool ReleaseKey(NS::Window* window, const Key& key);

// Keys that climbed the responder chain to their window unhandled, oldest first.
struct UnhandledKey {
  bool down = true;
  Key key;
};
std::vector<UnhandledKey> UnhandledKeys();

// The pointer in screen coordinates, as NS::Event::mouseLocation answers.
NS::Point PointerLocation();
int CursorHideCount();
bool CursorAssociatedWithMouse();
// Every CGDisplayMoveCursorToPoint, in display coordinates (origin at the top left).
std::vector<NS::Point> CursorWarps();

// AppKit calls made off the main thread.
long AppKitMainThreadViolationCount();
// Calls the platform refuses with an exception (an action sent to an object
// that does not respond to it, ...).
long AppKitValidationErrorCount();
// Switches an optional platform method (by selector name) off or back on.
void SetOptionalMethodAvailable(const std::string& selectorName, bool available);

}  // namespace standin::testing
