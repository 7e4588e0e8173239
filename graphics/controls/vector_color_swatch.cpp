#include "graphics/controls/vector_color_swatch.h"

#include <utility>

#include "graphics/graphics_context.h"
#include "graphics/rect_geometry.h"

namespace plugkit::graphics {

namespace {

// A labelled cell keeps its colour in its right quarter and its label in its left 70 %.
constexpr float kPatchFraction = 0.25f;
constexpr float kLabelFraction = 0.7f;
// The outline sits just outside the colour.
constexpr float kOutlineGrowth = 0.5f;
constexpr float kOutlineThickness = 1.f;

}  // namespace

IVColorSwatchControl::IVColorSwatchControl(const IRECT& bounds, const char* label, ColorChosenFunc colorChosenFunc,
                                           const IVStyle& style, ESwatchLayout layout,
                                           const std::vector<EVColor>& cellRoles,
                                           const std::vector<const char*>& cellLabels)
    : IControl(bounds),
      IVectorBase(style),
      mColorChosenFunc(std::move(colorChosenFunc)),
      mLayout(layout),
      mCellRoles(cellRoles) {
  AttachIControl(this, label);
  mStyle.valueText.mAlign = EAlign::Far;
  SetText(mStyle.valueText);
  for (const char* cellLabel : cellLabels) mCellLabels.emplace_back(cellLabel ? cellLabel : "");
}

void IVColorSwatchControl::Draw(IGraphics& g) {
  DrawWidget(g);
  DrawLabel(g);
}

void IVColorSwatchControl::DrawWidget(IGraphics& g) {
  for (size_t i = 0; i < mCells.size(); ++i) {
    const IRECT& cell = mCells[i];
    const char* cellLabel = i < mCellLabels.size() ? mCellLabels[i].Get() : "";
    const bool labelled = cellLabel[0] != '\0';
    const IRECT patch = labelled ? IRECT(cell.R - cell.W() * kPatchFraction, cell.T, cell.R, cell.B) : cell;
    g.FillRect(GetColor(mCellRoles[i]), patch, &GetBlend());
    const bool underMouse = static_cast<int>(i) == mCellUnderMouse;
    g.DrawRect(underMouse ? kMouseOverOutlineColor : kOutlineColor, patch.GetGrown(kOutlineGrowth), &GetBlend(),
               kOutlineThickness);
    if (labelled) {
      const IRECT labelArea(cell.L, cell.T, cell.L + cell.W() * kLabelFraction, cell.B);
      g.DrawTextIfNotEmpty(mStyle.valueText, cellLabel, labelArea, &GetBlend());
    }
  }
}

void IVColorSwatchControl::OnResize() {
  ApplyLayout(true);
  const int n = static_cast<int>(mCellRoles.size());
  mCells.clear();
  if (n == 0) return;
  int columns = kGridColumns;
  int rows = kGridRows;
  if (mLayout == ESwatchLayout::Horizontal) {
    columns = n;
    rows = 1;
  } else if (mLayout == ESwatchLayout::Vertical) {
    columns = 1;
    rows = n;
  }
  for (int k = 0; k < n; ++k) {
    IRECT cell = mWidgetBounds;
    if (k < columns * rows) {
      const IRECT column = SlotAlong(mWidgetBounds, EDirection::Horizontal, columns, k % columns);
      cell = SlotAlong(column, EDirection::Vertical, rows, k / columns);
    }
    mCells.push_back(cell.GetGrown(-kCellInset));
  }
}

int IVColorSwatchControl::GetCellForPoint(float x, float y) const {
  for (size_t i = 0; i < mCells.size(); ++i)
    if (mCells[i].Contains(x, y)) return static_cast<int>(i);
  return -1;
}

void IVColorSwatchControl::OnMouseHover(float x, float y, const IMouseMod& mod) {
  mCellUnderMouse = GetCellForPoint(x, y);
  IControl::OnMouseHover(x, y, mod);
  MarkDirty(true);
}

void IVColorSwatchControl::OnMouseLeave() {
  mCellUnderMouse = -1;
  IControl::OnMouseLeave();
  MarkDirty(true);
}

void IVColorSwatchControl::OnMouseDown(float x, float y, const IMouseMod&) {
  const int cell = GetCellForPoint(x, y);
  IGraphics* graphics = GetUI();
  if (cell < 0 || !graphics) return;
  const EVColor role = mCellRoles[static_cast<size_t>(cell)];
  IColor color = GetColor(role);
  graphics->ChooseColor(color, kPrompt,
                        [this, alive = std::weak_ptr<const bool>(mAlive), cell, role](const IColor& chosen) {
                          if (alive.expired()) return;
                          mStyle.colorSpec.SetColor(role, chosen);
                          MarkDirty(false);
                          if (mColorChosenFunc) mColorChosenFunc(cell, chosen);
                        });
}

}  // namespace plugkit::graphics
