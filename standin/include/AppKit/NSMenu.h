#pragma once

// Menus that pop up over a view. There is no screen to show one on: a run is
// described to the testing responder, which has its answer queued beforehand
// (standin/testing/appkit.h). Main thread only.

#include <AppKit/NSMenuItem.h>
#include <Foundation/NSGeometry.h>

#include <vector>

namespace standin::appkit {
struct MenuRunner;
}

namespace NS {

class View;

class NS_CLASS_EXPORT Menu : public Object {
public:
  Menu() = default;
  // A null title counts as "". Answers self.
  Menu* initWithTitle(CFStringRef title);

  // Not owned by the caller.
  CFStringRef title() const { return title_; }

  // On by default: an item is then enabled when it opens a sub-menu or its
  // target responds to its action, whatever its own flag says.
  void setAutoenablesItems(bool autoenables) { autoenablesItems_ = autoenables; }
  bool autoenablesItems() const { return autoenablesItems_; }

  // The menu holds a reference to the item; an item that is already in a menu
  // is refused (a validation error), as the platform raises.
  void addItem(MenuItem* item);
  // Answers the new item, which the menu holds (not owned by the caller).
  MenuItem* addItemWithTitleActionKeyEquivalent(CFStringRef title, const SEL& action, CFStringRef keyEquivalent);
  // The item's setSubmenu.
  void setSubmenuForItem(Menu* submenu, MenuItem* item);

  Integer numberOfItems() const { return static_cast<Integer>(items_.size()); }
  // Not owned by the caller. Null for an index outside the items, counted as
  // a validation error (the platform raises).
  MenuItem* itemAtIndex(Integer index) const;
  // -1 when the item is not in this menu.
  Integer indexOfItem(const MenuItem* item) const;
  // Not owned by the caller.
  const std::vector<MenuItem*>& itemArray() const { return items_; }

  // Shows the menu with the positioning item (null: none) at the location in
  // the view's coordinates (screen coordinates for a null view) and returns
  // when it has closed. A chosen item's action goes to its target with the
  // item as sender before the call answers true; a dismissal sends nothing and
  // answers false.
  bool popUpMenuPositioningItemAtLocationInView(MenuItem* item, Point location, View* view);

protected:
  ~Menu() override;

private:
  friend class MenuItem;
  friend struct standin::appkit::MenuRunner;

  CFStringRef title_ = nullptr;
  bool autoenablesItems_ = true;
  std::vector<MenuItem*> items_;
  MenuItem* supermenuItem_ = nullptr;  // the item it opens from
};

}  // namespace NS
