#pragma once

#include <memory>

#include "graphics/bitmap.h"
#include "graphics/drawing_types.h"
#include "graphics/graphics_types.h"

namespace plugkit::graphics {

class IControl;

// An offscreen bitmap into which a control draws once and which is then drawn
// back instead of the control, until its content must be redrawn.
class ILayer {
public:
  // bounds: where the layer lies in the drawing, untransformed; controlBounds:
  // the control's rectangle when the layer was drawn (all zero without a control).
  ILayer(std::unique_ptr<APIBitmap> bitmap, const IRECT& bounds, IControl* control, const IRECT& controlBounds)
      : mBitmap(std::move(bitmap)), mControl(control), mControlRECT(controlBounds), mRECT(bounds) {}

  // One frame, not horizontal, no name; empty when the back end made no bitmap.
  IBitmap GetBitmap() const { return IBitmap(mBitmap.get(), 1, false); }
  APIBitmap* GetAPIBitmap() const { return mBitmap.get(); }
  std::unique_ptr<APIBitmap> TakeAPIBitmap() { return std::move(mBitmap); }
  IControl* GetControl() const { return mControl; }
  const IRECT& GetControlRECT() const { return mControlRECT; }
  void SetControlRECT(const IRECT& r) { mControlRECT = r; }
  const IRECT& Bounds() const { return mRECT; }
  bool IsInvalid() const { return mInvalid; }
  void SetInvalid(bool invalid) { mInvalid = invalid; }

private:
  std::unique_ptr<APIBitmap> mBitmap;
  IControl* mControl;
  IRECT mControlRECT;
  IRECT mRECT;
  bool mInvalid = false;
};

using ILayerPtr = std::unique_ptr<ILayer>;

// A shadow computed from a layer's alpha: filled with the paint, blurred by the
// blur size (drawing units), moved by the offsets and composited at opacity,
// with the layer's own content over it when draw foreground is set.
struct IDropShadow {
  IPaint mPaint = IPaint(kColorShadow);
  float mBlurSize = 0.f;
  float mXOffset = 0.f;
  float mYOffset = 0.f;
  float mOpacity = 1.f;
  bool mDrawForeground = true;
};

}  // namespace plugkit::graphics
