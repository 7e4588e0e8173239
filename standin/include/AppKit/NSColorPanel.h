#pragma once

// The process's colour picker. Without a display the testing API picks the
// colours (standin/testing/appkit.h). Main thread only.

#include <AppKit/NSColor.h>
#include <Foundation/NSObject.h>

namespace standin::appkit {
struct ColorPanelAccess;
}

namespace NS {

class NS_CLASS_EXPORT ColorPanel : public Object {
public:
  // Made on first use, opaque white and closed. Shared; not owned by the caller.
  static ColorPanel* sharedColorPanel();
  static bool sharedColorPanelExists();

  // Each picked colour sends the action to the target with the panel as
  // sender. The target is not retained.
  void setTarget(Object* target) { target_ = target; }
  Object* target() const { return target_; }
  void setAction(const SEL& action) { action_ = action; }
  SEL action() const { return action_; }
  // Off by default: picked colours are then opaque.
  void setShowsAlpha(bool shows) { showsAlpha_ = shows; }
  bool showsAlpha() const { return showsAlpha_; }
  // Retained; null is refused. Sends no action.
  void setColor(Color* color);
  // Not owned by the caller.
  Color* color() const { return color_; }

  void orderFront(Object* sender);
  void close();
  bool isVisible() const { return visible_; }

protected:
  ~ColorPanel() override = default;

private:
  friend struct standin::appkit::ColorPanelAccess;
  ColorPanel();
  // As made: white, closed, no target or action.
  void restoreDefaults();

  Object* target_ = nullptr;
  SEL action_;
  bool showsAlpha_ = false;
  Color* color_ = nullptr;
  bool visible_ = false;
};

}  // namespace NS
