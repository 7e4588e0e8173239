#include <AppKit/NSColorPanel.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSRef.h>
#include <standin/testing/appkit.h>

#include <utility>

#include "appkit/dialog_records.h"
#include "usage_checks.h"

namespace standin::appkit {

struct ColorPanelAccess {
  static NS::ColorPanel*& Shared() {
    static NS::ColorPanel* panel = nullptr;  // made once, then kept for the process
    return panel;
  }
  static bool& Exists() {
    static bool exists = false;
    return exists;
  }
  static NS::ColorPanel* Make() { return new NS::ColorPanel; }
  // Holds nothing until it is made anew.
  static void Forget(NS::ColorPanel& panel) {
    panel.restoreDefaults();
    if (NS::Color* color = std::exchange(panel.color_, nullptr)) color->release();
  }
};

void ResetColorPanel() {
  if (NS::ColorPanel* panel = ColorPanelAccess::Shared()) ColorPanelAccess::Forget(*panel);
  ColorPanelAccess::Exists() = false;
}

}  // namespace standin::appkit

namespace NS {

ColorPanel::ColorPanel() {
  makeImmortal();
  restoreDefaults();
}

void ColorPanel::restoreDefaults() {
  target_ = nullptr;
  action_ = SEL();
  showsAlpha_ = false;
  visible_ = false;
  const AutoreleasePool pool;
  setColor(Color::colorWithDeviceRedGreenBlueAlpha(1.0, 1.0, 1.0, 1.0));
}

ColorPanel* ColorPanel::sharedColorPanel() {
  standin::appkit::CheckMainThread();
  using standin::appkit::ColorPanelAccess;
  ColorPanel*& shared = ColorPanelAccess::Shared();
  if (shared == nullptr) {
    shared = ColorPanelAccess::Make();
  } else if (!ColorPanelAccess::Exists()) {
    shared->restoreDefaults();  // made anew after a reset
  }
  ColorPanelAccess::Exists() = true;
  return shared;
}

bool ColorPanel::sharedColorPanelExists() { return standin::appkit::ColorPanelAccess::Exists(); }

void ColorPanel::setColor(Color* color) {
  if (color == nullptr) {
    standin::appkit::CountValidationError();
    return;
  }
  color->retain();
  if (color_ != nullptr) color_->release();
  color_ = color;
}

void ColorPanel::orderFront(Object*) {
  standin::appkit::CheckMainThread();
  visible_ = true;
}

void ColorPanel::close() {
  standin::appkit::CheckMainThread();
  visible_ = false;
}

}  // namespace NS

namespace standin::testing {

bool PickColor(NS::CGFloat red, NS::CGFloat green, NS::CGFloat blue, NS::CGFloat alpha) {
  appkit::CheckMainThread();
  if (!NS::ColorPanel::sharedColorPanelExists()) return false;
  NS::ColorPanel* const panel = NS::ColorPanel::sharedColorPanel();
  if (!panel->isVisible()) return false;
  const NS::AutoreleasePool pool;
  panel->setColor(NS::Color::colorWithDeviceRedGreenBlueAlpha(red, green, blue, panel->showsAlpha() ? alpha : 1.0));
  if (panel->target() == nullptr || !panel->action()) return false;
  panel->target()->performSelectorWithObject(panel->action(), panel);
  return true;
}

}  // namespace standin::testing
