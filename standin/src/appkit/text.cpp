#include <AppKit/NSColor.h>
#include <AppKit/NSText.h>

#include <cstring>

#include "appkit/field_editing.h"
#include "cf_string.h"
#include "usage_checks.h"

namespace NS {
namespace {

constexpr const char* kSetInsertionPointColor = "setInsertionPointColor:";

}  // namespace

Text::Text() : string_(standin::cf::MakeString("")) {}

Text::~Text() {
  standin::appkit::FieldEditing::Detach(*this);
  CFRelease(string_);
  if (insertionPointColor_ != nullptr) insertionPointColor_->release();
}

Range Text::selectedRange() const { return standin::appkit::FieldEditing::SelectedUnits(*this); }

void Text::setSelectedRange(Range range) { standin::appkit::FieldEditing::Select(*this, range); }

bool Text::respondsToSelector(const SEL& selector) const {
  if (std::strcmp(selector.name(), kSetInsertionPointColor) == 0) {
    return standin::appkit::OptionalMethodAvailable(kSetInsertionPointColor);
  }
  return View::respondsToSelector(selector);
}

void Text::setInsertionPointColor(Color* color) {
  standin::appkit::CheckMainThread();
  if (!standin::appkit::OptionalMethodAvailable(kSetInsertionPointColor)) {
    standin::appkit::CountValidationError();
    return;
  }
  if (color != nullptr) color->retain();
  if (insertionPointColor_ != nullptr) insertionPointColor_->release();
  insertionPointColor_ = color;
}

}  // namespace NS
