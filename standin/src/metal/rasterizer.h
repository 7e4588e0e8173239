#pragma once

// Scan conversion of triangles in window coordinates (pixels, y down): facing
// and culling, clipping against the guard band, snapping to 1/256 pixel and
// exact per-row spans under the top-left rule. What each covered row holds
// goes to a RowSink.

#include <Metal/MTLRenderCommandEncoder.h>
#include <standin/metal/shader.h>

#include <cstdint>

namespace standin::metal {

// An affine function of window position, value0 at (x0, y0).
struct Plane {
  double a = 0.0;  // change per pixel in x
  double b = 0.0;  // change per pixel in y
  double value0 = 0.0;
  double x0 = 0.0;
  double y0 = 0.0;

  double At(double x, double y) const { return value0 + a * (x - x0) + b * (y - y0); }
};

struct TriangleSetup {
  bool frontFacing = true;
  int varyingCount = 0;
  Plane varyings[kMaxVaryings];
  // Pixels the triangle may cover inside the render area, ends exclusive.
  int minX = 0, minY = 0, maxX = 0, maxY = 0;
};

class RowSink {
public:
  virtual ~RowSink() = default;
  // Before the rows of a triangle.
  virtual void BeginTriangle(const TriangleSetup& triangle) = 0;
  // Pixels x0 to x1 - 1 of row y are covered; x0 < x1.
  virtual void Row(int y, int x0, int x1) = 0;
};

// The pixels a draw may touch: x0 to x1 - 1 and y0 to y1 - 1.
struct RenderArea {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

struct RasterVertex {
  double x = 0.0;  // window coordinates
  double y = 0.0;
  const float* varyings = nullptr;
  // The position in 1/256 pixels, when it is finite and inside the guard band.
  bool snapped = false;
  std::int64_t snappedX = 0;
  std::int64_t snappedY = 0;
};

// A vertex at window position (x, y), snapped once for every triangle that uses it.
RasterVertex MakeRasterVertex(double x, double y, const float* varyings);

class Rasterizer {
public:
  Rasterizer(RenderArea area, MTLCullMode cullMode, MTLWinding frontFacingWinding, int varyingCount, RowSink& sink);

  // False when the triangle draws nothing for its own sake: a non-finite
  // position, zero area, or culled.
  bool DrawTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);

private:
  struct Snapped {
    std::int64_t x = 0;
    std::int64_t y = 0;
  };

  RenderArea CentreBounds(const Snapped (&v)[3]) const;
  RenderArea ClippedBounds(const RasterVertex (&v)[3]) const;
  // False when the triangle covers no pixel of the render area.
  struct GridPositions {
    double x[3], y[3];
  };

  bool SetUp(const RasterVertex (&v)[3], const GridPositions& grid, bool frontFacing, RenderArea bounds);
  void DrawClipped(const RasterVertex (&v)[3], bool positiveArea);
  void Scan(Snapped a, Snapped b, Snapped c);

  const RenderArea area_;
  const MTLCullMode cullMode_;
  const MTLWinding frontFacingWinding_;
  const int varyingCount_;
  RowSink& sink_;
  TriangleSetup setup_;
};

}  // namespace standin::metal
