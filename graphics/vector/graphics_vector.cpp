// The vector context's lifetime, frames, render targets and layers.
#include "graphics/vector/graphics_vector.h"

#include <CoreFoundation/CFRunLoop.h>

#include <algorithm>
#include <cstdint>

#include "graphics/renderer/paint.h"
#include "graphics/renderer/path.h"
#include "graphics/renderer/tessellation.h"
#include "graphics/renderer/transform.h"
#include "graphics/vector/vector_conversions.h"

namespace plugkit::graphics {

namespace {

constexpr int kPixelBytes = 4;
constexpr float kOpaqueImage = 1.f;
constexpr IBlend kSourceIn{VC_SOURCE_IN, 1.f};
constexpr int kDestinationOverMethod = VC_DESTINATION_OVER;
constexpr VCcolor kTransparentBlack{};

bool OnMainThread() { return CFRunLoopGetCurrent() == CFRunLoopGetMain(); }

// The window's size in points at the draw scale, as the frames use it.
int ScaledLength(int length, float drawScale) { return static_cast<int>(static_cast<float>(length) * drawScale); }

}  // namespace

IGraphicsVector::IGraphicsVector(IGEditorDelegate& delegate, int width, int height, int fps, float scale)
    : IGraphics(delegate, width, height, fps, scale) {
  StaticStorage<FontData>::Accessor fonts(FontCache());
  fonts->Retain();
}

IGraphicsVector::~IGraphicsVector() {
  if (mContext) IGraphicsVector::DestroyDrawContext();
  DeleteLeftoverLayers();
  {
    StaticStorage<FontData>::Accessor fonts(FontCache());
    fonts->Release();
    DeletePendingFramebuffers();
  }
  StaticStorage<APIBitmap>::Accessor bitmaps(mBitmapCache);
  bitmaps->Clear();
}

// Frames ---------------------------------------------------------------------------

void IGraphicsVector::BeginFrame() {
  mInDraw = true;
  IGraphics::BeginFrame();
  if (!mContext) return;
  BeginMainFrame();
}

void IGraphicsVector::BeginMainFrame() {
  mvcBindFramebuffer(mMainFramebuffer);
  vcBeginFrame(mContext, static_cast<float>(ScaledLength(Width(), GetDrawScale())),
               static_cast<float>(ScaledLength(Height(), GetDrawScale())), GetScreenScale());
}

void IGraphicsVector::EndFrame() {
  if (mContext) {
    vcEndFrame(mContext);
    if (mMainFramebuffer) DrawMainFramebufferToScreen();
  }
  mInDraw = false;
  DeletePendingFramebuffers();
}

// Drawables are recycled and keep an older frame: the pass clears first, so
// the screen shows the framebuffer exactly, transparent parts too.
void IGraphicsVector::DrawMainFramebufferToScreen() {
  mvcBindFramebuffer(nullptr);
  const auto width = static_cast<float>(ScaledLength(Width(), GetDrawScale()));
  const auto height = static_cast<float>(ScaledLength(Height(), GetDrawScale()));
  vcBeginFrame(mContext, width, height, GetScreenScale());
  mvcClearWithColor(mContext, 0.f, 0.f, 0.f, 0.f);
  const VCpaint frame = vcImagePattern(mContext, 0.f, 0.f, width, height, 0.f, mMainFramebuffer->image, kOpaqueImage);
  vcSave(mContext);
  vcResetTransform(mContext);
  vcTranslate(mContext, GetTranslateX(), GetTranslateY());
  vcBeginPath(mContext);
  vcRect(mContext, 0.f, 0.f, width, height);
  vcFillPaint(mContext, frame);
  vcFill(mContext);
  vcRestore(mContext);
  vcEndFrame(mContext);
}

void IGraphicsVector::CreateDrawContext(void* platformLayer) {
  mContext = mvcCreateContext(static_cast<CA::MetalLayer*>(platformLayer), kBackEndFlags);
}

// The controls' layers and the cached bitmaps hold textures of the context,
// so they go first; queued framebuffers too.
void IGraphicsVector::DestroyDrawContext() {
  RemoveAllControls();
  DeleteLeftoverLayers();
  StaticStorage<APIBitmap>::Accessor bitmaps(mBitmapCache);
  bitmaps->Clear();
  mvcDeleteFramebuffer(mMainFramebuffer);
  mMainFramebuffer = nullptr;
  DeletePendingFramebuffers();
  mvcDeleteContext(mContext);
  mContext = nullptr;
}

// Layers still pushed were never handed to an owner; their framebuffers
// must go while this context can delete them.
void IGraphicsVector::DeleteLeftoverLayers() {
  while (TopLayer()) delete PopLayer();
}

void IGraphicsVector::UpdateLayerFramebuffer() {
  ActivateGLContext();
  mvcDeleteFramebuffer(mMainFramebuffer);
  mMainFramebuffer = nullptr;
  if (mContext) {
    const float screenScale = GetScreenScale();
    const int width = static_cast<int>(screenScale * static_cast<float>(ScaledLength(Width(), GetDrawScale())));
    const int height = static_cast<int>(screenScale * static_cast<float>(ScaledLength(Height(), GetDrawScale())));
    mMainFramebuffer = mvcCreateFramebuffer(mContext, width, height, 0);
  }
  DeactivateGLContext();
}

void IGraphicsVector::QueueFramebufferDeletion(MVCframebuffer* framebuffer) {
  if (!framebuffer) return;
  if (!mInDraw && OnMainThread()) {
    mvcDeleteFramebuffer(framebuffer);
    return;
  }
  std::lock_guard lock(mPendingMutex);
  mPendingFramebuffers.push_back(framebuffer);
}

void IGraphicsVector::DeletePendingFramebuffers() {
  std::lock_guard lock(mPendingMutex);
  while (!mPendingFramebuffers.empty()) {
    mvcDeleteFramebuffer(mPendingFramebuffers.back());
    mPendingFramebuffers.pop_back();
  }
}

// Render targets, transform and clip ---------------------------------------------------

void IGraphicsVector::SetRenderTarget() {
  if (!mContext) return;
  vcEndFrame(mContext);
  BindRenderTarget();
}

void IGraphicsVector::BindRenderTarget() {
  const ILayer* top = TopLayer();
  const auto* bitmap = top ? static_cast<const Bitmap*>(top->GetAPIBitmap()) : nullptr;
  if (!bitmap || !bitmap->GetFramebuffer()) {
    BeginMainFrame();
    return;
  }
  mvcBindFramebuffer(bitmap->GetFramebuffer());
  const IRECT& bounds = top->Bounds();
  vcBeginFrame(mContext, bounds.W() * GetDrawScale(), bounds.H() * GetDrawScale(), GetScreenScale());
}

void IGraphicsVector::SetTransform(const ITransform& transform) {
  if (!mContext) return;
  const ILayer* top = TopLayer();
  const float offsetX = top ? -top->Bounds().L : 0.f;
  const float offsetY = top ? -top->Bounds().T : 0.f;
  vcResetTransform(mContext);
  vcScale(mContext, GetDrawScale(), GetDrawScale());
  vcTranslate(mContext, offsetX, offsetY);
  vcTransform(mContext, static_cast<float>(transform.xx), static_cast<float>(transform.yx),
              static_cast<float>(transform.xy), static_cast<float>(transform.yy), static_cast<float>(transform.tx),
              static_cast<float>(transform.ty));
}

void IGraphicsVector::SetClipRect(const IRECT& r) {
  if (mContext) vcScissor(mContext, r.L, r.T, r.W(), r.H());
}

// Layers ---------------------------------------------------------------------------

std::unique_ptr<APIBitmap> IGraphicsVector::CreateLayerBitmap(int pixelWidth, int pixelHeight, bool /*cacheable*/,
                                                              float screenScale, float drawScale) {
  if (!mContext || pixelWidth <= 0 || pixelHeight <= 0) return nullptr;
  const bool inDraw = mInDraw;
  if (inDraw) vcEndFrame(mContext);
  auto bitmap = std::make_unique<Bitmap>(*this, mContext, pixelWidth, pixelHeight, screenScale, drawScale);
  if (inDraw) BindRenderTarget();
  return bitmap;
}

void IGraphicsVector::ReadLayerPixels(ILayerPtr& layer, TypedBuf<uint8_t>& pixels) {
  const auto* bitmap = layer ? static_cast<const Bitmap*>(layer->GetAPIBitmap()) : nullptr;
  // Without an image there is nothing to read: an empty buffer says so.
  if (!mContext || !bitmap || bitmap->GetImageHandle() == 0) {
    pixels.Resize(0);
    return;
  }
  const int64_t size = static_cast<int64_t>(bitmap->GetWidth()) * bitmap->GetHeight() * kPixelBytes;
  if (size <= 0 || size > INT32_MAX) return;
  pixels.Resize(static_cast<int>(size));
  if (pixels.GetSize() != size) return;
  PushLayer(layer.get());
  mvcReadPixels(mContext, bitmap->GetImageHandle(), 0, 0, bitmap->GetWidth(), bitmap->GetHeight(), pixels.Get());
  PopLayer();
}

void IGraphicsVector::FillCoreRect(const IRECT& r, const VCcolor& color) {
  vcBeginPath(mContext);
  VectorRect(mContext, r);
  vcFillColor(mContext, color);
  vcFill(mContext);
  vcBeginPath(mContext);
}

// The mask's alpha, filled with the shadow's paint in a layer of its own, is
// drawn behind the layer's content at the shadow's offset and opacity.
void IGraphicsVector::CompositeLayerMask(ILayerPtr& layer, const TypedBuf<uint8_t>& mask, const IDropShadow& shadow) {
  const APIBitmap* layerBitmap = layer ? layer->GetAPIBitmap() : nullptr;
  if (!mContext || !layerBitmap) return;
  const int width = layerBitmap->GetWidth();
  const int height = layerBitmap->GetHeight();
  if (static_cast<int64_t>(mask.GetSize()) < static_cast<int64_t>(width) * height * kPixelBytes) return;
  const IRECT bounds = layer->Bounds();

  if (!shadow.mDrawForeground) {
    // Straight through the core: FillPath would composite source-over again.
    PushLayer(layer.get());
    vcGlobalCompositeBlendFunc(mContext, VC_ZERO, VC_ZERO);
    FillCoreRect(bounds, kTransparentBlack);
    vcGlobalCompositeOperation(mContext, VC_SOURCE_OVER);
    PopLayer();
  }

  const float scale = layerBitmap->GetScale();
  const float drawScale = layerBitmap->GetDrawScale();
  std::unique_ptr<APIBitmap> shadowBitmap = CreateLayerBitmap(width, height, false, scale, drawScale);
  if (!shadowBitmap) return;
  auto maskBitmap = std::make_unique<Bitmap>(mContext, width, height, scale, drawScale, mask.Get());
  const ILayerPtr shadowLayer = std::make_unique<ILayer>(std::move(shadowBitmap), bounds, nullptr, IRECT());

  PathTransformSave();
  PushLayer(layer.get());
  PushLayer(shadowLayer.get());
  DrawBitmap(IBitmap(maskBitmap.get(), 1, false), bounds, 0, 0, nullptr);
  PathClear();
  PathRect(bounds);
  PathTransformTranslate(-shadow.mXOffset, -shadow.mYOffset);
  FillPath(shadow.mPaint, IFillStyle(), &kSourceIn);
  PopLayer();
  const IBlend behind(kDestinationOverMethod, std::clamp(shadow.mOpacity, 0.f, 1.f));
  const IRECT offsetBounds(bounds.L + shadow.mXOffset, bounds.T + shadow.mYOffset, bounds.R + shadow.mXOffset,
                           bounds.B + shadow.mYOffset);
  DrawBitmap(shadowLayer->GetBitmap(), offsetBounds, 0, 0, &behind);
  PopLayer();
  PathTransformRestore();
}

}  // namespace plugkit::graphics
