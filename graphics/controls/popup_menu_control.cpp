#include "graphics/controls/popup_menu_control.h"

#include <algorithm>

#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {

using Item = IPopupMenu::Item;

constexpr float kShadowDrop = 2.f;
constexpr float kShadowBlur = 10.f;
constexpr float kTickRoundness = 2.f;
constexpr float kScrollArrowFraction = 0.6f;  // of the cell height, base and height alike
constexpr float kSeparatorMinWeight = 0.9f;   // a separator shows only near full opacity
constexpr double kSubMenuShowsAfter = 0.9;    // of its appearing time

bool HasFlag(const Item& item, int flag) { return (item.GetFlags() & flag) != 0; }

bool IsSeparator(const Item* item) { return item && HasFlag(*item, Item::kSeparator); }

// Only such an item can be chosen.
bool IsPlain(const Item& item) {
  return !HasFlag(item, Item::kSeparator | Item::kTitle | Item::kDisabled) && !item.GetSubmenu();
}

float MidX(const IRECT& r) { return (r.L + r.R) / 2.f; }
float MidY(const IRECT& r) { return (r.T + r.B) / 2.f; }

// A triangle filling the square bounds, its base on the panel's side and its
// tip at the middle of the side it points to.
void FillArrowTriangle(IGraphics& g, const IColor& color, const IRECT& bounds,
                       IPopupMenuControl::ECalloutDirection panelSide, const IBlend* blend) {
  const float half = bounds.H() / 2.f;
  const float cx = MidX(bounds);
  const float cy = MidY(bounds);
  switch (panelSide) {
    case IPopupMenuControl::kPanelAbove:
      g.FillTriangle(color, cx - half, cy - half, cx + half, cy - half, cx, cy + half, blend);
      break;
    case IPopupMenuControl::kPanelRight:
      g.FillTriangle(color, cx + half, cy + half, cx + half, cy - half, cx - half, cy, blend);
      break;
    case IPopupMenuControl::kPanelBelow:
      g.FillTriangle(color, cx - half, cy + half, cx + half, cy + half, cx, cy - half, blend);
      break;
    case IPopupMenuControl::kPanelLeft:
      g.FillTriangle(color, cx - half, cy + half, cx - half, cy - half, cx + half, cy, blend);
      break;
  }
}

// An empty range (the panel larger than the area) puts it at the low end.
float ClampOrLow(float value, float lo, float hi) { return hi < lo ? lo : std::clamp(value, lo, hi); }

}  // namespace

// Panels --------------------------------------------------------------------------

IPopupMenuControl::MenuPanel::MenuPanel(const IPopupMenuControl& control, IPopupMenu& menu, float x, float y,
                                        int parentIdx, bool scroll)
    : mMenu(&menu), mSingleCellBounds(control.CellSize(menu)), mParentIdx(parentIdx) {
  const float pad = control.mPanelPadding;
  const float cellW = mSingleCellBounds.W();
  const float top = y + pad;
  float left = x + pad;
  float cellTop = top;
  for (int i = 0; i < menu.NItems(); ++i) {
    const float h = IsSeparator(menu.GetItem(i)) ? control.mSeparatorSize : mSingleCellBounds.H();
    const bool columnFull = control.mMaxColumnItems > 0 && i > 0 && i % control.mMaxColumnItems == 0;
    const bool areaFull = cellTop + h + pad > control.mExpandedBounds.B;
    if (columnFull || areaFull) {
      if (control.mScrollIfTooBig || scroll) {
        LayOutScroller(control, x);
        break;
      }
      // An empty column would not help.
      if (cellTop > top) {
        left += cellW + control.mCellGap;
        cellTop = top;
      }
    }
    mCellBounds.emplace_back(left, cellTop, left + cellW, cellTop + h);
    cellTop += h + control.mCellGap;
  }

  const float shadow = control.mDropShadowSize;
  if (control.mSpecifiedExpandedBounds.W() != 0.f) {
    mRECT = control.mSpecifiedExpandedBounds.GetGrown(pad);
    mTargetRECT = control.mSpecifiedExpandedBounds.GetGrown(pad + shadow);
    return;
  }
  IRECT cells = mCellBounds.empty() ? IRECT(x + pad, y + pad, x + pad + cellW, y + pad) : mCellBounds.front();
  for (const IRECT& cell : mCellBounds)
    cells = IRECT(std::min(cells.L, cell.L), std::min(cells.T, cell.T), std::max(cells.R, cell.R),
                  std::max(cells.B, cell.B));
  mRECT = cells.GetGrown(pad);
  mTargetRECT = mRECT.GetGrown(shadow);
}

// At least one row, however small the area, and no more rows than items.
// Every row is an item's height, separators' too, so that the arrows keep
// their cells while the items scroll through.
void IPopupMenuControl::MenuPanel::LayOutScroller(const IPopupMenuControl& control, float x) {
  const IRECT& area = control.mExpandedBounds;
  const float pad = control.mPanelPadding;
  const float firstTop = area.T + control.mDropShadowSize + pad;
  const float rowHeight = mSingleCellBounds.H() + control.mCellGap;
  const int nItems = mMenu->NItems();
  const int fitting = rowHeight > 0.f ? static_cast<int>((area.B - pad - firstTop) / rowHeight) : nItems;
  mScrollMaxRows = std::clamp(fitting, 1, nItems);
  mScroller = true;
  mCellBounds.clear();
  const float left = x + pad;
  float cellTop = firstTop;
  for (int i = 0; i < mScrollMaxRows; ++i) {
    mCellBounds.emplace_back(left, cellTop, left + mSingleCellBounds.W(), cellTop + mSingleCellBounds.H());
    cellTop += rowHeight;
  }
}

const IRECT* IPopupMenuControl::MenuPanel::GetCell(int index) const {
  return index >= 0 && index < NCells() ? &mCellBounds[static_cast<size_t>(index)] : nullptr;
}

int IPopupMenuControl::MenuPanel::CellIndex(const IRECT* cell) const {
  for (int i = 0; i < NCells(); ++i)
    if (GetCell(i) == cell) return i;
  return -1;
}

// The menu may have changed since the cells were laid out.
Item* IPopupMenuControl::MenuPanel::ItemOfCell(int cellIdx) const {
  return cellIdx < 0 ? nullptr : mMenu->GetItem(cellIdx + mScrollItemOffset);
}

const IRECT* IPopupMenuControl::MenuPanel::CellAt(float x, float y) const {
  for (int i = 0; i < NCells(); ++i) {
    const Item* item = ItemOfCell(i);
    const bool answers = IsArrowCell(i) || (item && !HasFlag(*item, Item::kDisabled));
    if (answers && GetCell(i)->Contains(x, y)) return GetCell(i);
  }
  return nullptr;
}

bool IPopupMenuControl::MenuPanel::IsArrowCell(int cellIdx) const {
  return (cellIdx == 0 && HasItemsAbove()) || (cellIdx == NCells() - 1 && HasItemsBelow());
}

float IPopupMenuControl::MenuPanel::CellsWidth() const {
  if (mCellBounds.empty()) return 0.f;
  float left = mCellBounds.front().L;
  float right = mCellBounds.front().R;
  for (const IRECT& cell : mCellBounds) {
    left = std::min(left, cell.L);
    right = std::max(right, cell.R);
  }
  return right - left;
}

void IPopupMenuControl::MenuPanel::ScrollBy(int items) {
  mScrollItemOffset = std::clamp(mScrollItemOffset + items, 0, std::max(mMenu->NItems() - NCells(), 0));
}

// The control ---------------------------------------------------------------------

IPopupMenuControl::IPopupMenuControl(int paramIdx, const IText& text, const IRECT& collapsedBounds,
                                     const IRECT& expandedBounds)
    : IControl(collapsedBounds, paramIdx,
               [](IControl* control) { static_cast<IPopupMenuControl*>(control)->StartFade(); }),
      mSpecifiedCollapsedBounds(collapsedBounds),
      mSpecifiedExpandedBounds(expandedBounds) {
  SetText(text);
  Hide(true);
}

IPopupMenuControl::~IPopupMenuControl() = default;

const IPopupMenuControl::MenuPanel* IPopupMenuControl::GetPanel(int index) const {
  return index >= 0 && index < NPanels() ? mMenuPanels[static_cast<size_t>(index)].get() : nullptr;
}

IRECT IPopupMenuControl::CellSize(const IPopupMenu& menu) const {
  IRECT text;
  if (IGraphics* ui = GetUI()) {
    for (int i = 0; i < menu.NItems(); ++i) {
      IRECT measured;
      ui->MeasureTextIfNotEmpty(GetText(), menu.GetItem(i)->GetText(), measured);
      text = text.Union(measured);
    }
  }
  return IRECT(0.f, 0.f, text.W() + 2.f * mTextPadding + mTickWidth + mArrowWidth, text.H());
}

void IPopupMenuControl::PanelExtent(const IPopupMenu& menu, float& width, float& height) const {
  const IRECT cell = CellSize(menu);
  const int n = menu.NItems();
  int separators = 0;
  for (int i = 0; i < n; ++i) separators += IsSeparator(menu.GetItem(i)) ? 1 : 0;
  width = cell.W();
  height = static_cast<float>(separators) * mSeparatorSize + static_cast<float>(n - separators) * cell.H() +
           static_cast<float>(std::max(n - 1, 0)) * mCellGap;
}

// Opening -------------------------------------------------------------------------

// A menu still open or fading was the previous request's, which the context
// has already replaced: it closes unanswered, and it may be refilled already.
void IPopupMenuControl::OpenMenu(IPopupMenu& menu, const IRECT& anchorArea) {
  if (mState != kCollapsed) DropMenu();
  mMenu = &menu;
  mMenuHasSubMenu = false;
  for (int i = 0; i < menu.NItems(); ++i) mMenuHasSubMenu |= menu.GetItem(i)->GetSubmenu() != nullptr;
  // The editor's area as it is now: it may have been resized since the last menu.
  const IGraphics* ui = GetUI();
  mExpandedBounds = mSpecifiedExpandedBounds.W() != 0.f || !ui
                        ? mSpecifiedExpandedBounds
                        : IRECT(0.f, 0.f, static_cast<float>(ui->Width()), static_cast<float>(ui->Height()));
  Expand(anchorArea);
}

void IPopupMenuControl::Expand(const IRECT& anchorArea) {
  Hide(false);
  mState = kExpanding;
  if (IGraphics* ui = GetUI()) ui->UpdateTooltips();
  DeletePanels();
  mAnchorArea = anchorArea;

  mMenuPanels.push_back(MakePanel(*mMenu, -1, [this](float width, float height, float& x, float& y) {
    PlaceRootPanel(width, height, x, y);
    ClampIntoArea(width, height, x, y);
  }));
  MenuPanel* root = mMenuPanels.back().get();
  mActivePanel = root;
  mAppearingPanel = root;
  SetRECT(root->mTargetRECT);
  SetTargetRECT(root->mRECT);
  SetMouseIsOver(false);
  OnResize();
  MarkDirty(true);
}

// Placed first as one column, which is all there is unless it breaks into columns.
std::unique_ptr<IPopupMenuControl::MenuPanel> IPopupMenuControl::MakePanel(IPopupMenu& menu, int parentIdx,
                                                                           const PlaceFunc& place) const {
  float width = 0.f;
  float height = 0.f;
  PanelExtent(menu, width, height);
  float x = 0.f;
  float y = 0.f;
  place(width, height, x, y);
  auto panel = std::make_unique<MenuPanel>(*this, menu, x, y, parentIdx);
  const float columnsWidth = panel->CellsWidth();
  if (columnsWidth <= width) return panel;
  const bool fits = FitsAcross(columnsWidth);
  if (fits) place(columnsWidth, height, x, y);
  return std::make_unique<MenuPanel>(*this, menu, x, y, parentIdx, !fits);
}

void IPopupMenuControl::AimCallout(ECalloutDirection panelSide) {
  const float a = mCallOut ? mCalloutArrowSize : 0.f;
  const IRECT& anchor = mAnchorArea;
  const float cx = MidX(anchor);
  const float cy = MidY(anchor);
  mCalloutArrowDir = panelSide;
  switch (panelSide) {
    case kPanelAbove: mCalloutArrowBounds = IRECT(cx - a / 2.f, anchor.T - a, cx + a / 2.f, anchor.T); break;
    case kPanelRight: mCalloutArrowBounds = IRECT(anchor.R, cy - a / 2.f, anchor.R + a, cy + a / 2.f); break;
    case kPanelBelow: mCalloutArrowBounds = IRECT(cx - a / 2.f, anchor.B, cx + a / 2.f, anchor.B + a); break;
    case kPanelLeft: mCalloutArrowBounds = IRECT(anchor.L - a, cy - a / 2.f, anchor.L, cy + a / 2.f); break;
  }
}

// Beside the anchor, on the side towards the area's centre; above or below it
// where that does not fit; below it when there is room and that is preferred;
// centred above or below it for a menu with sub-menus, which then open
// towards the area's centre.
void IPopupMenuControl::PlaceRootPanel(float width, float height, float& x, float& y) {
  const float a = mCallOut ? mCalloutArrowSize : 0.f;
  const float textSize = GetText().mSize;
  const IRECT& anchor = mAnchorArea;
  const IRECT& area = mExpandedBounds;
  const float cx = MidX(anchor);
  const float cy = MidY(anchor);
  const bool anchorLeftOfCentre = cx <= MidX(area);
  const bool anchorAboveCentre = cy <= MidY(area);
  const float centredX = cx - width / 2.f;
  const float aboveY = anchor.T - a - height - mDropShadowSize;
  const float belowY = anchor.B + a;

  const ECalloutDirection side = anchorLeftOfCentre ? kPanelRight : kPanelLeft;
  x = anchorLeftOfCentre ? anchor.R + a : anchor.L - a - width - mDropShadowSize;
  y = anchorAboveCentre ? cy - (a + textSize) : cy - height + a + textSize;
  AimCallout(side);
  if (!FitsArea(width, height, x, y)) {
    const float sideX = x;
    const float sideY = y;
    x = centredX;
    y = anchorAboveCentre ? belowY : aboveY;
    AimCallout(anchorAboveCentre ? kPanelBelow : kPanelAbove);
    if (!FitsArea(width, height, x, y)) {
      x = sideX;
      y = sideY;
      AimCallout(side);
    }
  }

  if (mPreferBelowAnchor && anchor.B + a + height <= area.B) {
    x = centredX;
    y = belowY;
    AimCallout(kPanelBelow);
  }

  if (mMenuHasSubMenu) {
    x = centredX + (anchorLeftOfCentre ? -mSubMenuHorizontalOffset : mSubMenuHorizontalOffset);
    mSubMenuOpensRight = anchorLeftOfCentre;
    const bool roomBelowAtLeastAbove = area.B - anchor.B >= anchor.T - area.T;
    y = roomBelowAtLeastAbove ? belowY : aboveY;
    AimCallout(roomBelowAtLeastAbove ? kPanelBelow : kPanelAbove);
  }
}

bool IPopupMenuControl::FitsArea(float width, float height, float x, float y) const {
  float clampedX = x;
  float clampedY = y;
  ClampIntoArea(width, height, clampedX, clampedY);
  return clampedX == x && clampedY == y;
}

bool IPopupMenuControl::FitsAcross(float width) const {
  return mExpandedBounds.L + mDropShadowSize <= mExpandedBounds.R - width - 2.f * mDropShadowSize;
}

// The shadow's room stays inside the area.
void IPopupMenuControl::ClampIntoArea(float width, float height, float& x, float& y) const {
  const IRECT& area = mExpandedBounds;
  x = ClampOrLow(x, area.L + mDropShadowSize, area.R - width - 2.f * mDropShadowSize);
  y = ClampOrLow(y, area.T + mDropShadowSize, area.B - height - 2.f * mDropShadowSize);
}

// Mouse ---------------------------------------------------------------------------

void IPopupMenuControl::OnMouseDown(float x, float y, const IMouseMod& mod) {
  if (!IsOpen()) {
    IControl::OnMouseDown(x, y, mod);
    return;
  }
  mMouseCellBounds = mActivePanel ? mActivePanel->CellAt(x, y) : nullptr;
  CollapseEverything();
}

void IPopupMenuControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&) {
  if (!mActivePanel) return;
  mMouseCellBounds = mActivePanel->CellAt(x, y);
  MarkDirty(false);
}

// The panel under the point becomes the active one when the active panel has
// no cell there; a scroller moves by one item over its first or last cell.
void IPopupMenuControl::OnMouseHover(float x, float y, const IMouseMod&) {
  if (!mActivePanel) return;
  mMouseCellBounds = mActivePanel->CellAt(x, y);
  if (!mMouseCellBounds) {
    for (auto panel = mMenuPanels.rbegin(); panel != mMenuPanels.rend(); ++panel) {
      if (!(*panel)->mShouldDraw || !(*panel)->mTargetRECT.Contains(x, y)) continue;
      mActivePanel = panel->get();
      mMouseCellBounds = mActivePanel->CellAt(x, y);
      break;
    }
  }
  CheckSubMenu();
  if (mActivePanel->mScroller && mMouseCellBounds) {
    const int cellIdx = mActivePanel->CellIndex(mMouseCellBounds);
    if (cellIdx == 0)
      mActivePanel->ScrollBy(-1);
    else if (cellIdx == mActivePanel->NCells() - 1)
      mActivePanel->ScrollBy(1);
  }
  MarkDirty(false);
}

void IPopupMenuControl::OnMouseLeave() {
  mMouseCellBounds = nullptr;
  MarkDirty(false);
}

// Without a cell under the pointer the open sub-menus stay, so that the
// pointer may cross a gap on its way to one; a scroll arrow's cell shows no item.
void IPopupMenuControl::CheckSubMenu() {
  if (!mActivePanel || !mMouseCellBounds) return;
  const int cellIdx = mActivePanel->CellIndex(mMouseCellBounds);
  const Item* item = mActivePanel->IsArrowCell(cellIdx) ? nullptr : mActivePanel->ItemOfCell(cellIdx);
  if (!item) return;
  if (IPopupMenu* subMenu = item->GetSubmenu()) {
    ShowSubMenu(*subMenu, !HasFlag(*item, Item::kDisabled));
    return;
  }
  HideSubPanelsOf(mActivePanel);
  mActivePanel->mHighlightedCell = nullptr;
  mSubMenuOpened = false;
}

// Beside the mouse cell on the side where sub-menus open; following the cell
// vertically, above it when the root panel is above its anchor.
void IPopupMenuControl::ShowSubMenu(IPopupMenu& subMenu, bool highlight) {
  MenuPanel* shown = nullptr;
  for (const std::unique_ptr<MenuPanel>& panel : mMenuPanels) {
    if (panel->mMenu == &subMenu) shown = panel.get();
    if (DescendsFrom(*panel, mActivePanel)) panel->mShouldDraw = panel->mMenu == &subMenu;
  }
  if (highlight) mActivePanel->mHighlightedCell = mMouseCellBounds;
  const IRECT cell = *mMouseCellBounds;
  const float a = mCallOut ? mCalloutArrowSize : 0.f;
  if (!shown) {
    const auto place = [&](float width, float height, float& x, float& y) {
      x = mSubMenuOpensRight ? cell.R + mPanelPadding + a : cell.L - mPanelPadding - a - width - mDropShadowSize;
      y = mCalloutArrowDir == kPanelAbove
              ? cell.T - mPanelPadding / 2.f - height + 2.f * mCellGap + mDropShadowSize
              : cell.T - mPanelPadding;
      ClampIntoArea(width, height, x, y);
    };
    mMenuPanels.push_back(MakePanel(subMenu, PanelIndex(mActivePanel), place));
    shown = mMenuPanels.back().get();
  }
  mSubMenuOpened = true;
  const float cy = MidY(cell);
  mSubMenuCalloutArrowBounds =
      mSubMenuOpensRight ? IRECT(shown->mRECT.L - a, cy - a / 2.f, shown->mRECT.L, cy + a / 2.f)
                         : IRECT(shown->mRECT.R, cy - a / 2.f, shown->mRECT.R + a, cy + a / 2.f);
  CoverPanels();
  if (mAppearingPanel != shown) {
    mState = kSubMenuAppearing;
    mAppearingPanel = shown;
  }
  MarkDirty(true);
}

void IPopupMenuControl::HideSubPanelsOf(const MenuPanel* panel) {
  for (const std::unique_ptr<MenuPanel>& other : mMenuPanels)
    if (DescendsFrom(*other, panel)) other->mShouldDraw = false;
}

// Parents come before their children in the list.
bool IPopupMenuControl::DescendsFrom(const MenuPanel& panel, const MenuPanel* ancestor) const {
  for (int idx = panel.mParentIdx; idx >= 0 && idx < NPanels(); idx = mMenuPanels[static_cast<size_t>(idx)]->mParentIdx)
    if (mMenuPanels[static_cast<size_t>(idx)].get() == ancestor) return true;
  return false;
}

int IPopupMenuControl::PanelIndex(const MenuPanel* panel) const {
  for (int i = 0; i < NPanels(); ++i)
    if (mMenuPanels[static_cast<size_t>(i)].get() == panel) return i;
  return -1;
}

// The drawn area also keeps the panels closed since opening: the region they
// left is redrawn until the menu collapses.
void IPopupMenuControl::CoverPanels() {
  IRECT drawn;
  IRECT target;
  for (const std::unique_ptr<MenuPanel>& panel : mMenuPanels) {
    drawn = drawn.Union(panel->mTargetRECT);
    if (panel->mShouldDraw) target = target.Union(panel->mRECT);
  }
  SetRECT(drawn);
  SetTargetRECT(target);
}

// Closing -------------------------------------------------------------------------

void IPopupMenuControl::CollapseEverything() {
  if (!mMenu) return;
  IPopupMenu* menu = mActivePanel ? mActivePanel->mMenu : mMenu;
  menu->SetChosenItemIdx(IPopupMenu::kNoChoice);
  if (mActivePanel) {
    const int cellIdx = mActivePanel->CellIndex(mMouseCellBounds);
    const Item* item = mActivePanel->ItemOfCell(cellIdx);
    // A scroll arrow shows no item.
    if (item && !mActivePanel->IsArrowCell(cellIdx) && IsPlain(*item)) {
      menu->SetChosenItemIdx(cellIdx + mActivePanel->mScrollItemOffset);
      mActivePanel->mClickedCell = mMouseCellBounds;
    }
  }
  // Closed before the answer goes out: the handler may open the next menu
  // here or remove this control.
  IGraphics* ui = GetUI();
  mSubMenuOpened = false;
  mActivePanel = nullptr;
  mState = kFlickering;
  Hide(true);
  MarkDirty(true);
  if (const IPopupMenu::CompletionFunc completion = menu->GetFunction()) completion(menu);
  if (ui) ui->SetPopupMenuResult(menu);
}

void IPopupMenuControl::DropMenu() {
  if (mState == kCollapsed) return;
  DeletePanels();
  mMenu = nullptr;
  mSubMenuOpened = false;
  mAnchorArea = IRECT();
  mState = kCollapsed;
  SetAnimation(nullptr);
  SetRECT(mSpecifiedCollapsedBounds);
  SetTargetRECT(mSpecifiedCollapsedBounds);
  Hide(true);
  // The region the panels covered.
  if (IGraphics* ui = GetUI()) ui->SetAllControlsDirty();
}

void IPopupMenuControl::DeletePanels() {
  mActivePanel = nullptr;
  mAppearingPanel = nullptr;
  mMouseCellBounds = nullptr;
  mMenuPanels.clear();
}

// Animation -----------------------------------------------------------------------

void IPopupMenuControl::StartFade() {
  const int durationMs = mState == kSubMenuAppearing ? kSubMenuAppearMs : kFadeMs;
  SetAnimation([](IControl* control) { static_cast<IPopupMenuControl*>(control)->AnimationStep(); }, durationMs);
}

void IPopupMenuControl::AnimationStep() {
  const double progress = AnimationProgress();
  if (progress > 1.0) {
    OnEndAnimation();
    return;
  }
  const float p = static_cast<float>(progress);
  switch (mState) {
    case kExpanding:
      if (mAppearingPanel) mAppearingPanel->mBlend.mWeight = mOpacity * p;
      break;
    case kCollapsing: SetPanelWeights(mOpacity * (1.f - p)); break;
    case kSubMenuAppearing:
      if (mAppearingPanel) mAppearingPanel->mBlend.mWeight = progress > kSubMenuShowsAfter ? mOpacity : 0.f;
      break;
    case kIdling: SetPanelWeights(0.f); break;
    default: break;
  }
}

void IPopupMenuControl::OnEndAnimation() {
  const EPopupState ended = mState;
  switch (ended) {
    case kExpanding:
    case kSubMenuAppearing:
      SetPanelWeights(mOpacity);
      mState = kExpanded;
      break;
    case kFlickering: mState = kCollapsing; break;
    case kCollapsing:
      SetTargetRECT(mSpecifiedCollapsedBounds);
      SetPanelWeights(0.f);
      mState = kIdling;
      mMouseCellBounds = nullptr;
      mAnchorArea = IRECT();
      break;
    case kIdling:
      if (IGraphics* ui = GetUI()) ui->UpdateTooltips();
      DeletePanels();
      mMenu = nullptr;
      SetRECT(mSpecifiedCollapsedBounds);
      mState = kCollapsed;
      break;
    default: break;
  }
  IControl::OnEndAnimation();
  // The next step's fade, started after the base has cleared the finished one.
  if (ended == kFlickering || ended == kCollapsing) MarkDirty(true);
}

void IPopupMenuControl::SetPanelWeights(float weight) {
  for (const std::unique_ptr<MenuPanel>& panel : mMenuPanels) panel->mBlend.mWeight = weight;
}

// Drawing -------------------------------------------------------------------------

void IPopupMenuControl::Draw(IGraphics& g) {
  for (const std::unique_ptr<MenuPanel>& panel : mMenuPanels)
    if (panel->mShouldDraw) DrawPanel(g, *panel);
  if (mMenuPanels.empty() || !mCallOut) return;
  DrawCalloutArrow(g, mCalloutArrowBounds, &mMenuPanels.front()->mBlend);
  if (mMenuHasSubMenu && mSubMenuOpened) {
    const MenuPanel* subPanel = mAppearingPanel ? mAppearingPanel : mMenuPanels.front().get();
    DrawSubMenuCalloutArrow(g, mSubMenuCalloutArrowBounds, &subPanel->mBlend);
  }
}

void IPopupMenuControl::DrawPanel(IGraphics& g, MenuPanel& panel) {
  const IBlend* blend = &panel.mBlend;
  DrawPanelShadow(g, panel.mTargetRECT, blend);
  DrawPanelBackground(g, panel.mRECT, blend);
  int first = 0;
  int last = panel.NCells() - 1;
  if (panel.HasItemsAbove()) {
    const IRECT& cell = *panel.GetCell(first++);
    const bool sel = &cell == mMouseCellBounds;
    DrawCellBackground(g, cell, nullptr, sel, blend);
    DrawUpArrow(g, cell, sel, blend);
  }
  if (panel.HasItemsBelow()) {
    const IRECT& cell = *panel.GetCell(last--);
    const bool sel = &cell == mMouseCellBounds;
    DrawCellBackground(g, cell, nullptr, sel, blend);
    DrawDownArrow(g, cell, sel, blend);
  }
  // The clicked cell's highlight blinks off while flickering.
  const bool flickerOff = panel.mClickedCell && mState == kFlickering;
  for (int i = first; i <= last; ++i) {
    const Item* item = panel.ItemOfCell(i);
    if (!item) continue;
    const IRECT& cell = *panel.GetCell(i);
    if (IsSeparator(item)) {
      // A scroller's cells are all an item's height.
      const float half = mSeparatorSize / 2.f;
      DrawSeparator(g, panel.mScroller ? IRECT(cell.L, MidY(cell) - half, cell.R, MidY(cell) + half) : cell, blend);
      continue;
    }
    const bool sel = &cell == mMouseCellBounds || &cell == panel.mHighlightedCell;
    if (!flickerOff) DrawCellBackground(g, cell, item, sel, blend);
    DrawCellText(g, cell, item, sel, blend);
    if (item->GetChecked()) DrawTick(g, cell, item, sel, blend);
    if (item->GetSubmenu()) DrawSubMenuArrow(g, cell, item, sel, blend);
  }
}

void IPopupMenuControl::DrawCalloutArrow(IGraphics& g, const IRECT& bounds, const IBlend* blend) {
  FillArrowTriangle(g, mPanelBackgroundColor, bounds, mCalloutArrowDir, blend);
}

void IPopupMenuControl::DrawSubMenuCalloutArrow(IGraphics& g, const IRECT& bounds, const IBlend* blend) {
  FillArrowTriangle(g, mPanelBackgroundColor, bounds, mSubMenuOpensRight ? kPanelRight : kPanelLeft, blend);
}

void IPopupMenuControl::DrawPanelBackground(IGraphics& g, const IRECT& bounds, const IBlend* blend) {
  g.FillRoundRect(mPanelBackgroundColor, bounds, mRoundness, blend);
}

void IPopupMenuControl::DrawPanelShadow(IGraphics& g, const IRECT& bounds, const IBlend* blend) {
  g.DrawBoxShadow(bounds.GetGrown(-mDropShadowSize), bounds, kShadowDrop, mRoundness, kShadowBlur, blend);
}

void IPopupMenuControl::DrawCellBackground(IGraphics& g, const IRECT& bounds, const Item*, bool sel,
                                           const IBlend* blend) {
  if (!sel) return;
  g.FillRect(mCellBackgroundColor, IRECT(bounds.L - mPanelPadding, bounds.T, bounds.R + mPanelPadding, bounds.B),
             blend);
}

void IPopupMenuControl::DrawCellText(IGraphics& g, const IRECT& bounds, const Item* item, bool sel,
                                     const IBlend* blend) {
  IText text = GetText();
  text.mAlign = EAlign::Near;
  text.mFGColor = sel ? mItemHighlightColor
                      : (item && HasFlag(*item, Item::kDisabled) ? mDisabledItemColor : mItemColor);
  const IRECT textBounds(bounds.L + mTextPadding + std::max(mTickWidth, 1.f), bounds.T, bounds.R - mTextPadding,
                         bounds.B);
  g.DrawTextIfNotEmpty(text, item ? item->GetText() : "", textBounds, blend);
}

// A rounded square centred in the tick column at the cell's left edge.
void IPopupMenuControl::DrawTick(IGraphics& g, const IRECT& bounds, const Item*, bool sel, const IBlend* blend) {
  const float column = std::max(mTickWidth, 1.f);
  const float half = std::max(mTickWidth / 2.f, 1.f) / 2.f;
  const float cx = bounds.L + column / 2.f;
  const float cy = MidY(bounds);
  g.FillRoundRect(sel ? mItemHighlightColor : mItemColor, IRECT(cx - half, cy - half, cx + half, cy + half),
                  kTickRoundness, blend);
}

// Pointing the way the sub-menus open, its tip in the panel's padding.
void IPopupMenuControl::DrawSubMenuArrow(IGraphics& g, const IRECT& bounds, const Item*, bool sel,
                                         const IBlend* blend) {
  const float h = bounds.H();
  const float cy = MidY(bounds);
  const float tipX = mSubMenuOpensRight ? bounds.R + mPanelPadding / 2.f : bounds.L - mPanelPadding / 2.f;
  const float baseX = mSubMenuOpensRight ? tipX - h / 2.f : tipX + h / 2.f;
  g.FillTriangle(sel ? mItemHighlightColor : mItemColor, tipX, cy, baseX, cy - h / 4.f, baseX, cy + h / 4.f, blend);
}

void IPopupMenuControl::DrawUpArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend) {
  const float half = kScrollArrowFraction * bounds.H() / 2.f;
  const float cx = MidX(bounds);
  const float cy = MidY(bounds);
  g.FillTriangle(sel ? mItemHighlightColor : mItemColor, cx, cy - half, cx - half, cy + half, cx + half, cy + half,
                 blend);
}

void IPopupMenuControl::DrawDownArrow(IGraphics& g, const IRECT& bounds, bool sel, const IBlend* blend) {
  const float half = kScrollArrowFraction * bounds.H() / 2.f;
  const float cx = MidX(bounds);
  const float cy = MidY(bounds);
  g.FillTriangle(sel ? mItemHighlightColor : mItemColor, cx, cy + half, cx - half, cy - half, cx + half, cy - half,
                 blend);
}

// Drawn at a quarter of the colour, and only once the panel is nearly opaque.
void IPopupMenuControl::DrawSeparator(IGraphics& g, const IRECT& bounds, const IBlend* blend) {
  if (blend && blend->mWeight > kSeparatorMinWeight) g.FillRect(mSeparatorColor, bounds, &kBlend25);
}

}  // namespace plugkit::graphics
