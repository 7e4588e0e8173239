#pragma once

#include "graphics/control.h"

namespace plugkit::graphics {

// A popup menu shown inside the editor instead of the platform's menu. The
// graphics context creates and owns it and, while it is attached, opens every
// popup menu here; the choice goes back to the menu's completion function and
// to the context (IGraphics::SetPopupMenuResult). Main thread only.
class IPopupMenuControl : public IControl {
public:
  enum EPopupState {
    kCollapsed = 0,
    kExpanding = 1,
    kExpanded = 2,
    kCollapsing = 3,
    kFlickering = 4,
    kSubMenuAppearing = 5,
    kIdling = 6
  };

  // Starts hidden and collapsed. Expanded bounds of zero width mean the whole editor.
  IPopupMenuControl(int paramIdx, const IText& text, const IRECT& collapsedBounds, const IRECT& expandedBounds);

  void Draw(IGraphics&) override {}

  // Shows the menu next to the anchor (where, and how it looks, is not
  // decided yet); ignored unless collapsed. The menu stays the caller's and
  // must live until the result is delivered.
  void OpenMenu(IPopupMenu& menu, const IRECT& anchorArea);
  // Closes the menu and delivers it with its chosen index as it stands: to
  // its completion function, then to the context. Nothing without an open menu.
  virtual void CollapseEverything();

  EPopupState GetState() const { return mState; }
  IPopupMenu* GetMenu() const { return mMenu; }
  const IRECT& GetSpecifiedExpandedBounds() const { return mSpecifiedExpandedBounds; }

private:
  IPopupMenu* mMenu = nullptr;
  EPopupState mState = kCollapsed;
  IRECT mSpecifiedExpandedBounds;
};

}  // namespace plugkit::graphics
