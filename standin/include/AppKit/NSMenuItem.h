#pragma once

// One entry of a menu: a title with a target and action, a separator, or the
// entry that opens a sub-menu. A menu holds a reference to each of its items,
// an item to its sub-menu. Main thread only.

#include <CoreFoundation/CFString.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

namespace NS {

class Menu;

typedef Integer ControlStateValue;
enum : ControlStateValue {
  ControlStateValueMixed = -1,
  ControlStateValueOff = 0,
  ControlStateValueOn = 1,
};

class NS_CLASS_EXPORT MenuItem : public Object {
public:
  // Autoreleased: a fresh separator.
  static MenuItem* separatorItem();

  MenuItem() = default;
  // Null texts count as "". Answers self.
  MenuItem* initWithTitleActionKeyEquivalent(CFStringRef title, const SEL& action, CFStringRef keyEquivalent);

  bool isSeparatorItem() const { return separator_; }
  // Not owned by the caller.
  CFStringRef title() const { return title_; }
  CFStringRef keyEquivalent() const { return keyEquivalent_; }

  // Not retained.
  void setTarget(Object* target) { target_ = target; }
  Object* target() const { return target_; }
  void setAction(const SEL& action) { action_ = action; }
  const SEL& action() const { return action_; }

  // 0 to 15; other values are clamped.
  void setIndentationLevel(Integer level);
  Integer indentationLevel() const { return indentation_; }
  // On by default. A menu that enables its items automatically decides for itself.
  void setEnabled(bool enabled) { enabled_ = enabled; }
  bool isEnabled() const { return enabled_; }
  void setState(ControlStateValue state) { state_ = state; }
  ControlStateValue state() const { return state_; }

  // Holds a reference to the sub-menu; null detaches it. A menu that already
  // opens from another item is refused.
  void setSubmenu(Menu* submenu);
  // Not owned by the caller.
  Menu* submenu() const { return submenu_; }
  bool hasSubmenu() const { return submenu_ != nullptr; }
  // The menu that holds the item (not owned by the caller); null outside one.
  Menu* menu() const { return menu_; }

protected:
  ~MenuItem() override;

private:
  friend class Menu;

  CFStringRef title_ = nullptr;
  CFStringRef keyEquivalent_ = nullptr;
  bool separator_ = false;
  Object* target_ = nullptr;
  SEL action_;
  Integer indentation_ = 0;
  bool enabled_ = true;
  ControlStateValue state_ = ControlStateValueOff;
  Menu* submenu_ = nullptr;
  Menu* menu_ = nullptr;
};

}  // namespace NS
