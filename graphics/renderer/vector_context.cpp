#include "graphics/renderer/vector_context.h"

#include <cstring>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/color.h"
#include "graphics/renderer/image.h"
#include "graphics/renderer/paint.h"
#include "graphics/renderer/text.h"
#include "graphics/renderer/text_align.h"
#include "graphics/renderer/transform.h"

namespace {

// Tolerances at device pixel ratio 1, divided by the ratio.
constexpr float kTessellationTolerance = 0.25f;
constexpr float kDistanceTolerance = 0.01f;
constexpr float kFringeWidth = 1.0f;

constexpr float kDefaultStrokeWidth = 1.0f;
constexpr float kDefaultMiterLimit = 10.0f;
constexpr float kDefaultFontSize = 16.0f;
constexpr int kDefaultTextAlign = VC_ALIGN_LEFT | VC_ALIGN_BASELINE;

void SetDevicePixelRatio(VCcontext* ctx, float ratio) {
  ctx->tessTol = kTessellationTolerance / ratio;
  ctx->distTol = kDistanceTolerance / ratio;
  ctx->fringeWidth = kFringeWidth / ratio;
  ctx->devicePxRatio = ratio;
}

// Deletes a context whose back end was never asked to create itself, so it
// is not asked to delete itself either.
VCcontext* DeleteBeforeBackEnd(VCcontext* ctx) {
  ctx->params.renderDelete = nullptr;
  vcDeleteInternal(ctx);
  return nullptr;
}

VCcontext* DeleteAfterBackEnd(VCcontext* ctx) {
  vcDeleteInternal(ctx);
  return nullptr;
}

// Deletes the font images in slots 0 to current - 1 that are smaller than
// `width` x `height` and moves the others, in order, to the front; their count.
int KeepFontImagesAtLeast(VCcontext* ctx, int current, int width, int height) {
  int kept = 0;
  for (int i = 0; i < current; ++i) {
    const int image = ctx->fontImages[i];
    if (image == 0) continue;
    ctx->fontImages[i] = 0;
    int w = 0;
    int h = 0;
    vcImageSize(ctx, image, &w, &h);
    if (w < width || h < height) {
      vcDeleteImage(ctx, image);
    } else {
      ctx->fontImages[kept++] = image;
    }
  }
  return kept;
}

// After a frame that grew the font image, the newest image becomes image 0,
// followed by the older ones that are not smaller than it.
void CompactFontImages(VCcontext* ctx) {
  const int current = ctx->fontImageIdx;
  const int newest = ctx->fontImages[current];
  ctx->fontImages[current] = 0;
  if (newest == 0) return;
  int width = 0;
  int height = 0;
  vcImageSize(ctx, newest, &width, &height);
  const int kept = KeepFontImagesAtLeast(ctx, current, width, height);
  ctx->fontImages[kept] = ctx->fontImages[0];
  ctx->fontImages[0] = newest;
  ctx->fontImageIdx = 0;
  for (int i = kept + 1; i < VC_MAX_FONTIMAGES; ++i) ctx->fontImages[i] = 0;
}

}  // namespace

VCcontext* vcCreateInternal(const VCparams* params) {
  VCcontext* ctx = static_cast<VCcontext*>(vc__alloc(sizeof(VCcontext)));
  if (!ctx) return nullptr;
  std::memset(ctx, 0, sizeof(VCcontext));
  ctx->params = *params;

  ctx->commands = static_cast<float*>(vc__alloc(sizeof(float) * VC_INIT_COMMANDS_SIZE));
  if (!ctx->commands) return DeleteBeforeBackEnd(ctx);
  ctx->ccommands = VC_INIT_COMMANDS_SIZE;
  ctx->ncommands = 0;

  ctx->cache = vc__allocPathCache();
  if (!ctx->cache) return DeleteBeforeBackEnd(ctx);

  vcSave(ctx);
  vcReset(ctx);
  SetDevicePixelRatio(ctx, 1.0f);

  if (ctx->params.renderCreate(ctx->params.userPtr) == 0) return DeleteAfterBackEnd(ctx);

  FAparams fontParams{};
  fontParams.width = VC_INIT_FONTIMAGE_SIZE;
  fontParams.height = VC_INIT_FONTIMAGE_SIZE;
  fontParams.flags = FA_ZERO_TOPLEFT;
  ctx->fs = faCreateInternal(&fontParams);
  if (!ctx->fs) return DeleteAfterBackEnd(ctx);
  vc__setUpFontAtlas(ctx);

  ctx->fontImages[0] = ctx->params.renderCreateTexture(ctx->params.userPtr, VC_TEXTURE_ALPHA, fontParams.width,
                                                       fontParams.height, 0, nullptr);
  if (ctx->fontImages[0] == 0) return DeleteAfterBackEnd(ctx);
  ctx->fontImageIdx = 0;
  return ctx;
}

void vcDeleteInternal(VCcontext* ctx) {
  if (!ctx) return;
  vc__free(ctx->commands);
  vc__deletePathCache(ctx->cache);
  faDeleteInternal(ctx->fs);
  for (int& image : ctx->fontImages) {
    if (image != 0) {
      vcDeleteImage(ctx, image);
      image = 0;
    }
  }
  if (ctx->params.renderDelete) ctx->params.renderDelete(ctx->params.userPtr);
  vc__free(ctx);
}

void vcBeginFrame(VCcontext* ctx, float windowWidth, float windowHeight, float devicePixelRatio) {
  ctx->nstates = 0;
  vcSave(ctx);
  vcReset(ctx);
  SetDevicePixelRatio(ctx, devicePixelRatio);
  ctx->params.renderViewport(ctx->params.userPtr, windowWidth, windowHeight, devicePixelRatio);
  ctx->drawCallCount = 0;
  ctx->fillTriCount = 0;
  ctx->strokeTriCount = 0;
  ctx->textTriCount = 0;
}

void vcCancelFrame(VCcontext* ctx) { ctx->params.renderCancel(ctx->params.userPtr); }

void vcEndFrame(VCcontext* ctx) {
  ctx->params.renderFlush(ctx->params.userPtr);
  if (ctx->fontImageIdx != 0) CompactFontImages(ctx);
}

void vcSave(VCcontext* ctx) {
  if (ctx->nstates >= VC_MAX_STATES) return;
  if (ctx->nstates > 0) ctx->states[ctx->nstates] = ctx->states[ctx->nstates - 1];
  ++ctx->nstates;
}

void vcRestore(VCcontext* ctx) {
  if (ctx->nstates <= 1) return;
  --ctx->nstates;
}

void vcReset(VCcontext* ctx) {
  VCstate* state = vc__getState(ctx);
  std::memset(state, 0, sizeof(VCstate));
  state->compositeOperation = vc__compositeOperationState(VC_SOURCE_OVER);
  state->shapeAntiAlias = 1;
  vc__setPaintColor(&state->fill, vcRGBA(255, 255, 255, 255));
  vc__setPaintColor(&state->stroke, vcRGBA(0, 0, 0, 255));
  state->strokeWidth = kDefaultStrokeWidth;
  state->miterLimit = kDefaultMiterLimit;
  state->lineJoin = VC_MITER;
  state->lineCap = VC_BUTT;
  state->alpha = 1.0f;
  vcTransformIdentity(state->xform);
  state->scissor.extent[0] = -1.0f;
  state->scissor.extent[1] = -1.0f;
  state->fontSize = kDefaultFontSize;
  state->letterSpacing = 0.0f;
  state->lineHeight = 1.0f;
  state->fontBlur = 0.0f;
  state->textAlign = kDefaultTextAlign;
  state->fontId = 0;
}

void vcShapeAntiAlias(VCcontext* ctx, int enabled) { vc__getState(ctx)->shapeAntiAlias = enabled; }
void vcStrokeWidth(VCcontext* ctx, float width) { vc__getState(ctx)->strokeWidth = width; }
void vcMiterLimit(VCcontext* ctx, float limit) { vc__getState(ctx)->miterLimit = limit; }
void vcLineCap(VCcontext* ctx, int cap) { vc__getState(ctx)->lineCap = cap; }
void vcLineJoin(VCcontext* ctx, int join) { vc__getState(ctx)->lineJoin = join; }
void vcGlobalAlpha(VCcontext* ctx, float alpha) { vc__getState(ctx)->alpha = alpha; }

VCstate* vc__getState(VCcontext* ctx) { return &ctx->states[ctx->nstates - 1]; }
