#include "graphics/renderer/path.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/transform.h"
#include "graphics/renderer/vector_context.h"

namespace {

constexpr float kTwoPi = VC_PI * 2.0f;
constexpr float kHalfPi = VC_PI * 0.5f;
constexpr int kMaxArcSegments = 5;
constexpr int kArcFloats = 3 + kMaxArcSegments * 7;
// Rounded corners below this radius are square.
constexpr float kMinCornerRadius = 0.1f;
// How far inside a corner its cubic's control points lie, per radius.
constexpr float kCornerControl = 1.0f - VC_KAPPA90;
// An arc-to whose tangent points lie further from the corner is a line.
constexpr float kMaxArcToTangentDistance = 10000.0f;

// Floats taken by each command, its code included.
int CommandSize(int code) {
  switch (code) {
    case VC_MOVETO:
    case VC_LINETO:
      return 3;
    case VC_BEZIERTO:
      return 7;
    case VC_WINDING:
      return 2;
    default:
      return 1;
  }
}

int PointCount(int code) {
  switch (code) {
    case VC_MOVETO:
    case VC_LINETO:
      return 1;
    case VC_BEZIERTO:
      return 3;
    default:
      return 0;
  }
}

bool GrowCommands(VCcontext* ctx, int nvals) {
  if (ctx->ncommands + nvals <= ctx->ccommands) return true;
  const int capacity = ctx->ncommands + nvals + ctx->ccommands / 2;
  void* commands = vc__realloc(ctx->commands, sizeof(float) * std::size_t(capacity));
  if (!commands) return false;
  ctx->commands = static_cast<float*>(commands);
  ctx->ccommands = capacity;
  return true;
}

template <std::size_t N>
void Append(VCcontext* ctx, float (&vals)[N]) {
  vc__appendCommands(ctx, vals, static_cast<int>(N));
}

// Squared distance from (x, y) to the segment (px, py)-(qx, qy).
float DistancePointSegmentSquared(float x, float y, float px, float py, float qx, float qy) {
  const float pqx = qx - px;
  const float pqy = qy - py;
  float dx = x - px;
  float dy = y - py;
  const float d = pqx * pqx + pqy * pqy;
  float t = pqx * dx + pqy * dy;
  if (d > 0) t /= d;
  t = std::clamp(t, 0.0f, 1.0f);
  dx = px + t * pqx - x;
  dy = py + t * pqy - y;
  return dx * dx + dy * dy;
}

// The signed sweep of an arc, within one turn, in its direction.
float ArcSweep(float a0, float a1, int dir) {
  float da = a1 - a0;
  if (dir == VC_CW) {
    if (std::fabs(da) >= kTwoPi) return kTwoPi;
    while (da < 0.0f) da += kTwoPi;
  } else {
    if (std::fabs(da) >= kTwoPi) return -kTwoPi;
    while (da > 0.0f) da -= kTwoPi;
  }
  return da;
}

float SignOf(float v) { return v >= 0.0f ? 1.0f : -1.0f; }

}  // namespace

void vc__appendCommands(VCcontext* ctx, float* vals, int nvals) {
  if (nvals <= 0 || !GrowCommands(ctx, nvals)) return;
  const int first = static_cast<int>(vals[0]);
  if (first != VC_CLOSE && first != VC_WINDING) {
    ctx->commandx = vals[nvals - 2];
    ctx->commandy = vals[nvals - 1];
  }
  const float* xform = vc__getState(ctx)->xform;
  for (int i = 0; i < nvals;) {
    const int code = static_cast<int>(vals[i]);
    for (int p = 0; p < PointCount(code); ++p) {
      float* point = &vals[i + 1 + 2 * p];
      vcTransformPoint(&point[0], &point[1], xform, point[0], point[1]);
    }
    i += CommandSize(code);
  }
  std::memcpy(&ctx->commands[ctx->ncommands], vals, sizeof(float) * std::size_t(nvals));
  ctx->ncommands += nvals;
}

void vcBeginPath(VCcontext* ctx) {
  ctx->ncommands = 0;
  vc__clearPathCache(ctx->cache);
}

void vcMoveTo(VCcontext* ctx, float x, float y) {
  float vals[] = {float(VC_MOVETO), x, y};
  Append(ctx, vals);
}

void vcLineTo(VCcontext* ctx, float x, float y) {
  float vals[] = {float(VC_LINETO), x, y};
  Append(ctx, vals);
}

void vcBezierTo(VCcontext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y) {
  float vals[] = {float(VC_BEZIERTO), c1x, c1y, c2x, c2y, x, y};
  Append(ctx, vals);
}

void vcQuadTo(VCcontext* ctx, float cx, float cy, float x, float y) {
  const float x0 = ctx->commandx;
  const float y0 = ctx->commandy;
  constexpr float twoThirds = 2.0f / 3.0f;
  vcBezierTo(ctx, x0 + twoThirds * (cx - x0), y0 + twoThirds * (cy - y0), x + twoThirds * (cx - x),
             y + twoThirds * (cy - y), x, y);
}

void vcClosePath(VCcontext* ctx) {
  float vals[] = {float(VC_CLOSE)};
  Append(ctx, vals);
}

void vcPathWinding(VCcontext* ctx, int dir) {
  float vals[] = {float(VC_WINDING), float(dir)};
  Append(ctx, vals);
}

void vcArc(VCcontext* ctx, float cx, float cy, float r, float a0, float a1, int dir) {
  // A non-finite argument would make every point NaN and the segment count
  // undefined.
  for (const float v : {cx, cy, r, a0, a1}) {
    if (!std::isfinite(v)) return;
  }
  const float da = ArcSweep(a0, a1, dir);
  const int ndivs = std::clamp(static_cast<int>(std::fabs(da) / kHalfPi + 0.5f), 1, kMaxArcSegments);
  const float hda = (da / float(ndivs)) / 2.0f;
  // An arc of no sweep gets control points on its end points, not 0 / 0.
  const float sinHalf = std::sin(hda);
  float kappa = sinHalf == 0.0f ? 0.0f : std::fabs(4.0f / 3.0f * (1.0f - std::cos(hda)) / sinHalf);
  if (dir == VC_CCW) kappa = -kappa;

  float vals[kArcFloats];
  int nvals = 0;
  float px = 0.0f;
  float py = 0.0f;
  float ptanx = 0.0f;
  float ptany = 0.0f;
  for (int i = 0; i <= ndivs; ++i) {
    const float a = a0 + da * (float(i) / float(ndivs));
    const float dx = std::cos(a);
    const float dy = std::sin(a);
    const float x = cx + dx * r;
    const float y = cy + dy * r;
    const float tanx = -dy * r * kappa;
    const float tany = dx * r * kappa;
    if (i == 0) {
      vals[nvals++] = float(ctx->ncommands > 0 ? VC_LINETO : VC_MOVETO);
      vals[nvals++] = x;
      vals[nvals++] = y;
    } else {
      const float segment[] = {float(VC_BEZIERTO), px + ptanx, py + ptany, x - tanx, y - tany, x, y};
      std::copy(std::begin(segment), std::end(segment), &vals[nvals]);
      nvals += static_cast<int>(std::size(segment));
    }
    px = x;
    py = y;
    ptanx = tanx;
    ptany = tany;
  }
  vc__appendCommands(ctx, vals, nvals);
}

void vcArcTo(VCcontext* ctx, float x1, float y1, float x2, float y2, float radius) {
  if (ctx->ncommands == 0) return;
  const float x0 = ctx->commandx;
  const float y0 = ctx->commandy;
  const float tol = ctx->distTol;
  if (vc__ptEquals(x0, y0, x1, y1, tol) || vc__ptEquals(x1, y1, x2, y2, tol) ||
      DistancePointSegmentSquared(x1, y1, x0, y0, x2, y2) < tol * tol || radius < tol) {
    vcLineTo(ctx, x1, y1);
    return;
  }
  float dx0 = x0 - x1;
  float dy0 = y0 - y1;
  float dx1 = x2 - x1;
  float dy1 = y2 - y1;
  vc__normalize(&dx0, &dy0);
  vc__normalize(&dx1, &dy1);
  // Rounding can push the cosine of two unit vectors past 1.
  const float a = std::acos(std::clamp(dx0 * dx1 + dy0 * dy1, -1.0f, 1.0f));
  const float d = radius / std::tan(a / 2.0f);
  if (d > kMaxArcToTangentDistance) {
    vcLineTo(ctx, x1, y1);
    return;
  }
  if (dx1 * dy0 - dx0 * dy1 > 0.0f) {
    const float cx = x1 + dx0 * d + dy0 * radius;
    const float cy = y1 + dy0 * d - dx0 * radius;
    vcArc(ctx, cx, cy, radius, std::atan2(dx0, -dy0), std::atan2(-dx1, dy1), VC_CW);
  } else {
    const float cx = x1 + dx0 * d - dy0 * radius;
    const float cy = y1 + dy0 * d + dx0 * radius;
    vcArc(ctx, cx, cy, radius, std::atan2(-dx0, dy0), std::atan2(dx1, -dy1), VC_CCW);
  }
}

void vcRect(VCcontext* ctx, float x, float y, float w, float h) {
  float vals[] = {
      float(VC_MOVETO), x, y,
      float(VC_LINETO), x, y + h,
      float(VC_LINETO), x + w, y + h,
      float(VC_LINETO), x + w, y,
      float(VC_CLOSE),
  };
  Append(ctx, vals);
}

void vcRoundedRect(VCcontext* ctx, float x, float y, float w, float h, float r) {
  vcRoundedRectVarying(ctx, x, y, w, h, r, r, r, r);
}

void vcRoundedRectVarying(VCcontext* ctx, float x, float y, float w, float h, float radTopLeft, float radTopRight,
                          float radBottomRight, float radBottomLeft) {
  if (radTopLeft < kMinCornerRadius && radTopRight < kMinCornerRadius && radBottomRight < kMinCornerRadius &&
      radBottomLeft < kMinCornerRadius) {
    vcRect(ctx, x, y, w, h);
    return;
  }
  const float halfw = std::fabs(w) * 0.5f;
  const float halfh = std::fabs(h) * 0.5f;
  const float signw = SignOf(w);
  const float signh = SignOf(h);
  const float rxBL = std::min(radBottomLeft, halfw) * signw, ryBL = std::min(radBottomLeft, halfh) * signh;
  const float rxBR = std::min(radBottomRight, halfw) * signw, ryBR = std::min(radBottomRight, halfh) * signh;
  const float rxTR = std::min(radTopRight, halfw) * signw, ryTR = std::min(radTopRight, halfh) * signh;
  const float rxTL = std::min(radTopLeft, halfw) * signw, ryTL = std::min(radTopLeft, halfh) * signh;
  constexpr float k = kCornerControl;
  float vals[] = {
      float(VC_MOVETO), x, y + ryTL,
      float(VC_LINETO), x, y + h - ryBL,
      float(VC_BEZIERTO), x, y + h - ryBL * k, x + rxBL * k, y + h, x + rxBL, y + h,
      float(VC_LINETO), x + w - rxBR, y + h,
      float(VC_BEZIERTO), x + w - rxBR * k, y + h, x + w, y + h - ryBR * k, x + w, y + h - ryBR,
      float(VC_LINETO), x + w, y + ryTR,
      float(VC_BEZIERTO), x + w, y + ryTR * k, x + w - rxTR * k, y, x + w - rxTR, y,
      float(VC_LINETO), x + rxTL, y,
      float(VC_BEZIERTO), x + rxTL * k, y, x, y + ryTL * k, x, y + ryTL,
      float(VC_CLOSE),
  };
  Append(ctx, vals);
}

void vcEllipse(VCcontext* ctx, float cx, float cy, float rx, float ry) {
  constexpr float k = VC_KAPPA90;
  float vals[] = {
      float(VC_MOVETO), cx - rx, cy,
      float(VC_BEZIERTO), cx - rx, cy + ry * k, cx - rx * k, cy + ry, cx, cy + ry,
      float(VC_BEZIERTO), cx + rx * k, cy + ry, cx + rx, cy + ry * k, cx + rx, cy,
      float(VC_BEZIERTO), cx + rx, cy - ry * k, cx + rx * k, cy - ry, cx, cy - ry,
      float(VC_BEZIERTO), cx - rx * k, cy - ry, cx - rx, cy - ry * k, cx - rx, cy,
      float(VC_CLOSE),
  };
  Append(ctx, vals);
}

void vcCircle(VCcontext* ctx, float cx, float cy, float r) { vcEllipse(ctx, cx, cy, r, r); }

bool vc__ptEquals(float x1, float y1, float x2, float y2, float tol) {
  const float dx = x2 - x1;
  const float dy = y2 - y1;
  return dx * dx + dy * dy < tol * tol;
}

float vc__normalize(float* x, float* y) {
  const float d = std::sqrt(*x * *x + *y * *y);
  if (d > VC_MIN_VECTOR_LENGTH) {
    const float id = 1.0f / d;
    *x *= id;
    *y *= id;
  }
  return d;
}
