#pragma once

#include <vector>

#include "graphics/bitmap.h"
#include "graphics/control.h"
#include "graphics/graphics_types.h"

namespace plugkit::graphics {

class IGraphics;

// What a bitmap-drawn control holds beside its control base: a bitmap that
// is a strip of N frames, and the control that shows it.
class IBitmapBase {
public:
  explicit IBitmapBase(const IBitmap& bitmap) : mBitmap(bitmap) {}
  virtual ~IBitmapBase() = default;

  const IBitmap& GetBitmap() const { return mBitmap; }
  IControl* GetControl() const { return mControl; }
  // The frame (1 to N) that shows a value from 0 to 1: always 1 below two
  // frames, else the nearest of the N frames spread evenly over the range.
  int FrameForValue(double value) const;

protected:
  // The owning control, set by its constructor.
  void AttachIControl(IControl* control) { mControl = control; }

  IBitmap mBitmap;
  IControl* mControl = nullptr;
};

// One frame of a bitmap strip, the one for the control's value.
class IBitmapControl : public IControl, public IBitmapBase {
public:
  // The rectangle is one frame at (x, y): the width divided by N for frames
  // side by side, else the height (whole units; N below 1 counts as 1).
  IBitmapControl(float x, float y, const IBitmap& bitmap, int paramIdx = kNoParameter, const IBlend& blend = IBlend());

  // One value slot per parameter index, at least one.
  IBitmapControl(float x, float y, const IBitmap& bitmap, const std::vector<int>& paramIndices,
                 const IBlend& blend = IBlend());

  void Draw(IGraphics& g) override;
  // The bitmap is loaded again for the context's current screen scale.
  void OnRescale() override;

  // The helpers every bitmap control draws and rescales with. The frame for
  // the owning control's first value, in its rectangle with its blend;
  // nothing without an owning control.
  static void DrawBitmapFrame(const IBitmapBase& part, IGraphics& g);
  // The bitmap replaced by the context's version of its resource for the
  // current scale; kept when the context has none (an unnamed bitmap, or a
  // resource neither on disk nor cached) or there is no context.
  static void OnRescaleCommon(IGraphics* g, IBitmap& bitmap);
};

}  // namespace plugkit::graphics
