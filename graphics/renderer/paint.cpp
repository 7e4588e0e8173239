#include "graphics/renderer/paint.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "graphics/renderer/transform.h"
#include "graphics/renderer/vector_context.h"

namespace {

// A linear gradient is a box this far from its start line, so only one of its
// edges shows.
constexpr float kLinearGradientReach = 1e5f;
constexpr float kCoincidentEnds = 0.0001f;
constexpr float kMinFeather = 1.0f;

// Source and destination factors of each composite operation.
struct BlendPair {
  int src;
  int dst;
};
constexpr BlendPair kCompositeFactors[] = {
    {VC_ONE, VC_ONE_MINUS_SRC_ALPHA},                  // source-over
    {VC_DST_ALPHA, VC_ZERO},                           // source-in
    {VC_ONE_MINUS_DST_ALPHA, VC_ZERO},                 // source-out
    {VC_DST_ALPHA, VC_ONE_MINUS_SRC_ALPHA},            // atop
    {VC_ONE_MINUS_DST_ALPHA, VC_ONE},                  // destination-over
    {VC_ZERO, VC_SRC_ALPHA},                           // destination-in
    {VC_ZERO, VC_ONE_MINUS_SRC_ALPHA},                 // destination-out
    {VC_ONE_MINUS_DST_ALPHA, VC_SRC_ALPHA},            // destination-atop
    {VC_ONE, VC_ONE},                                  // lighter
    {VC_ONE, VC_ZERO},                                 // copy
    {VC_ONE_MINUS_DST_ALPHA, VC_ONE_MINUS_SRC_ALPHA},  // xor
};
constexpr unsigned int kCompositeOperationCount = std::size(kCompositeFactors);

VCpaint ZeroPaint() {
  VCpaint paint;
  std::memset(&paint, 0, sizeof(paint));
  return paint;
}

VCpaint Gradient(float cx, float cy, float ex, float ey, float radius, float feather, VCcolor icol, VCcolor ocol) {
  VCpaint paint = ZeroPaint();
  vcTransformTranslate(paint.xform, cx, cy);
  paint.extent[0] = ex;
  paint.extent[1] = ey;
  paint.radius = radius;
  paint.feather = std::max(kMinFeather, feather);
  paint.innerColor = icol;
  paint.outerColor = ocol;
  return paint;
}

void SetPaint(VCcontext* ctx, VCpaint* target, const VCpaint& paint) {
  *target = paint;
  vcTransformMultiply(target->xform, vc__getState(ctx)->xform);
}

}  // namespace

VCpaint vcLinearGradient(VCcontext*, float sx, float sy, float ex, float ey, VCcolor icol, VCcolor ocol) {
  float dx = ex - sx;
  float dy = ey - sy;
  const float d = std::sqrt(dx * dx + dy * dy);
  if (d > kCoincidentEnds) {
    dx /= d;
    dy /= d;
  } else {
    dx = 0.0f;
    dy = 1.0f;
  }
  constexpr float large = kLinearGradientReach;
  VCpaint paint = Gradient(0.0f, 0.0f, large, large + d * 0.5f, 0.0f, d, icol, ocol);
  paint.xform[0] = dy;
  paint.xform[1] = -dx;
  paint.xform[2] = dx;
  paint.xform[3] = dy;
  paint.xform[4] = sx - dx * large;
  paint.xform[5] = sy - dy * large;
  return paint;
}

VCpaint vcRadialGradient(VCcontext*, float cx, float cy, float inr, float outr, VCcolor icol, VCcolor ocol) {
  const float r = (inr + outr) * 0.5f;
  return Gradient(cx, cy, r, r, r, outr - inr, icol, ocol);
}

VCpaint vcBoxGradient(VCcontext*, float x, float y, float w, float h, float r, float f, VCcolor icol, VCcolor ocol) {
  return Gradient(x + w * 0.5f, y + h * 0.5f, w * 0.5f, h * 0.5f, r, f, icol, ocol);
}

VCpaint vcImagePattern(VCcontext*, float ox, float oy, float ex, float ey, float angle, int image, float alpha) {
  VCpaint paint = ZeroPaint();
  vcTransformRotate(paint.xform, angle);
  paint.xform[4] = ox;
  paint.xform[5] = oy;
  paint.extent[0] = ex;
  paint.extent[1] = ey;
  paint.image = image;
  paint.innerColor.r = paint.innerColor.g = paint.innerColor.b = 1.0f;
  paint.innerColor.a = alpha;
  paint.outerColor = paint.innerColor;
  return paint;
}

void vcFillColor(VCcontext* ctx, VCcolor color) { vc__setPaintColor(&vc__getState(ctx)->fill, color); }

void vcStrokeColor(VCcontext* ctx, VCcolor color) { vc__setPaintColor(&vc__getState(ctx)->stroke, color); }

void vcFillPaint(VCcontext* ctx, VCpaint paint) { SetPaint(ctx, &vc__getState(ctx)->fill, paint); }

void vcStrokePaint(VCcontext* ctx, VCpaint paint) { SetPaint(ctx, &vc__getState(ctx)->stroke, paint); }

void vcScissor(VCcontext* ctx, float x, float y, float w, float h) {
  VCstate* state = vc__getState(ctx);
  w = std::max(0.0f, w);
  h = std::max(0.0f, h);
  vcTransformTranslate(state->scissor.xform, x + w * 0.5f, y + h * 0.5f);
  vcTransformMultiply(state->scissor.xform, state->xform);
  state->scissor.extent[0] = w * 0.5f;
  state->scissor.extent[1] = h * 0.5f;
}

void vcIntersectScissor(VCcontext* ctx, float x, float y, float w, float h) {
  const VCstate* state = vc__getState(ctx);
  if (state->scissor.extent[0] < 0) {
    vcScissor(ctx, x, y, w, h);
    return;
  }
  // The current scissor in the current coordinates, and its axis-aligned
  // half size there.
  float pxform[6];
  float invxform[6];
  std::memcpy(pxform, state->scissor.xform, sizeof(pxform));
  const float ex = state->scissor.extent[0];
  const float ey = state->scissor.extent[1];
  vcTransformInverse(invxform, state->xform);
  vcTransformMultiply(pxform, invxform);
  const float tex = ex * std::fabs(pxform[0]) + ey * std::fabs(pxform[2]);
  const float tey = ex * std::fabs(pxform[1]) + ey * std::fabs(pxform[3]);

  const float minx = std::max(pxform[4] - tex, x);
  const float miny = std::max(pxform[5] - tey, y);
  const float maxx = std::min(pxform[4] + tex, x + w);
  const float maxy = std::min(pxform[5] + tey, y + h);
  vcScissor(ctx, minx, miny, std::max(0.0f, maxx - minx), std::max(0.0f, maxy - miny));
}

void vcResetScissor(VCcontext* ctx) {
  VCstate* state = vc__getState(ctx);
  std::memset(state->scissor.xform, 0, sizeof(state->scissor.xform));
  state->scissor.extent[0] = -1.0f;
  state->scissor.extent[1] = -1.0f;
}

void vcGlobalCompositeOperation(VCcontext* ctx, int op) {
  vc__getState(ctx)->compositeOperation = vc__compositeOperationState(op);
}

void vcGlobalCompositeBlendFunc(VCcontext* ctx, int sfactor, int dfactor) {
  vcGlobalCompositeBlendFuncSeparate(ctx, sfactor, dfactor, sfactor, dfactor);
}

void vcGlobalCompositeBlendFuncSeparate(VCcontext* ctx, int srcRGB, int dstRGB, int srcAlpha, int dstAlpha) {
  vc__getState(ctx)->compositeOperation = {srcRGB, dstRGB, srcAlpha, dstAlpha};
}

void vc__setPaintColor(VCpaint* paint, VCcolor color) {
  *paint = ZeroPaint();
  vcTransformIdentity(paint->xform);
  paint->feather = 1.0f;
  paint->innerColor = color;
  paint->outerColor = color;
}

VCcompositeOperationState vc__compositeOperationState(int op) {
  const unsigned int index = static_cast<unsigned int>(op);
  const BlendPair pair = index < kCompositeOperationCount ? kCompositeFactors[index] : kCompositeFactors[VC_COPY];
  return {pair.src, pair.dst, pair.src, pair.dst};
}

void vc__multiplyPaintAlpha(VCpaint* paint, float alpha) {
  paint->innerColor.a *= alpha;
  paint->outerColor.a *= alpha;
}
