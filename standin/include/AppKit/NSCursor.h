#pragma once

// Cursors: the stock ones, the platform's optional class methods reached by
// name, and cursors made from an image. Main thread only.

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

#include <string>

namespace standin::appkit {
struct CursorControl;
}

namespace NS {

class Image;

class NS_CLASS_EXPORT Cursor : public Object {
public:
  Cursor() = default;

  // Keeps a reference to the image; the hot spot is in the image's points,
  // from its top left.
  Cursor* initWithImageHotSpot(Image* image, Point hotSpot);
  // Not owned by the caller; null for a stock cursor.
  Image* image() const { return image_; }
  Point hotSpot() const { return hotSpot_; }

  // Makes this the current cursor.
  void set();
  // Not owned by the caller; the arrow until another cursor is set.
  static Cursor* currentCursor();

  // Shared stock cursors (not owned by the caller).
  static Cursor* arrowCursor();
  static Cursor* IBeamCursor();
  static Cursor* crosshairCursor();
  static Cursor* resizeUpCursor();
  static Cursor* resizeLeftRightCursor();
  static Cursor* resizeUpDownCursor();
  static Cursor* operationNotAllowedCursor();
  static Cursor* pointingHandCursor();

  // The class's own answer to respondsToSelector, by name: the stock getters
  // above, and the optional class methods "busyButClickableCursor",
  // "_windowResizeNorthCursor", "_windowResizeNorthWestSouthEastCursor",
  // "_windowResizeNorthEastSouthWestCursor", "_windowResizeEastWestCursor",
  // "_windowResizeNorthSouthCursor", "_helpCursor", "helpCursorShown" and
  // "_setHelpCursor:" unless a test switched them off.
  static bool classRespondsToSelector(const SEL& selector);
  // Sends a class method by name: a cursor getter answers its cursor;
  // "helpCursorShown" answers non-null for YES (the help cursor) and null for
  // NO. A selector the class does not respond to, or one that takes an
  // argument, answers null and counts a validation error (the platform raises).
  static Object* classPerformSelector(const SEL& selector);
  // "_setHelpCursor:" with a flag (null is NO) shows or hides the help cursor;
  // anything else answers as classPerformSelector does.
  static Object* classPerformSelectorWithObject(const SEL& selector, Object* argument);

protected:
  ~Cursor() override;

private:
  friend struct standin::appkit::CursorControl;

  Image* image_ = nullptr;
  Point hotSpot_{};
  std::string name_;  // a stock cursor's getter
};

}  // namespace NS
