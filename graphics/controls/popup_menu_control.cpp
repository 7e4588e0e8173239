#include "graphics/controls/popup_menu_control.h"

#include <utility>

#include "common/popup_menu.h"
#include "graphics/graphics_context.h"

namespace plugkit::graphics {

IPopupMenuControl::IPopupMenuControl(int paramIdx, const IText& text, const IRECT& collapsedBounds,
                                     const IRECT& expandedBounds)
    : IControl(collapsedBounds, paramIdx), mSpecifiedExpandedBounds(expandedBounds) {
  SetText(text);
  Hide(true);
}

void IPopupMenuControl::OpenMenu(IPopupMenu& menu, const IRECT& /*anchorArea*/) {
  if (mState != kCollapsed) return;
  mMenu = &menu;
  mState = kExpanded;
  Hide(false);
}

// Closed before the result goes out, so that the handler may open the next
// menu here or remove this control.
void IPopupMenuControl::CollapseEverything() {
  IPopupMenu* menu = std::exchange(mMenu, nullptr);
  if (!menu) return;
  mState = kCollapsed;
  Hide(true);
  IGraphics* ui = GetUI();
  if (const IPopupMenu::CompletionFunc completion = menu->GetFunction()) completion(menu);
  if (ui) ui->SetPopupMenuResult(menu);
}

}  // namespace plugkit::graphics
