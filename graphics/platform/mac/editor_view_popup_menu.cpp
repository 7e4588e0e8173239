// The editor view's native popup menus.

#include <Foundation/NSAutoreleasePool.h>

#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/platform_menu.h"

namespace {

// Between the bottom of the control and a menu opening below it, in points.
constexpr NS::CGFloat kMenuGapBelowControl = 4.0;

}  // namespace

plugkit::IPopupMenu* IGraphicsView_vOrvane_au::createPopupMenu(plugkit::IPopupMenu& menu, const NS::Rect& bounds) {
  const NS::AutoreleasePool pool;
  auto* receiver = static_cast<IGraphicsMenuRcvr_vOrvane_au*>((new IGraphicsMenuRcvr_vOrvane_au)->initWithFrame(bounds));
  receiver->autorelease();
  auto* nsMenu = (new IGraphicsMenu_vOrvane_au)->initWithIPopupMenuAndReceiver(menu, receiver);
  nsMenu->autorelease();

  // The current choice opens over the control; an index naming no item counts as none.
  const int chosen = menu.GetChosenItemIdx();
  NS::MenuItem* positioningItem = chosen >= 0 && chosen < nsMenu->numberOfItems() ? nsMenu->itemAtIndex(chosen) : nullptr;
  const NS::Point location = positioningItem
                                 ? bounds.origin
                                 : NS::Point{bounds.origin.x, bounds.origin.y + bounds.size.height + kMenuGapBelowControl};
  nsMenu->popUpMenuPositioningItemAtLocationInView(positioningItem, location, this);

  NS::MenuItem* item = receiver->menuItem();
  auto* holder = item ? dynamic_cast<IGraphicsMenu_vOrvane_au*>(item->menu()) : nullptr;
  plugkit::IPopupMenu* popup = holder ? holder->iPopupMenu() : nullptr;
  const NS::Integer index = holder ? holder->indexOfItem(item) : -1;
  if (index < 0 || !popup) return nullptr;
  popup->SetChosenItemIdx(static_cast<int>(index));
  return popup;
}
