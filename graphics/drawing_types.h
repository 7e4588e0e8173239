#pragma once

#include <cstdint>

#include "graphics/graphics_types.h"

// The records the graphics core hands to a drawing back end with each path:
// the transform, the paint, and how a path is stroked or filled.
namespace plugkit::graphics {

// Degrees to radians as the drawing code has always done it: the angle divided
// by 180 in float, times pi as a float.
double DegreesToRadians(float degrees);

// An affine transform: a point (x, y) maps to (xx x + xy y + tx, yx x + yy y + ty).
struct ITransform {
  double xx = 1.0;
  double yx = 0.0;
  double xy = 0.0;
  double yy = 1.0;
  double tx = 0.0;
  double ty = 0.0;

  constexpr ITransform() = default;
  constexpr ITransform(double xx_, double yx_, double xy_, double yy_, double tx_, double ty_)
      : xx(xx_), yx(yx_), xy(xy_), yy(yy_), tx(tx_), ty(ty_) {}
  bool operator==(const ITransform&) const = default;

  void TransformPoint(double& x, double& y) const;

  // Each composes on the right, so the new operation applies to points first.
  void Translate(float x, float y);
  void Scale(float sx, float sy);
  void Rotate(float degrees);
  void Skew(float xDegrees, float yDegrees);
  // This = this · m.
  void Transform(const ITransform& m);
};

// Arc direction: clockwise or counter-clockwise on screen.
enum class EWinding : int32_t { CW = 0, CCW = 1 };

enum class EPaintType : int32_t { Solid = 0, Linear = 1, Radial = 2 };
enum class EPaintExtend : int32_t { None = 0, Pad = 1, Reflect = 2, Repeat = 3 };

struct IColorStop {
  IColor mColor;
  float mOffset = 0.f;
};

// What a path is stroked or filled with: a solid colour or a gradient of up to
// 16 stops, whose transform maps user space to paint space.
struct IPaint {
  static constexpr int kMaxStops = 16;

  EPaintType mType = EPaintType::Solid;
  EPaintExtend mExtend = EPaintExtend::Pad;
  IColorStop mStops[kMaxStops];
  int32_t mNStops = 1;
  ITransform mTransform;

  // Solid black.
  constexpr IPaint() : IPaint(kColorBlack) {}
  // The solid paint: one stop {colour, 0}, the unused stops opaque black.
  constexpr explicit IPaint(const IColor& color) { mStops[0].mColor = color; }

  const IColorStop& GetStop(int index) const { return mStops[index]; }
  int NStops() const { return mNStops; }
};

enum class ELineCap : int32_t { Butt = 0, Round = 1, Square = 2 };
enum class ELineJoin : int32_t { Miter = 0, Round = 1, Bevel = 2 };

// How a path is stroked. A dash count of 0 is a solid line.
struct IStrokeStyle {
  static constexpr int kMaxDashes = 8;
  static constexpr float kDefaultMiterLimit = 10.f;

  float mMiterLimit = kDefaultMiterLimit;
  bool mPreserve = false;  // keep the path after stroking
  ELineCap mCap = ELineCap::Butt;
  ELineJoin mJoin = ELineJoin::Miter;
  float mDashArray[kMaxDashes] = {};
  float mDashOffset = 0.f;
  int32_t mDashCount = 0;

  // The first count lengths of dashes (on, off, ...), at most kMaxDashes.
  void SetDash(const float* lengths, int count, float offset);
};

enum class EFillRule : int32_t {
  Solid = 0,         // the last sub-path is filled as solid
  Hole = 1,          // the last sub-path is cut out as a hole
  KeepWindings = 2,  // each sub-path keeps the winding PathWinding gave it
};

struct IFillStyle {
  EFillRule mFillRule = EFillRule::Solid;
  bool mPreserve = false;  // keep the path after filling
};

}  // namespace plugkit::graphics
