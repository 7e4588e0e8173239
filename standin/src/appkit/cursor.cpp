// Cursors: the stock set, the optional class methods reached by name, and the current cursor.

#include <AppKit/NSCursor.h>
#include <AppKit/NSImage.h>
#include <Foundation/NSRef.h>

#include <standin/testing/appkit.h>

#include <algorithm>
#include <array>
#include <map>
#include <string_view>

#include "appkit/exchange_resets.h"
#include "usage_checks.h"

namespace standin::appkit {
namespace {

constexpr std::array<std::string_view, 8> kStockGetters = {
    "arrowCursor",         "IBeamCursor",           "crosshairCursor",           "resizeUpCursor",
    "resizeLeftRightCursor", "resizeUpDownCursor", "operationNotAllowedCursor", "pointingHandCursor"};
// The class methods the platform may not have; a test switches them off.
constexpr std::array<std::string_view, 7> kOptionalGetters = {
    "busyButClickableCursor",
    "_windowResizeNorthCursor",
    "_windowResizeNorthWestSouthEastCursor",
    "_windowResizeNorthEastSouthWestCursor",
    "_windowResizeEastWestCursor",
    "_windowResizeNorthSouthCursor",
    "_helpCursor"};
constexpr std::string_view kHelpCursorShown = "helpCursorShown";
constexpr std::string_view kSetHelpCursor = "_setHelpCursor:";
constexpr std::string_view kHelpCursor = "_helpCursor";

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsOptional(std::string_view name) {
  return Contains(kOptionalGetters, name) || name == kHelpCursorShown || name == kSetHelpCursor;
}

struct CursorState {
  NS::Ref<NS::Cursor> current;  // null: the arrow
  bool helpShown = false;
  std::vector<bool> helpCalls;
};

CursorState& Cursors() {
  static auto* const state = new CursorState;  // outlives static destructors
  return *state;
}

}  // namespace

struct CursorControl {
  // The shared cursor a getter answers, made once and kept for the process.
  static NS::Cursor* Stock(std::string_view name) {
    static auto* const cursors = new std::map<std::string, NS::Cursor*, std::less<>>;
    const auto found = cursors->find(name);
    if (found != cursors->end()) return found->second;
    auto* cursor = new NS::Cursor;
    cursor->name_ = name;
    cursor->makeImmortal();
    cursors->emplace(std::string(name), cursor);
    return cursor;
  }
  static const std::string& Name(const NS::Cursor& cursor) { return cursor.name_; }
};

void ResetCursors() { Cursors() = CursorState{}; }

}  // namespace standin::appkit

namespace NS {

using standin::appkit::CursorControl;

Cursor* Cursor::initWithImageHotSpot(Image* image, Point hotSpot) {
  if (image != nullptr) image->retain();
  if (image_ != nullptr) image_->release();
  image_ = image;
  hotSpot_ = hotSpot;
  return this;
}

Cursor::~Cursor() {
  if (image_ != nullptr) image_->release();
}

void Cursor::set() {
  standin::appkit::CheckMainThread();
  standin::appkit::Cursors().current = Ref<Cursor>::Retain(this);
}

Cursor* Cursor::currentCursor() {
  const Ref<Cursor>& current = standin::appkit::Cursors().current;
  return current ? current.get() : arrowCursor();
}

Cursor* Cursor::arrowCursor() { return CursorControl::Stock("arrowCursor"); }
Cursor* Cursor::IBeamCursor() { return CursorControl::Stock("IBeamCursor"); }
Cursor* Cursor::crosshairCursor() { return CursorControl::Stock("crosshairCursor"); }
Cursor* Cursor::resizeUpCursor() { return CursorControl::Stock("resizeUpCursor"); }
Cursor* Cursor::resizeLeftRightCursor() { return CursorControl::Stock("resizeLeftRightCursor"); }
Cursor* Cursor::resizeUpDownCursor() { return CursorControl::Stock("resizeUpDownCursor"); }
Cursor* Cursor::operationNotAllowedCursor() { return CursorControl::Stock("operationNotAllowedCursor"); }
Cursor* Cursor::pointingHandCursor() { return CursorControl::Stock("pointingHandCursor"); }

bool Cursor::classRespondsToSelector(const SEL& selector) {
  const std::string_view name = selector.name();
  if (standin::appkit::Contains(standin::appkit::kStockGetters, name)) return true;
  return standin::appkit::IsOptional(name) && standin::appkit::OptionalMethodAvailable(name);
}

Object* Cursor::classPerformSelector(const SEL& selector) {
  using namespace standin::appkit;
  standin::appkit::CheckMainThread();
  const std::string_view name = selector.name();
  if (!classRespondsToSelector(selector) || name == kSetHelpCursor) {
    CountValidationError();
    return nullptr;
  }
  if (name == kHelpCursorShown) return Cursors().helpShown ? CursorControl::Stock(kHelpCursor) : nullptr;
  return CursorControl::Stock(name);
}

Object* Cursor::classPerformSelectorWithObject(const SEL& selector, Object* argument) {
  using namespace standin::appkit;
  if (std::string_view(selector.name()) != kSetHelpCursor) return classPerformSelector(selector);
  standin::appkit::CheckMainThread();
  if (!classRespondsToSelector(selector)) {
    CountValidationError();
    return nullptr;
  }
  CursorState& state = Cursors();
  state.helpShown = argument != nullptr;
  state.helpCalls.push_back(state.helpShown);
  return nullptr;
}

}  // namespace NS

namespace standin::testing {

std::string CursorName(const NS::Cursor* cursor) {
  return cursor != nullptr ? appkit::CursorControl::Name(*cursor) : std::string();
}

void SetHelpCursorShown(bool shown) { appkit::Cursors().helpShown = shown; }

std::vector<bool> HelpCursorCalls() { return appkit::Cursors().helpCalls; }

}  // namespace standin::testing
