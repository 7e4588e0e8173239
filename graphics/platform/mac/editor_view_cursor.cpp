// The cursors the editor view shows for the graphics core's cursor kinds.

#include <AppKit/NSCursor.h>

#include <iterator>
#include <utility>

#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/move_cursor.h"

namespace {

using StockCursor = NS::Cursor* (*)();

// Where a kind's cursor comes from: a class method the system may lack,
// tried first, then a stock cursor; neither leaves the arrow.
struct CursorSource {
  const char* optionalGetter;
  StockCursor stock;
};

constexpr int kMoveCursorKind = 9;
constexpr int kHelpCursorKind = 13;

constexpr CursorSource kCursorSources[] = {
    {nullptr, &NS::Cursor::arrowCursor},
    {nullptr, &NS::Cursor::IBeamCursor},
    {"busyButClickableCursor", nullptr},  // wait
    {nullptr, &NS::Cursor::crosshairCursor},
    {"_windowResizeNorthCursor", &NS::Cursor::resizeUpCursor},
    {"_windowResizeNorthWestSouthEastCursor", nullptr},
    {"_windowResizeNorthEastSouthWestCursor", nullptr},
    {"_windowResizeEastWestCursor", &NS::Cursor::resizeLeftRightCursor},
    {"_windowResizeNorthSouthCursor", &NS::Cursor::resizeUpDownCursor},
    {nullptr, nullptr},  // the move cursor, made from the system's files
    {nullptr, &NS::Cursor::operationNotAllowedCursor},
    {nullptr, &NS::Cursor::pointingHandCursor},
    {"busyButClickableCursor", nullptr},  // starting
    {"_helpCursor", nullptr},
};

bool ClassResponds(const char* selector) { return NS::Cursor::classRespondsToSelector(NS::SEL(selector)); }

NS::Cursor* OptionalCursor(const char* getter) {
  if (!ClassResponds(getter)) return nullptr;
  return dynamic_cast<NS::Cursor*>(NS::Cursor::classPerformSelector(NS::SEL(getter)));
}

NS::Cursor* CursorOfKind(int kind) {
  if (kind < 0 || kind >= static_cast<int>(std::size(kCursorSources))) return nullptr;
  const CursorSource& source = kCursorSources[kind];
  NS::Cursor* cursor = source.optionalGetter ? OptionalCursor(source.optionalGetter) : nullptr;
  return cursor || !source.stock ? cursor : source.stock();
}

// Help mode, once on, keeps the help cursor over any other.
void LeaveHelpMode() {
  if (!ClassResponds("helpCursorShown") || !NS::Cursor::classPerformSelector(NS::SEL("helpCursorShown"))) return;
  if (ClassResponds("_setHelpCursor:")) NS::Cursor::classPerformSelectorWithObject(NS::SEL("_setHelpCursor:"), nullptr);
}

}  // namespace

void IGraphicsView_vOrvane_au::setMouseCursor(int kind) {
  NS::Cursor* cursor = kind == kMoveCursorKind ? moveCursor() : CursorOfKind(kind);
  if (kind != kHelpCursorKind) LeaveHelpMode();
  (cursor ? cursor : NS::Cursor::arrowCursor())->set();
}

NS::Cursor* IGraphicsView_vOrvane_au::moveCursor() {
  if (!mMoveCursor && !std::exchange(mMoveCursorTried, true)) mMoveCursor = plugkit::graphics::MakeMoveCursor();
  return mMoveCursor;
}
