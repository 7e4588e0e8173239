#pragma once

#include "graphics/control.h"
#include "graphics/graphics_types.h"

namespace plugkit::graphics {

// A small triangle in the editor's bottom-right corner: dragging it resizes
// or zooms the editor (the graphics context's input dispatch does the
// dragging), a double-click restores the size the editor had when it was
// attached. The graphics context owns it apart from the control list.
class ICornerResizerControl : public IControl {
public:
  static constexpr float kDefaultSize = 20.f;
  // The platform's diagonal resize cursor.
  static constexpr int kResizeCursor = 5;

  // editorBounds: (0, 0, editor width, editor height), what a double-click restores.
  ICornerResizerControl(const IRECT& editorBounds, float size = kDefaultSize, const IColor& color = kColorTranslucent,
                        const IColor& mouseOverColor = kColorBlack, const IColor& dragColor = kColorBlack);

  // Starts the context's resize drag.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // The size at attaching, at scale 1.
  void OnMouseDoubleClick(float x, float y, const IMouseMod& mod) override;
  // Shows the resize cursor while over it, and on leaving the cursor shown before.
  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;
  // Follows the editor's corner: a square of the size in window units.
  void OnRescale() override;
  // In the drag colour while resizing, the mouse-over colour while hovered,
  // else the normal colour.
  void Draw(IGraphics& g) override;

private:
  float mSize;
  bool mMouseOver = false;
  int mPrevCursorType = 0;
  IRECT mInitialGraphicsBounds;
  IColor mColor;
  IColor mMouseOverColor;
  IColor mDragColor;
};

}  // namespace plugkit::graphics
