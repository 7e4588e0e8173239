#pragma once

// The native menu shown for a popup menu of the graphics core: built item for
// item from an IPopupMenu, sub-menus included, every choosable item sending
// its choice to one receiver. The menus and the receiver live only while the
// editor view runs the menu (IGraphicsView_vOrvane_au::createPopupMenu).
//
// The classes live inside the component library only, so two plug-ins' menus
// never meet under one name. Main thread only.

#include <AppKit/NSMenu.h>
#include <AppKit/NSMenuItem.h>
#include <AppKit/NSView.h>

#include "common/popup_menu.h"

// Keeps the item the user chose.
class IGraphicsMenuRcvr_vOrvane_au final : public NS::View {
public:
  IGraphicsMenuRcvr_vOrvane_au() = default;

  // The action of every choosable item: the sender is the chosen item (held).
  void onMenuSelection(NS::Object* sender);
  // Null until a choice; not owned by the caller.
  NS::MenuItem* menuItem() const { return mMenuItem; }

protected:
  ~IGraphicsMenuRcvr_vOrvane_au() override;

private:
  NS::MenuItem* mMenuItem = nullptr;
};

// A menu that remembers the popup menu it shows.
class IGraphicsMenu_vOrvane_au final : public NS::Menu {
public:
  using IPopupMenu = plugkit::IPopupMenu;

  IGraphicsMenu_vOrvane_au() = default;

  // One item per item of the popup: its text behind the popup's number
  // prefix, a separator, an item opening a menu built alike from the
  // sub-menu, or an item sending onMenuSelection to the receiver; titles
  // indented, disabled items greyed, checked ones ticked. Nothing enables
  // itself. The popup must outlive the menu. Answers self.
  IGraphicsMenu_vOrvane_au* initWithIPopupMenuAndReceiver(IPopupMenu& popup, IGraphicsMenuRcvr_vOrvane_au* receiver);
  // Not owned.
  IPopupMenu* iPopupMenu() const { return mIPopupMenu; }

protected:
  ~IGraphicsMenu_vOrvane_au() override = default;

private:
  IPopupMenu* mIPopupMenu = nullptr;
};
