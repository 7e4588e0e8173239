#include "graphics/renderer/metal/metal_backend.h"

#include <new>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/image.h"
#include "graphics/renderer/metal/metal_context.h"

namespace {

// The framebuffer the next flush renders into, for every context of the process.
MVCframebuffer* gBoundFramebuffer = nullptr;

MVCcontext_vOrvane_au* BackEnd(void* userPtr) { return static_cast<MVCcontext_vOrvane_au*>(userPtr); }
MVCcontext_vOrvane_au* BackEnd(VCcontext* ctx) { return BackEnd(ctx->params.userPtr); }

// ---- The back-end table: each passes its arguments to the method of that name.

int RenderCreate(void* uptr) { return BackEnd(uptr)->renderCreate(); }

int RenderCreateTexture(void* uptr, int type, int width, int height, int imageFlags, const unsigned char* data) {
  return BackEnd(uptr)->renderCreateTextureWithTypeWidthHeightImageFlagsData(type, width, height, imageFlags, data);
}

int RenderDeleteTexture(void* uptr, int image) { return BackEnd(uptr)->renderDeleteTexture(image); }

int RenderUpdateTexture(void* uptr, int image, int x, int y, int width, int height, const unsigned char* data) {
  return BackEnd(uptr)->renderUpdateTextureWithImageXYWidthHeightData(image, x, y, width, height, data);
}

int RenderGetTextureSize(void* uptr, int image, int* width, int* height) {
  return BackEnd(uptr)->renderGetTextureSizeForImageWidthHeight(image, width, height);
}

void RenderViewport(void* uptr, float width, float height, float devicePixelRatio) {
  BackEnd(uptr)->renderViewportWithWidthHeightDevicePixelRatio(width, height, devicePixelRatio);
}

void RenderCancel(void* uptr) { BackEnd(uptr)->renderCancel(); }

void RenderFlush(void* uptr) { BackEnd(uptr)->renderFlush(); }

void RenderFill(void* uptr, const VCpaint* paint, VCcompositeOperationState compositeOperation,
                const VCscissor* scissor, float fringe, const float* bounds, const VCpath* paths, int npaths) {
  BackEnd(uptr)->renderFillWithPaintCompositeOperationScissorFringeBoundsPathsNpaths(
      paint, compositeOperation, scissor, fringe, bounds, paths, npaths);
}

void RenderStroke(void* uptr, const VCpaint* paint, VCcompositeOperationState compositeOperation,
                  const VCscissor* scissor, float fringe, float strokeWidth, const VCpath* paths, int npaths) {
  BackEnd(uptr)->renderStrokeWithPaintCompositeOperationScissorFringeStrokeWidthPathsNpaths(
      paint, compositeOperation, scissor, fringe, strokeWidth, paths, npaths);
}

void RenderTriangles(void* uptr, const VCpaint* paint, VCcompositeOperationState compositeOperation,
                     const VCscissor* scissor, const VCvertex* verts, int nverts, float fringe) {
  BackEnd(uptr)->renderTrianglesWithPaintCompositeOperationScissorVertsNvertsFringe(paint, compositeOperation,
                                                                                    scissor, verts, nverts, fringe);
}

// The last call of a context's back end: it releases the object too.
void RenderDelete(void* uptr) {
  MVCcontext_vOrvane_au* backEnd = BackEnd(uptr);
  backEnd->renderDelete();
  backEnd->release();
}

}  // namespace

VCcontext* mvcCreateContext(CA::MetalLayer* metalLayer, int flags) {
  // Ours, until the core's table takes over the reference its renderDelete releases.
  auto backEnd = NS::Ref<MVCcontext_vOrvane_au>::Adopt(new MVCcontext_vOrvane_au(metalLayer, flags));
  VCparams params{};
  params.userPtr = backEnd.get();
  params.edgeAntiAlias = flags & VC_ANTIALIAS;
  params.renderCreate = RenderCreate;
  params.renderCreateTexture = RenderCreateTexture;
  params.renderDeleteTexture = RenderDeleteTexture;
  params.renderUpdateTexture = RenderUpdateTexture;
  params.renderGetTextureSize = RenderGetTextureSize;
  params.renderViewport = RenderViewport;
  params.renderCancel = RenderCancel;
  params.renderFlush = RenderFlush;
  params.renderFill = RenderFill;
  params.renderStroke = RenderStroke;
  params.renderTriangles = RenderTriangles;
  params.renderDelete = RenderDelete;
  backEnd->retain();  // the table's
  VCcontext* ctx = vcCreateInternal(&params);
  // The core failed before it ever called the back end, so it never deleted it.
  if (ctx == nullptr && backEnd->retainCount() > 1) backEnd->release();
  return ctx;
}

void mvcDeleteContext(VCcontext* ctx) { vcDeleteInternal(ctx); }

void mvcBindFramebuffer(MVCframebuffer* framebuffer) { gBoundFramebuffer = framebuffer; }

MVCframebuffer* mvcBoundFramebuffer() { return gBoundFramebuffer; }

MVCframebuffer* mvcCreateFramebuffer(VCcontext* ctx, int width, int height, int imageFlags) {
  void* memory = vc__alloc(sizeof(MVCframebuffer));
  if (memory == nullptr) return nullptr;
  auto* framebuffer = new (memory) MVCframebuffer{ctx, 0};
  framebuffer->image = BackEnd(ctx)->renderCreateTextureWithTypeWidthHeightImageFlagsData(
      VC_TEXTURE_RGBA, width, height, imageFlags | VC_IMAGE_PREMULTIPLIED, nullptr);
  return framebuffer;
}

void mvcDeleteFramebuffer(MVCframebuffer* framebuffer) {
  if (framebuffer == nullptr) return;
  if (gBoundFramebuffer == framebuffer) gBoundFramebuffer = nullptr;  // the next flush must not read it
  if (framebuffer->image >= 1) vcDeleteImage(framebuffer->ctx, framebuffer->image);
  vc__free(framebuffer);
}

void mvcClearWithColor(VCcontext* ctx, float r, float g, float b, float a) {
  MVCcontext_vOrvane_au* backEnd = BackEnd(ctx);
  backEnd->setClearColor(MTLClearColorMake(r * a, g * a, b * a, a));
  backEnd->setClearBufferOnFlush(true);
}

MTL::CommandQueue* mvcCommandQueue(VCcontext* ctx) { return BackEnd(ctx)->commandQueue(); }

MTL::Device* mvcDevice(VCcontext* ctx) {
  CA::MetalLayer* layer = BackEnd(ctx)->metalLayer();
  return layer != nullptr ? layer->device() : nullptr;
}

int mvcCreateImageFromTexture(VCcontext* ctx, MTL::Texture* texture, int imageFlags) {
  MVCtexture_vOrvane_au* record = BackEnd(ctx)->allocTexture();
  record->type = VC_TEXTURE_RGBA;
  record->flags = imageFlags;
  record->tex = NS::Ref<MTL::Texture>::Retain(texture);
  return record->id;
}

MTL::Texture* mvcImageTexture(VCcontext* ctx, int image) {
  MVCcontext_vOrvane_au* backEnd = BackEnd(ctx);
  backEnd->waitForFramesRenderingIntoImage(image);
  const MVCtexture_vOrvane_au* record = backEnd->findTexture(image);
  return record != nullptr ? record->tex.get() : nullptr;
}

void mvcReadPixels(VCcontext* ctx, int image, int x, int y, int width, int height, void* data) {
  MVCcontext_vOrvane_au* backEnd = BackEnd(ctx);
  backEnd->waitForFramesRenderingIntoImage(image);
  const MVCtexture_vOrvane_au* record = backEnd->findTexture(image);
  if (record == nullptr || !record->tex || data == nullptr) return;
  MTL::Texture* texture = record->tex.get();
  const bool inside = x >= 0 && y >= 0 && width > 0 && height > 0 &&
                      static_cast<NS::UInteger>(x) + static_cast<NS::UInteger>(width) <= texture->width() &&
                      static_cast<NS::UInteger>(y) + static_cast<NS::UInteger>(height) <= texture->height();
  if (!inside) return;
  const NS::UInteger bytesPerPixel = record->type == VC_TEXTURE_RGBA ? 4 : 1;
  texture->getBytesBytesPerRowFromRegionMipmapLevel(data, texture->width() * bytesPerPixel,
                                                    MTLRegionMake2D(x, y, width, height), 0);
}
