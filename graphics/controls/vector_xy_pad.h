#pragma once

#include <initializer_list>

#include "graphics/control.h"
#include "graphics/vector_base.h"

namespace plugkit::graphics {

// Two values moved together by dragging a handle over a pad: x in slot 0
// (0 at the left), y in slot 1 (0 at the bottom). A press jumps the handle to
// the point. Main thread only.
class IVXYPadControl : public IControl, public IVectorBase {
public:
  static constexpr float kDefaultHandleRadius = 10.f;

  IVXYPadControl(const IRECT& bounds, std::initializer_list<int> params, const char* label = "",
                 const IVStyle& style = kDefaultStyle, float handleRadius = kDefaultHandleRadius,
                 bool trackClipsHandle = true, bool drawCross = true);

  // Background, label, the widget's frame when framed, then the widget.
  void Draw(IGraphics& g) override;
  // The track, then the handle over its travel area: the widget, less the
  // handle's radius on every side unless the track clips the handle.
  void DrawWidget(IGraphics& g) override;
  // With the cross, lines through the widget's middle.
  virtual void DrawTrack(IGraphics& g);
  // A track that clips the handle clips it to the travel area inside the frame.
  virtual void DrawHandle(IGraphics& g, const IRECT& travel, const IRECT& handle);

  // A press hides the cursor while the style asks it to, then drags.
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // The point, kept inside the control, becomes both values.
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;
  void OnResize() override;

  // The area the handle's centre moves over.
  IRECT TravelBounds() const;

protected:
  float mHandleRadius;
  bool mMouseDown = false;
  bool mTrackClipsHandle;
  bool mDrawCross;
};

}  // namespace plugkit::graphics
