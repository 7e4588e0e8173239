#include "graphics/renderer/tessellation.h"

#include <algorithm>

#include "graphics/renderer/paint.h"
#include "graphics/renderer/transform.h"
#include "graphics/renderer/vector_context.h"

namespace {

// Fills join with miters cut at this limit, whatever the state's.
constexpr float kFillMiterLimit = 2.4f;
constexpr float kMaxStrokeWidth = 200.0f;

float ClampStrokeWidth(float width) {
  if (!(width > 0.0f)) return 0.0f;  // NaN too
  return std::min(width, kMaxStrokeWidth);
}

// The width of the fringe when the back end and the state both anti-alias.
float AntiAliasFringe(VCcontext* ctx) {
  return ctx->params.edgeAntiAlias && vc__getState(ctx)->shapeAntiAlias ? ctx->fringeWidth : 0.0f;
}

// Triangles of a fan or strip of n vertices.
int Triangles(int n) { return std::max(n - 2, 0); }

}  // namespace

void vcFill(VCcontext* ctx) {
  const VCstate* state = vc__getState(ctx);
  VCpaint paint = state->fill;
  vc__flattenPaths(ctx);
  vc__expandFill(ctx, AntiAliasFringe(ctx), VC_MITER, kFillMiterLimit);
  vc__multiplyPaintAlpha(&paint, state->alpha);
  const VCpathCache* cache = ctx->cache;
  ctx->params.renderFill(ctx->params.userPtr, &paint, state->compositeOperation, &state->scissor, ctx->fringeWidth,
                         cache->bounds, cache->paths, cache->npaths);
  for (int i = 0; i < cache->npaths; ++i) {
    ctx->fillTriCount += Triangles(cache->paths[i].nfill) + Triangles(cache->paths[i].nstroke);
    ctx->drawCallCount += 2;
  }
}

void vcStroke(VCcontext* ctx) {
  const VCstate* state = vc__getState(ctx);
  float strokeWidth = ClampStrokeWidth(state->strokeWidth * vc__getAverageScale(state->xform));
  VCpaint paint = state->stroke;
  if (strokeWidth < ctx->fringeWidth) {
    // A line thinner than the fringe fades instead of thinning.
    const float coverage = std::clamp(strokeWidth / ctx->fringeWidth, 0.0f, 1.0f);
    vc__multiplyPaintAlpha(&paint, coverage * coverage);
    strokeWidth = ctx->fringeWidth;
  }
  vc__multiplyPaintAlpha(&paint, state->alpha);
  vc__flattenPaths(ctx);
  vc__expandStroke(ctx, strokeWidth * 0.5f, AntiAliasFringe(ctx), state->lineCap, state->lineJoin,
                   state->miterLimit);
  const VCpathCache* cache = ctx->cache;
  ctx->params.renderStroke(ctx->params.userPtr, &paint, state->compositeOperation, &state->scissor,
                           ctx->fringeWidth, strokeWidth, cache->paths, cache->npaths);
  for (int i = 0; i < cache->npaths; ++i) {
    ctx->strokeTriCount += Triangles(cache->paths[i].nstroke);
    ctx->drawCallCount += 1;
  }
}
