#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "common/popup_menu.h"
#include "graphics/control.h"

namespace plugkit::graphics {

// A popup menu shown inside the editor instead of the platform's menu: one
// rounded, shadowed panel per open menu level, its cells in columns or
// scrolled when the menu is taller than the area, ticks, sub-menu arrows,
// separators, optional call-out arrows pointing at the anchor, and short fades
// for opening, a sub-menu appearing, the click and closing. The graphics
// context creates and owns it and, while it is attached, opens every popup
// menu here; the choice goes to the menu's completion function, then to the
// context (IGraphics::SetPopupMenuResult).
//
// A menu handed to OpenMenu must stay alive and unchanged until the control
// is collapsed again or a new request replaces it: the panels read it until
// the fade-out ends. The context's own prompt menu and the text-entry
// control's menu live that long; when the control that asked is removed, the
// context drops the panels at once (DropMenu).
//
// Main thread only.
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

  // Where the root panel lies from its anchor, and where its call-out arrow points from.
  enum ECalloutDirection { kPanelAbove = 0, kPanelRight = 1, kPanelBelow = 2, kPanelLeft = 3 };

  static constexpr int kFadeMs = 100;
  static constexpr int kSubMenuAppearMs = 200;

  // One open level of the menu: its cells, laid out when it is made.
  class MenuPanel {
  public:
    // Lays the menu's cells out from (x, y) down, in columns, or as a
    // scroller of the rows that fit (see IPopupMenuControl's settings; with
    // scroll set, a scroller in place of columns whatever they are).
    MenuPanel(const IPopupMenuControl& control, IPopupMenu& menu, float x, float y, int parentIdx,
              bool scroll = false);

    int NCells() const { return static_cast<int>(mCellBounds.size()); }
    const IRECT* GetCell(int index) const;
    int CellIndex(const IRECT* cell) const;
    // The item a cell shows: its index plus the scroll offset; null past the items.
    IPopupMenu::Item* ItemOfCell(int cellIdx) const;
    // A shown cell under the point whose item is not disabled, or a scroll
    // arrow's cell whatever item lies under it; null when none.
    const IRECT* CellAt(float x, float y) const;
    // The first cell showing the up arrow, or the last the down arrow.
    bool IsArrowCell(int cellIdx) const;
    // From the left of the first column to the right of the last.
    float CellsWidth() const;
    // Moves the scroller by one item up (-1) or down (+1), within the items.
    void ScrollBy(int items);
    // More items than cells: arrows stand in the first and last cells.
    bool ScrollsItems() const { return mMenu->NItems() > NCells(); }
    bool HasItemsAbove() const { return ScrollsItems() && mScrollItemOffset > 0; }
    bool HasItemsBelow() const { return ScrollsItems() && mScrollItemOffset < mMenu->NItems() - NCells(); }

    IPopupMenu* mMenu;
    std::vector<IRECT> mCellBounds;  // one per visible item; never moved once laid out
    IRECT mTargetRECT;               // mRECT grown by the drop-shadow size
    IRECT mRECT;                     // the cells grown by the panel padding
    int mScrollMaxRows = 0;
    bool mShouldDraw = true;
    IBlend mBlend{0, 0.f};
    IRECT mSingleCellBounds;
    const IRECT* mHighlightedCell = nullptr;  // the cell whose sub-menu is open
    const IRECT* mClickedCell = nullptr;
    int mParentIdx;
    bool mScroller = false;
    int mScrollItemOffset = 0;

  private:
    // One column of the rows that fit, from the top of the expanded area.
    void LayOutScroller(const IPopupMenuControl& control, float x);
  };

  // Starts hidden and collapsed. Expanded bounds of zero width mean the whole editor.
  IPopupMenuControl(int paramIdx = kNoParameter, const IText& text = kDefaultText,
                    const IRECT& collapsedBounds = IRECT(), const IRECT& expandedBounds = IRECT());
  ~IPopupMenuControl() override;

  // While open: the cell under the point is chosen, then the menu closes.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseWheel(float, float, const IMouseMod&, float) override {}
  // Highlights the cell under the point, opens or closes sub-menus, and
  // scrolls a scroller by one item over its first or last cell.
  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;
  void Draw(IGraphics& g) override;
  // Chains the states: expanding or a sub-menu appearing to expanded,
  // flickering to collapsing to idling to collapsed.
  void OnEndAnimation() override;

  // Shows the menu beside, above or below the anchor inside the expanded
  // area and fades it in. A menu still open or fading is dropped first
  // without an answer: the context has already replaced its request.
  void OpenMenu(IPopupMenu& menu, const IRECT& anchorArea);
  // Chooses the item under the mouse cell (only a plain item: no separator,
  // title, disabled item or sub-menu), closes, and delivers the menu of the
  // active panel (the root menu, with nothing chosen, when no panel is
  // active): to its completion function, then to the context. The control is
  // closed before the answer goes out, so that a handler may open the next
  // menu here or remove this control. Nothing without a menu.
  virtual void CollapseEverything();
  // Drops every panel at once and collapses without delivering anything.
  void DropMenu();

  // Drawing slots, one per element, so that a subclass can restyle one.
  virtual void DrawCalloutArrow(IGraphics& g, const IRECT& bounds, const IBlend* blend);
  virtual void DrawSubMenuCalloutArrow(IGraphics& g, const IRECT& bounds, const IBlend* blend);
  virtual void DrawPanelBackground(IGraphics& g, const IRECT& bounds, const IBlend* blend);
  virtual void DrawPanelShadow(IGraphics& g, const IRECT& bounds, const IBlend* blend);
  virtual void DrawCellBackground(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item, bool sel,
                                  const IBlend* blend);
  virtual void DrawCellText(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item, bool sel,
                            const IBlend* blend);
  virtual void DrawTick(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item, bool sel,
                        const IBlend* blend);
  virtual void DrawSubMenuArrow(IGraphics& g, const IRECT& bounds, const IPopupMenu::Item* item, bool sel,
                                const IBlend* blend);
  virtual void DrawUpArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend);
  virtual void DrawDownArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend);
  virtual void DrawSeparator(IGraphics& g, const IRECT& bounds, const IBlend* blend);

  // Settings, read when a menu opens.
  void SetCallout(bool callout) { mCallOut = callout; }
  // Items in one column before the next starts; 0 for no limit.
  void SetMaxColumnItems(int items) { mMaxColumnItems = items; }
  // A menu taller than the area scrolls instead of taking more columns.
  void SetScrollIfTooBig(bool scroll) { mScrollIfTooBig = scroll; }
  void SetPreferBelowAnchor(bool preferBelow) { mPreferBelowAnchor = preferBelow; }

  EPopupState GetState() const { return mState; }
  // From opening until a close hides it: expanding, expanded or a sub-menu
  // appearing. The context gives it the pointer then.
  bool IsOpen() const { return mState == kExpanding || mState == kExpanded || mState == kSubMenuAppearing; }
  IPopupMenu* GetMenu() const { return mMenu; }
  const IRECT& GetSpecifiedExpandedBounds() const { return mSpecifiedExpandedBounds; }
  int NPanels() const { return static_cast<int>(mMenuPanels.size()); }
  const MenuPanel* GetPanel(int index) const;
  ECalloutDirection GetCalloutArrowDirection() const { return mCalloutArrowDir; }
  bool SubMenusOpenToTheRight() const { return mSubMenuOpensRight; }

private:
  // The largest cell of the menu at the origin: the union of every item's
  // measured text, widened by the text padding, tick and arrow columns.
  IRECT CellSize(const IPopupMenu& menu) const;
  // The panel's cells without the padding: a column of every item.
  void PanelExtent(const IPopupMenu& menu, float& width, float& height) const;
  // Places the root panel, then fades it in.
  void Expand(const IRECT& anchorArea);
  // Where a panel of that extent goes: (x, y) inside the expanded area.
  using PlaceFunc = std::function<void(float width, float height, float& x, float& y)>;
  // A panel of the menu placed by its extent: that of all its columns, or
  // as a scroller when the columns are wider than the area holds.
  std::unique_ptr<MenuPanel> MakePanel(IPopupMenu& menu, int parentIdx, const PlaceFunc& place) const;
  // Beside the anchor, above or below it, or centred below it.
  void PlaceRootPanel(float width, float height, float& x, float& y);
  // The call-out arrow's square between the anchor and the panel on that side.
  void AimCallout(ECalloutDirection panelSide);
  bool FitsArea(float width, float height, float x, float y) const;
  // Whether some x keeps a panel that wide inside the area (see ClampIntoArea).
  bool FitsAcross(float width) const;
  void ClampIntoArea(float width, float height, float& x, float& y) const;
  // Opens the sub-menu of the item under the mouse cell, or closes those
  // below the active panel.
  void CheckSubMenu();
  void ShowSubMenu(IPopupMenu& subMenu, bool highlight);
  void HideSubPanelsOf(const MenuPanel* panel);
  bool DescendsFrom(const MenuPanel& panel, const MenuPanel* ancestor) const;
  int PanelIndex(const MenuPanel* panel) const;
  // The control covers every panel made since opening, so that a closed
  // sub-menu's area is redrawn.
  void CoverPanels();
  void SetPanelWeights(float weight);
  void DrawPanel(IGraphics& g, MenuPanel& panel);
  // The fade of the current state, started by every MarkDirty(true).
  void StartFade();
  void AnimationStep();
  void DeletePanels();

  std::vector<std::unique_ptr<MenuPanel>> mMenuPanels;
  MenuPanel* mActivePanel = nullptr;
  MenuPanel* mAppearingPanel = nullptr;
  EPopupState mState = kCollapsed;
  const IRECT* mMouseCellBounds = nullptr;
  IPopupMenu* mMenu = nullptr;
  int mMaxColumnItems = 0;
  bool mScrollIfTooBig = true;
  bool mCallOut = false;
  bool mMenuHasSubMenu = false;
  bool mPreferBelowAnchor = true;
  bool mSubMenuOpensRight = true;
  bool mSubMenuOpened = false;
  float mCellGap = 2.f;
  float mSeparatorSize = 2.f;
  float mRoundness = 5.f;
  float mDropShadowSize = 10.f;
  float mOpacity = 0.95f;
  float mSubMenuHorizontalOffset = 0.f;
  float mTextPadding = 5.f;
  float mTickWidth = 10.f;
  float mArrowWidth = 8.f;
  float mPanelPadding = 5.f;
  float mCalloutArrowSize = 8.f;
  IRECT mAnchorArea;
  ECalloutDirection mCalloutArrowDir = kPanelRight;
  IRECT mCalloutArrowBounds;
  IRECT mSubMenuCalloutArrowBounds;
  IRECT mExpandedBounds;
  IColor mPanelBackgroundColor = kColorWhite;
  IColor mCellBackgroundColor = kColorBlue;
  IColor mItemHighlightColor = kColorWhite;
  IColor mItemColor = kColorBlack;
  IColor mDisabledItemColor = kColorGrey;
  IColor mSeparatorColor = kColorMidGrey;
  IRECT mSpecifiedCollapsedBounds;
  IRECT mSpecifiedExpandedBounds;
};

}  // namespace plugkit::graphics
