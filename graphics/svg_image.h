#pragma once

#include <cstdint>
#include <vector>

// A parsed SVG document, reduced to what drawing reads: the image size and
// its shapes in document order, every outline made of cubic segments in image
// coordinates. Colours are packed with R in bits 0-7, G in 8-15 and B in
// 16-23; the reader keeps the colour's own opacity in bits 24-31.
namespace plugkit::graphics {

struct SvgGradientStop {
  uint32_t mColor = 0;
  float mOffset = 0.f;
};

struct SvgGradient {
  static constexpr int32_t kSpreadPad = 0;
  static constexpr int32_t kSpreadReflect = 1;
  static constexpr int32_t kSpreadRepeat = 2;

  // Maps image coordinates to the gradient's normalised space (xx, yx, xy,
  // yy, tx, ty): a linear gradient runs from (0, 0) to (0, 1), a radial one
  // is the unit circle about (0, 0).
  float mTransform[6] = {1.f, 0.f, 0.f, 1.f, 0.f, 0.f};
  int32_t mSpread = kSpreadPad;
  std::vector<SvgGradientStop> mStops;  // in order of offset
};

struct SvgPaint {
  static constexpr int32_t kNone = 0;
  static constexpr int32_t kColor = 1;
  static constexpr int32_t kLinearGradient = 2;
  static constexpr int32_t kRadialGradient = 3;

  int32_t mType = kNone;
  uint32_t mColor = 0;     // a colour paint's colour
  SvgGradient mGradient;  // a gradient paint's gradient
};

// One connected outline: a start point, then three points (two controls and
// the end) per cubic segment, as x, y pairs.
struct SvgSubpath {
  std::vector<float> mPoints;
  bool mClosed = false;
  // The bounding box's top-left corner.
  float mMinX = 0.f;
  float mMinY = 0.f;

  int PointCount() const { return static_cast<int>(mPoints.size() / 2); }
};

struct SvgShape {
  static constexpr int kMaxDashes = 8;
  static constexpr int32_t kJoinMiter = 0;
  static constexpr int32_t kJoinRound = 1;
  static constexpr int32_t kJoinBevel = 2;
  static constexpr int32_t kCapButt = 0;
  static constexpr int32_t kCapRound = 1;
  static constexpr int32_t kCapSquare = 2;

  bool mVisible = true;
  float mOpacity = 1.f;  // 0..1, the ancestors' opacities multiplied in
  SvgPaint mFill;
  SvgPaint mStroke;
  float mStrokeWidth = 1.f;
  float mDashOffset = 0.f;
  float mDashArray[kMaxDashes] = {};
  int32_t mDashCount = 0;  // 0 is a solid line
  int32_t mLineJoin = kJoinMiter;
  int32_t mLineCap = kCapButt;
  float mMiterLimit = 4.f;
  std::vector<SvgSubpath> mSubpaths;
};

struct SvgImage {
  float mWidth = 0.f;
  float mHeight = 0.f;
  std::vector<SvgShape> mShapes;
};

// A handle to a parsed image, copied freely. It never frees the image: the
// SVG cache owns it. Null when nothing was loaded.
struct ISVG {
  const SvgImage* mImage = nullptr;

  constexpr ISVG() = default;
  constexpr explicit ISVG(const SvgImage* image) : mImage(image) {}

  bool IsValid() const { return mImage != nullptr; }
  float W() const { return mImage ? mImage->mWidth : 0.f; }
  float H() const { return mImage ? mImage->mHeight : 0.f; }
};

}  // namespace plugkit::graphics
