#pragma once

#include <vector>

#include "common/str_buf.h"
#include "graphics/controls/base_controls.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

// Where a button sits in a row of tab buttons; rounded tabs round the row's
// outer corners by it.
enum class ETabSegment : int32_t { Start = 0, Mid = 1, End = 2 };

// A row of N equal buttons along the direction, one per option; clicking one
// selects its state. Options not given come from the linked parameter's
// display texts. Main thread only.
class IVTabSwitchControl : public ISwitchControlBase, public IVectorBase {
public:
  IVTabSwitchControl(const IRECT& bounds, int paramIdx = kNoParameter, const std::vector<const char*>& options = {},
                     const char* label = "", const IVStyle& style = kDefaultStyle,
                     EVShape shape = EVShape::Rectangle, EDirection direction = EDirection::Horizontal);
  IVTabSwitchControl(const IRECT& bounds, ActionFunc actionFunc, const std::vector<const char*>& options,
                     const char* label = "", const IVStyle& style = kDefaultStyle,
                     EVShape shape = EVShape::Rectangle, EDirection direction = EDirection::Horizontal);

  void Draw(IGraphics& g) override;
  // Every button, then its option's text.
  void DrawWidget(IGraphics& g) override;
  // A pressable face; the rounded shapes (EndsRounded, AllRounded) round the
  // corners that face outwards at the button's place in the row.
  virtual void DrawButton(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, ETabSegment segment,
                          bool disabled);
  virtual void DrawButtonText(IGraphics& g, const IRECT& bounds, const char* str);
  // The first button holding the point; -1 when none does.
  virtual int GetButtonForPoint(float x, float y) const;

  bool HitTest(float x, float y) const override { return GetButtonForPoint(x, y) >= 0; }
  void OnInit() override;
  void OnResize() override;
  // A button selects its state; the action runs whether a button was hit or not.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;

  // The option of the current state; "" when it has none.
  const char* GetSelectedLabelStr() const;
  int GetMouseOverButton() const { return mMouseOverButton; }
  const std::vector<IRECT>& GetButtonBounds() const { return mButtons; }

protected:
  // The state the value selects.
  int SelectedIndex() const;

  int mMouseOverButton = -1;
  std::vector<IRECT> mButtons;
  std::vector<StrBuf> mTabLabels;
  EDirection mDirection;
};

// A column (or row) of options, each a small square button beside its
// option's text. With only-buttons-respond set, only the squares are hit.
class IVRadioButtonControl : public IVTabSwitchControl {
public:
  static constexpr float kDefaultButtonSize = 10.f;
  // The room each row keeps for its button, in button sizes.
  static constexpr float kButtonAreaPerSize = 3.f;

  IVRadioButtonControl(const IRECT& bounds, int paramIdx = kNoParameter, const std::vector<const char*>& options = {},
                       const char* label = "", const IVStyle& style = kDefaultStyle,
                       EVShape shape = EVShape::Ellipse, EDirection direction = EDirection::Vertical,
                       float buttonSize = kDefaultButtonSize);
  IVRadioButtonControl(const IRECT& bounds, ActionFunc actionFunc, const std::vector<const char*>& options,
                       const char* label = "", const IVStyle& style = kDefaultStyle,
                       EVShape shape = EVShape::Ellipse, EDirection direction = EDirection::Vertical,
                       float buttonSize = kDefaultButtonSize);

  // The row's square, as a middle button; ignores the row's place.
  void DrawButton(IGraphics& g, const IRECT& bounds, bool pressed, bool mouseOver, ETabSegment segment,
                  bool disabled) override;
  // Beside the square.
  void DrawButtonText(IGraphics& g, const IRECT& bounds, const char* str) override;
  int GetButtonForPoint(float x, float y) const override;

  void SetOnlyButtonsRespondToMouse(bool only) { mOnlyButtonsRespondToMouse = only; }
  // The square of the row.
  IRECT ButtonSquare(const IRECT& row) const;

protected:
  float mButtonSize;
  float mButtonAreaWidth;
  bool mOnlyButtonsRespondToMouse = false;
};

}  // namespace plugkit::graphics
