#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "common/str_buf.h"
#include "graphics/control.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

// How a colour swatch arranges its cells: N in a row, N in a column, or in a
// 3 x 3 grid (any other value too).
enum class ESwatchLayout : int32_t { Grid = 0, Horizontal = 1, Vertical = 2 };

// Cells showing colours of the control's own style, one colour role each; a
// click on a cell offers its colour to the platform's colour picker, and a
// colour picked there replaces that role's colour. A labelled cell shows its
// colour in its right quarter and its label on the left. Main thread only.
class IVColorSwatchControl : public IControl, public IVectorBase {
public:
  // Called with the cell and the colour picked for it.
  using ColorChosenFunc = std::function<void(int cell, const IColor& color)>;

  static constexpr const char* kPrompt = "Choose a color";
  static constexpr int kGridColumns = 3;
  static constexpr int kGridRows = 3;
  static constexpr float kCellInset = 2.f;
  static constexpr IColor kOutlineColor{255, 70, 70, 70};
  static constexpr IColor kMouseOverOutlineColor{255, 127, 127, 127};

  IVColorSwatchControl(const IRECT& bounds, const char* label = "", ColorChosenFunc colorChosenFunc = nullptr,
                       const IVStyle& style = kDefaultStyle, ESwatchLayout layout = ESwatchLayout::Grid,
                       const std::vector<EVColor>& cellRoles = {kBG, kFG, kPR, kFR, kHL, kSH, kX1, kX2, kX3},
                       const std::vector<const char*>& cellLabels = {});

  // The cells, then the label.
  void Draw(IGraphics& g) override;
  void DrawWidget(IGraphics& g) override;
  void OnResize() override;
  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;
  // Opens the picker for the cell under the point; nothing between cells.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;

  // The first cell holding the point; -1 when none does.
  int GetCellForPoint(float x, float y) const;
  const std::vector<IRECT>& GetCellBounds() const { return mCells; }
  int GetMouseOverCell() const { return mCellUnderMouse; }

protected:
  // The picker may answer after this control is gone; its answer checks this first.
  std::shared_ptr<const bool> mAlive = std::make_shared<const bool>(true);
  ColorChosenFunc mColorChosenFunc;
  int mCellUnderMouse = -1;
  ESwatchLayout mLayout;
  std::vector<IRECT> mCells;
  std::vector<StrBuf> mCellLabels;
  std::vector<EVColor> mCellRoles;
};

}  // namespace plugkit::graphics
