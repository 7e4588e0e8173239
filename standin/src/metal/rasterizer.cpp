#include "metal/rasterizer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace standin::metal {
namespace {

// Positions snap to 1/256 pixel; edge functions are exact in 64-bit integers
// for coordinates inside the guard band.
constexpr double kSubpixels = 256.0;
constexpr std::int64_t kPixel = 256;
constexpr std::int64_t kHalfPixel = 128;
// Triangles reaching beyond this many pixels are clipped to it first.
constexpr double kGuardBand = 1048576.0;  // 2^20

// floor(value) for values well inside the 64-bit range, without a library call.
std::int64_t FloorToInteger(double value) {
  const auto truncated = static_cast<std::int64_t>(value);
  return truncated - (value < static_cast<double>(truncated) ? 1 : 0);
}

std::int64_t Snap(double coordinate) { return FloorToInteger(coordinate * kSubpixels + 0.5); }

// Floor and ceiling of a / b for b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

bool InsideGuardBand(const RasterVertex& v) { return std::abs(v.x) <= kGuardBand && std::abs(v.y) <= kGuardBand; }

// floor(n / d) for d > 0, stepped exactly as n grows by a fixed amount.
class SteppedQuotient {
public:
  SteppedQuotient() = default;
  SteppedQuotient(std::int64_t numerator, std::int64_t step, std::int64_t divisor)
      : divisor_(divisor),
        quotient_(FloorDiv(numerator, divisor)),
        remainder_(numerator - quotient_ * divisor),
        stepQuotient_(FloorDiv(step, divisor)),
        stepRemainder_(step - stepQuotient_ * divisor) {}

  std::int64_t value() const { return quotient_; }

  void Step() {
    remainder_ += stepRemainder_;
    const bool carry = remainder_ >= divisor_;
    remainder_ -= carry ? divisor_ : 0;
    quotient_ += stepQuotient_ + (carry ? 1 : 0);
  }

private:
  std::int64_t divisor_ = 1, quotient_ = 0, remainder_ = 0, stepQuotient_ = 0, stepRemainder_ = 0;
};

// The bounds a triangle's edges put on each row, walked down from `firstRow`.
// An edge's function is positive inside; a centre exactly on an edge belongs
// to it when it is a top or left edge. Edges going up bound a row's first
// pixel, edges going down its last, and a horizontal edge admits or refuses
// a whole row.
class RowBounds {
public:
  void Add(std::int64_t fromX, std::int64_t fromY, std::int64_t toX, std::int64_t toY, std::int64_t firstRow) {
    const std::int64_t dx = toX - fromX;
    const std::int64_t dy = toY - fromY;
    const std::int64_t bias = (dy < 0 || (dy == 0 && dx > 0)) ? 0 : 1;
    // The edge function at pixel i of the row is atZero - dy * kPixel * i.
    const std::int64_t atZero = dx * (firstRow * kPixel + kHalfPixel - fromY) - dy * (kHalfPixel - fromX);
    const std::int64_t rowStep = dx * kPixel;
    if (dy < 0) {
      // First pixel: ceil((bias - atZero) / s) = -floor((atZero - bias) / s).
      firsts_[firstCount_++] = SteppedQuotient(atZero - bias, rowStep, -dy * kPixel);
    } else if (dy > 0) {
      lasts_[lastCount_++] = SteppedQuotient(atZero - bias, rowStep, dy * kPixel);
    } else {
      flat_[flatCount_++] = {atZero - bias, rowStep};
    }
  }

  // Narrows [first, last] to the current row's pixels, then moves to the next row.
  void Row(std::int64_t& first, std::int64_t& last) {
    for (int i = 0; i < firstCount_; ++i) {
      first = std::max(first, -firsts_[i].value());
      firsts_[i].Step();
    }
    for (int i = 0; i < lastCount_; ++i) {
      last = std::min(last, lasts_[i].value());
      lasts_[i].Step();
    }
    for (int i = 0; i < flatCount_; ++i) {
      if (flat_[i].margin < 0) last = first - 1;
      flat_[i].margin += flat_[i].step;
    }
  }

private:
  struct Flat {
    std::int64_t margin, step;  // the edge function less the bias, and its change per row
  };

  SteppedQuotient firsts_[3], lasts_[3];
  Flat flat_[3] = {};
  int firstCount_ = 0, lastCount_ = 0, flatCount_ = 0;
};

// Triangles spanning at most this many pixel centres each way test every
// centre of their bounds against the edges, which costs less than stepping bounds.
constexpr std::int64_t kSmallSide = 4;

// An edge function with its top-left bias: a centre is inside when Value >= bias.
struct EdgeFunction {
  std::int64_t dx, dy, x0, y0, bias;

  EdgeFunction(std::int64_t fromX, std::int64_t fromY, std::int64_t toX, std::int64_t toY)
      : dx(toX - fromX), dy(toY - fromY), x0(fromX), y0(fromY), bias((dy < 0 || (dy == 0 && dx > 0)) ? 0 : 1) {}

  std::int64_t Value(std::int64_t x, std::int64_t y) const { return dx * (y - y0) - dy * (x - x0); }
};

// Each centre of the bounds tested against the edges; a row's covered centres are contiguous.
void ScanSmall(const EdgeFunction (&edges)[3], std::int64_t firstRow, std::int64_t lastRow, std::int64_t firstColumn,
               std::int64_t lastColumn, RowSink& sink) {
  for (std::int64_t row = firstRow; row <= lastRow; ++row) {
    const std::int64_t centreY = row * kPixel + kHalfPixel;
    std::int64_t first = lastColumn + 1;
    std::int64_t last = firstColumn - 1;
    for (std::int64_t column = firstColumn; column <= lastColumn; ++column) {
      const std::int64_t centreX = column * kPixel + kHalfPixel;
      bool inside = true;
      for (const EdgeFunction& edge : edges) inside = inside && edge.Value(centreX, centreY) >= edge.bias;
      if (!inside) continue;
      first = std::min(first, column);
      last = column;
    }
    if (first <= last) sink.Row(static_cast<int>(row), static_cast<int>(first), static_cast<int>(last + 1));
  }
}

struct Point {
  double x, y;
};

using Polygon = std::array<Point, 9>;  // a triangle clipped by four lines has at most seven corners

// Where the segment crosses the line coordinate `axis` = value, computed from
// the endpoints in one order so that neighbours sharing an edge agree.
Point Crossing(Point p, Point q, int axis, double value) {
  if (std::pair(q.x, q.y) < std::pair(p.x, p.y)) std::swap(p, q);
  if (axis == 0) {
    const double t = (value - p.x) / (q.x - p.x);
    return {value, p.y + t * (q.y - p.y)};
  }
  const double t = (value - p.y) / (q.y - p.y);
  return {p.x + t * (q.x - p.x), value};
}

// Keeps the part of the polygon where sign * coordinate <= kGuardBand.
int ClipAgainst(const Polygon& in, int count, int axis, double sign, Polygon& out) {
  const auto inside = [&](const Point& p) { return sign * (axis == 0 ? p.x : p.y) <= kGuardBand; };
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const Point& current = in[i];
    const Point& next = in[(i + 1) % count];
    if (inside(current)) out[kept++] = current;
    if (inside(current) != inside(next)) out[kept++] = Crossing(current, next, axis, sign * kGuardBand);
  }
  return kept;
}

}  // namespace

Rasterizer::Rasterizer(RenderArea area, MTLCullMode cullMode, MTLWinding frontFacingWinding, int varyingCount,
                       RowSink& sink)
    : area_(area),
      cullMode_(cullMode),
      frontFacingWinding_(frontFacingWinding),
      varyingCount_(varyingCount),
      sink_(sink) {
  setup_.varyingCount = varyingCount;
}

RasterVertex MakeRasterVertex(double x, double y, const float* varyings) {
  RasterVertex vertex{x, y, varyings};
  vertex.snapped = std::isfinite(x) && std::isfinite(y) && InsideGuardBand(vertex);
  if (vertex.snapped) vertex.snappedX = Snap(x), vertex.snappedY = Snap(y);
  return vertex;
}

bool Rasterizer::DrawTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2) {
  const RasterVertex v[3] = {v0, v1, v2};
  const bool inside = v0.snapped && v1.snapped && v2.snapped;
  if (!inside) {
    for (const RasterVertex& vertex : v) {
      if (!std::isfinite(vertex.x) || !std::isfinite(vertex.y)) return false;
    }
  }
  Snapped snapped[3];
  bool positiveArea = false;  // clockwise on screen, where y points down
  if (inside) {
    for (int i = 0; i < 3; ++i) snapped[i] = {v[i].snappedX, v[i].snappedY};
    const std::int64_t cross = (snapped[1].x - snapped[0].x) * (snapped[2].y - snapped[0].y) -
                               (snapped[2].x - snapped[0].x) * (snapped[1].y - snapped[0].y);
    if (cross == 0) return false;
    positiveArea = cross > 0;
  } else {
    const double cross = (v1.x - v0.x) * (v2.y - v0.y) - (v2.x - v0.x) * (v1.y - v0.y);
    if (cross == 0.0 || !std::isfinite(cross)) return false;
    positiveArea = cross > 0.0;
  }
  const bool counterClockwise = !positiveArea;
  const bool frontFacing = (frontFacingWinding_ == MTLWindingCounterClockwise) == counterClockwise;
  if ((cullMode_ == MTLCullModeFront && frontFacing) || (cullMode_ == MTLCullModeBack && !frontFacing)) return false;

  // The snapped positions varyings are interpolated over (in double: a vertex beyond the guard band may be huge).
  GridPositions grid;
  for (int i = 0; i < 3; ++i) {
    grid.x[i] =
        inside ? static_cast<double>(snapped[i].x) / kSubpixels : std::floor(v[i].x * kSubpixels + 0.5) / kSubpixels;
    grid.y[i] =
        inside ? static_cast<double>(snapped[i].y) / kSubpixels : std::floor(v[i].y * kSubpixels + 0.5) / kSubpixels;
  }
  if (!SetUp(v, grid, frontFacing, inside ? CentreBounds(snapped) : ClippedBounds(v))) return true;
  if (inside) {
    Scan(snapped[0], snapped[1], snapped[2]);
  } else {
    DrawClipped(v, positiveArea);
  }
  return true;
}

// The pixels whose centres lie within the snapped triangle's bounds.
RenderArea Rasterizer::CentreBounds(const Snapped (&v)[3]) const {
  const auto [minX, maxX] = std::minmax({v[0].x, v[1].x, v[2].x});
  const auto [minY, maxY] = std::minmax({v[0].y, v[1].y, v[2].y});
  return {static_cast<int>(CeilDiv(minX - kHalfPixel, kPixel)), static_cast<int>(CeilDiv(minY - kHalfPixel, kPixel)),
          static_cast<int>(FloorDiv(maxX - kHalfPixel, kPixel) + 1),
          static_cast<int>(FloorDiv(maxY - kHalfPixel, kPixel) + 1)};
}

// The pixels a triangle reaching beyond the guard band may touch there.
RenderArea Rasterizer::ClippedBounds(const RasterVertex (&v)[3]) const {
  const auto pixelFloor = [](double value) {
    return static_cast<int>(FloorToInteger(std::clamp(value, -kGuardBand, kGuardBand)));
  };
  const auto [minX, maxX] = std::minmax({v[0].x, v[1].x, v[2].x});
  const auto [minY, maxY] = std::minmax({v[0].y, v[1].y, v[2].y});
  return {pixelFloor(minX), pixelFloor(minY), pixelFloor(maxX) + 1, pixelFloor(maxY) + 1};
}

bool Rasterizer::SetUp(const RasterVertex (&v)[3], const GridPositions& grid, bool frontFacing, RenderArea bounds) {
  setup_.minX = std::max(area_.x0, bounds.x0);
  setup_.minY = std::max(area_.y0, bounds.y0);
  setup_.maxX = std::min(area_.x1, bounds.x1);
  setup_.maxY = std::min(area_.y1, bounds.y1);
  if (setup_.minX >= setup_.maxX || setup_.minY >= setup_.maxY) return false;
  setup_.frontFacing = frontFacing;

  // Varyings are affine over the snapped triangle.
  double x[3], y[3];
  for (int i = 0; i < 3; ++i) x[i] = grid.x[i], y[i] = grid.y[i];
  double det = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  if (det == 0.0) {  // snapping flattened a clipped triangle; its exact shape still has an area
    for (int i = 0; i < 3; ++i) x[i] = v[i].x, y[i] = v[i].y;
    det = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  }
  const double inverse = 1.0 / det;
  for (int i = 0; i < varyingCount_; ++i) {
    const double f0 = v[0].varyings[i];
    const double df1 = v[1].varyings[i] - f0;
    const double df2 = v[2].varyings[i] - f0;
    Plane& plane = setup_.varyings[i];
    plane.a = (df1 * (y[2] - y[0]) - df2 * (y[1] - y[0])) * inverse;
    plane.b = (df2 * (x[1] - x[0]) - df1 * (x[2] - x[0])) * inverse;
    plane.value0 = f0;
    plane.x0 = x[0];
    plane.y0 = y[0];
  }
  sink_.BeginTriangle(setup_);
  return true;
}

void Rasterizer::DrawClipped(const RasterVertex (&v)[3], bool positiveArea) {
  Polygon polygon{};
  Polygon clipped{};
  int count = 3;
  for (int i = 0; i < 3; ++i) polygon[i] = {v[i].x, v[i].y};
  static constexpr std::pair<int, double> kBounds[] = {{0, 1.0}, {0, -1.0}, {1, 1.0}, {1, -1.0}};
  for (const auto& [axis, sign] : kBounds) {
    count = ClipAgainst(polygon, count, axis, sign, clipped);
    polygon = clipped;
  }
  for (int i = 1; i + 1 < count; ++i) {
    const Snapped a{Snap(polygon[0].x), Snap(polygon[0].y)};
    const Snapped b{Snap(polygon[i].x), Snap(polygon[i].y)};
    const Snapped c{Snap(polygon[i + 1].x), Snap(polygon[i + 1].y)};
    const std::int64_t cross = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    // A piece that snapping flattened or turned over covers nothing of the triangle.
    if (cross != 0 && (cross > 0) == positiveArea) Scan(a, b, c);
  }
}

void Rasterizer::Scan(Snapped a, Snapped b, Snapped c) {
  const std::int64_t cross = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
  if (cross == 0) return;
  if (cross < 0) std::swap(b, c);
  const std::int64_t top = std::min({a.y, b.y, c.y});
  const std::int64_t bottom = std::max({a.y, b.y, c.y});
  const std::int64_t firstRow = std::max<std::int64_t>(area_.y0, CeilDiv(top - kHalfPixel, kPixel));
  const std::int64_t lastRow = std::min<std::int64_t>(area_.y1 - 1, FloorDiv(bottom - kHalfPixel, kPixel));
  if (firstRow > lastRow) return;
  const std::int64_t firstColumn =
      std::max<std::int64_t>(area_.x0, CeilDiv(std::min({a.x, b.x, c.x}) - kHalfPixel, kPixel));
  const std::int64_t lastColumn =
      std::min<std::int64_t>(area_.x1 - 1, FloorDiv(std::max({a.x, b.x, c.x}) - kHalfPixel, kPixel));
  if (firstColumn > lastColumn) return;
  if (lastRow - firstRow < kSmallSide && lastColumn - firstColumn < kSmallSide) {
    const EdgeFunction edges[3] = {EdgeFunction(a.x, a.y, b.x, b.y), EdgeFunction(b.x, b.y, c.x, c.y),
                                   EdgeFunction(c.x, c.y, a.x, a.y)};
    ScanSmall(edges, firstRow, lastRow, firstColumn, lastColumn, sink_);
    return;
  }
  RowBounds bounds;
  bounds.Add(a.x, a.y, b.x, b.y, firstRow);
  bounds.Add(b.x, b.y, c.x, c.y, firstRow);
  bounds.Add(c.x, c.y, a.x, a.y, firstRow);
  for (std::int64_t row = firstRow; row <= lastRow; ++row) {
    std::int64_t first = area_.x0;
    std::int64_t last = area_.x1 - 1;
    bounds.Row(first, last);
    if (first <= last) sink_.Row(static_cast<int>(row), static_cast<int>(first), static_cast<int>(last + 1));
  }
}

}  // namespace standin::metal
