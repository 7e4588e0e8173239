#pragma once

// Driving the headless AppKit: the screen, host windows, the user's pointer
// and keyboard, and what the stand-in recorded. Points are given in the target
// view's own coordinates, so a test reads like the user's gesture. Every
// injection returns false, delivering nothing, when the view is not in a window.

#include <AppKit/NSApplication.h>
#include <AppKit/NSCursor.h>
#include <AppKit/NSDragging.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSWindow.h>
#include <CoreFoundation/CFString.h>
#include <CoreGraphics/CGImage.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSGeometry.h>
#include <standin/testing/images.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace NS {
class Color;
class TextField;
class View;
class Window;
}  // namespace NS

namespace standin::testing {

// The defaults back: a 1920 x 1080 screen at scale 1, the pointer at its
// origin, the cursor shown and associated, no tablet, empty logs and answer
// queues, no open animation grouping or waiting sheet, no colour panel made,
// counts at 0, every optional method present.
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

// --- Animation groupings, tooltips, alerts, panels and the colour panel ---

// An animation grouping as it ended: its duration and the views whose frame
// changed while it was the innermost grouping (identity only).
struct AnimationGrouping {
  NS::TimeInterval duration = 0.0;
  std::vector<const NS::View*> framesChanged;
};
// Oldest first.
std::vector<AnimationGrouping> EndedAnimationGroupings();
int OpenAnimationGroupingCount();

// The tooltip the view shows when the pointer rests at the point (in the
// view's coordinates): the owner of the most recently added rectangle there
// is asked. None outside the view's rectangles or when the view shows nothing
// there or is not in a window.
std::optional<std::string> ToolTipAt(NS::View* view, NS::Point point);
// In the order added.
std::vector<NS::Rect> ToolTipRects(const NS::View* view);

// The button (counted from 0) that the next alert is answered with; without
// a queued answer, or with one beyond its buttons, an alert answers its first.
void QueueAlertAnswer(std::size_t buttonIndex);
struct AlertRecord {
  std::string messageText;
  std::string informativeText;
  std::vector<std::string> buttons;  // as shown: "OK" alone for an alert without buttons of its own
  NS::ModalResponse answer = 0;
};
// Each alert run, oldest first.
std::vector<AlertRecord> AlertLog();
// Decides each alert that has no queued answer, as a user reading it would:
// given the alert as shown (its answer not yet set), the button (counted from
// 0; one beyond its buttons answers the first). An empty function removes it.
using AlertResponder = std::function<std::size_t(const AlertRecord& alert)>;
void SetAlertResponder(AlertResponder responder);

// A panel's answer: an absolute path, or none for Cancel. A save panel whose
// types are enforced appends its first allowed extension to a name that has
// none of them.
using PanelAnswer = std::optional<std::string>;
// For the next modal run; without one a modal panel is cancelled. False,
// queueing nothing, for a path that is not absolute.
bool QueuePanelAnswer(PanelAnswer answer);
// Answers the sheet the window shows (null: the oldest panel begun without a
// window); its handler runs on the next pass of the main run loop, and the
// next sheet waiting on that window shows. False, answering nothing, when no
// sheet shows there or the path is not absolute.
bool AnswerSheet(const NS::Window* window, const PanelAnswer& answer);
// Sheets begun on the window (null: without one) and not yet answered, the
// one showing included.
std::size_t PendingSheetCount(const NS::Window* window);

enum class PanelKind { Save, Open };
enum class PanelMode { Modal, Sheet };
struct PanelRecord {
  PanelKind kind = PanelKind::Save;
  PanelMode mode = PanelMode::Modal;
  const NS::Window* window = nullptr;  // a sheet's window (identity only)
  std::optional<std::vector<std::string>> allowedFileTypes;  // none: not set (every type)
  std::string directory;  // the directory URL's path; "" without one
  std::string nameField;
  std::string title;
  bool allowsOtherFileTypes = false;
  bool canChooseFiles = true;
  bool canChooseDirectories = false;
  bool resolvesAliases = true;
  bool canCreateDirectories = true;
  NS::WindowLevel level = NS::NormalWindowLevel;
  PanelAnswer answer;  // the chosen path once answered
};
// Each panel as it showed (a sheet waiting behind another shows later), oldest first.
std::vector<PanelRecord> PanelLog();
// Decides each modal panel that has no queued answer, as a user reading it
// would: given the panel as shown (its answer not yet set), the answer; a
// path that is not absolute cancels. An empty function removes it.
using PanelResponder = std::function<PanelAnswer(const PanelRecord& panel)>;
void SetPanelResponder(PanelResponder responder);

// The user picks a colour in the shared colour panel: the panel's colour
// becomes it (opaque unless the panel shows alpha) and its action goes to its
// target. Nothing happens while the panel is not made or not open; answers
// whether the action was sent.
bool PickColor(NS::CGFloat red, NS::CGFloat green, NS::CGFloat blue, NS::CGFloat alpha);

// --- Menus ---

// A run of popUpMenuPositioningItemAtLocationInView describes the menu
// to the testing responder and takes the oldest queued answer; with none
// queued the user dismisses the menu.
struct MenuItemDescription {
  std::string title;  // UTF-8
  bool separator = false;
  bool enabled = true;  // as the menu decides, autoenabling included
  long state = 0;  // NS::ControlStateValue
  long indentation = 0;
  bool hasSubmenu = false;
  std::vector<MenuItemDescription> submenu;
};
struct MenuRun {
  std::vector<MenuItemDescription> items;
  std::string title;  // the menu's own, UTF-8
  long positioningItemIndex = -1;  // -1: no positioning item
  NS::Point location{};  // as passed, in the view's coordinates
  const NS::View* view = nullptr;  // only to compare; it may be gone
  std::vector<long> answer;  // the path that answered the run; empty: dismissed
  bool chose = false;  // an item was chosen and its action sent
};
// The user chooses the item at these indices: into the top menu, then into
// each sub-menu. A path to a separator, a disabled item or an item that opens
// a sub-menu is refused as a validation error and the menu is dismissed.
void QueueMenuChoice(std::vector<long> path);
void QueueMenuDismissal();
// Every run, oldest first.
std::vector<MenuRun> MenuRuns();

// --- Typing and text fields ---

// The key a US keyboard types the character with: its key code, Shift for
// capitals and shifted symbols, and the character as both texts. Return,
// Tab, Escape and backspace come from "\r", "\t", "\x1b" and "\x7f";
// a character the keyboard lacks comes with kUnlistedKeyCode.
inline constexpr unsigned short kUnlistedKeyCode = 0xFFFF;
Key KeyForCharacter(char32_t character);
// Each character of the UTF-8 text as a key down and up to the window's
// first responder.
bool TypeText(NS::Window* window, const std::string& utf8);

enum class EditingKey { Return, Tab, Escape, Backspace, ForwardDelete, Left, Right, Up, Down, Home, End };
// As a keyboard gives it: key code, and the character (a function-key
// character for forward delete and the arrows).
Key KeyFor(EditingKey key);
// A down and up of the key to the window's first responder.
bool PressEditingKey(NS::Window* window, EditingKey key);

// Edits the field's formatter refused.
long FormatterRefusalCount(const NS::TextField* field);
// The colour the window's field editor was given (not owned by the caller);
// null when none or no editor was made. Switch "setInsertionPointColor:" off
// through SetOptionalMethodAvailable.
NS::Color* FieldEditorInsertionPointColor(NS::Window* window);

// --- Pasteboards, drags and drops, the workspace, images and cursors ---
// ResetAppKit empties both pasteboards and lets them write, forgets the last
// drag session and the workspace's log and answers, and brings back the arrow
// with no help cursor shown.

// While on, every pasteboard refuses writes: they answer false.
void SetPasteboardRefusesWrites(bool refuses);

// What a view answered to a drop.
struct DropAnswers {
  bool entered = false;  // draggingEntered was asked
  NS::DragOperation operation = NS::DragOperationNone;
  bool performed = false;  // performDragOperation was asked
  bool accepted = false;   // and answered true
};
// The user drops files (absolute paths, in order) at a point of the view: the
// dragging pasteboard holds their file URLs, and a view in a window that
// registered NSFilenamesPboardType and is an NS::DraggingDestination is asked
// draggingEntered with the point in window coordinates and, when it answers
// an operation, performDragOperation. Any other view is asked nothing.
DropAnswers DropFiles(NS::View* view, NS::Point point, const std::vector<std::string>& paths);
// The user drops text: the dragging pasteboard holds it as NSStringPboardType,
// and a view that registered that type is asked as DropFiles asks.
DropAnswers DropText(NS::View* view, NS::Point point, const std::string& utf8);

struct DraggedItem {
  std::vector<std::pair<std::string, std::string>> contents;  // (type, string) the writer holds, in order
  NS::Rect frame{};
  std::optional<NS::Size> imageSize;  // none without an image
};
struct DraggingSessionRecord {
  std::vector<DraggedItem> items;
  bool animatesToStartingPositionsOnCancelOrFail = true;
  NS::DraggingFormation formation = NS::DraggingFormationDefault;
  NS::DragOperation sourceOperationMask = NS::DragOperationNone;  // the source's answer
};
// The last session started, its settings as they are now; none since the reset.
std::optional<DraggingSessionRecord> LastDraggingSession();

struct WorkspaceCall {
  std::string method;                  // the selector: "openURL:", "openFile:", ...
  std::vector<std::string> arguments;  // URL texts and paths; "" for a null root
};
// Oldest first.
std::vector<WorkspaceCall> WorkspaceCalls();
// What a workspace method (by selector name) answers from now on; true by default.
void SetWorkspaceAnswer(const std::string& selectorName, bool answer);

// An image's pixels: premultiplied RGBA, rows top first; empty for null.
Image ImagePixels(CGImageRef image);

// A stock cursor's getter ("arrowCursor", "_helpCursor", ...); "" for a
// cursor made from an image or null.
std::string CursorName(const NS::Cursor* cursor);
// What helpCursorShown answers until _setHelpCursor: changes it; NO by default.
void SetHelpCursorShown(bool shown);
// The flag of every _setHelpCursor:, oldest first.
std::vector<bool> HelpCursorCalls();

}  // namespace standin::testing
