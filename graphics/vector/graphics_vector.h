#pragma once

// The graphics context drawn through the vector core and its Metal back end.
// Every frame is drawn into an off-screen main framebuffer, which the end of
// the frame copies onto the Metal layer's drawable; layers are framebuffers
// of their own. Bitmaps decoded here stay in a cache of this context (their
// textures belong to its vector context); font bytes stay in one cache for
// the whole process, so each font is read from the platform once while
// editors come and go. The macOS platform context derives from this class
// and supplies the window side.
//
// Without a vector context (before CreateDrawContext, or when the back end
// could not be made) frames and drawing do nothing, no framebuffer is made
// and nothing is decoded.
//
// Threads: main thread (the thread that pumps the main run loop), except
// where noted. Lock order: the process font cache before the pending
// framebuffers; never the font cache and a bitmap cache together.

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

#include "graphics/graphics_context.h"
#include "graphics/renderer/metal/metal_backend.h"
#include "graphics/renderer/vector_context.h"

namespace plugkit::graphics {

class IGraphicsVector : public IGraphics {
public:
  // A texture of the vector context: a decoded image, an image made from
  // pixels, or a layer's framebuffer. An image that could not be made is 0
  // and draws with no texture.
  class Bitmap : public APIBitmap {
  public:
    // The image (0 for none) as a bitmap for that scale, its size asked of
    // the core; a shared image belongs to someone else and stays.
    Bitmap(VCcontext* ctx, int image, float scale, bool shared);
    // A framebuffer of width x height pixels, cleared to transparent, that
    // `owner` deletes (QueueFramebufferDeletion). It is left bound.
    Bitmap(IGraphicsVector& owner, VCcontext* ctx, int width, int height, float scale, float drawScale);
    // An image of width x height RGBA pixels (straight alpha), copied.
    Bitmap(VCcontext* ctx, int width, int height, float scale, float drawScale, const unsigned char* rgba);
    // Any thread: a framebuffer destroyed off the main thread or during a
    // frame waits for the owner to delete it on the main thread.
    ~Bitmap() override;

    // Null for a bitmap that is not a layer's.
    MVCframebuffer* GetFramebuffer() const { return mFramebuffer; }

  private:
    struct Texture {
      int image = 0;
      int width = 0;
      int height = 0;
      MVCframebuffer* framebuffer = nullptr;
    };
    Bitmap(const Texture& texture, VCcontext* ctx, float scale, float drawScale, IGraphicsVector* owner,
           bool shared);
    static Texture ImageTexture(VCcontext* ctx, int image);
    static Texture ClearedFramebuffer(VCcontext* ctx, int width, int height);
    static Texture PixelTexture(VCcontext* ctx, int width, int height, const unsigned char* rgba);

    IGraphicsVector* mOwner;  // layer bitmaps only
    VCcontext* mContext;
    MVCframebuffer* mFramebuffer;
    bool mShared;
  };

  static constexpr const char* kDrawingBackendName = "vector core | Metal";
  // Anti-aliasing and three frames in flight.
  static constexpr int kBackEndFlags = VC_ANTIALIAS | VC_TRIPLE_BUFFER;
  // A dotted line or rectangle side with more dashes than this is drawn solid.
  static constexpr int kMaxDashes = 65536;
  static constexpr int kLayerAlphaByteIndex = 3;

  // Also a user of the process font cache until destroyed.
  IGraphicsVector(IGEditorDelegate& delegate, int width, int height, int fps = kDefaultFPS, float scale = 1.f);
  // A vector context still there goes as DestroyDrawContext takes it.
  ~IGraphicsVector() override;

  // Frames: drawn into the main framebuffer (or straight onto the layer while
  // there is none); EndFrame copies it onto the layer's next drawable, cleared
  // first, and then deletes the framebuffers queued during the frame.
  void BeginFrame() override;
  void EndFrame() override;
  // platformLayer: the view's CA::MetalLayer.
  void CreateDrawContext(void* platformLayer) override;
  // The controls, the cached bitmaps, the main and queued framebuffers, then
  // the vector context. A later CreateDrawContext starts afresh.
  void DestroyDrawContext() override;
  // A main framebuffer of the window's size in device pixels.
  void UpdateLayerFramebuffer() override;
  // The top layer's framebuffer, or the main framebuffer without layers (and
  // for a layer without a bitmap).
  void SetRenderTarget() override;
  // Under a layer, coordinates are relative to the layer's left and top.
  void SetTransform(const ITransform& transform) override;
  void SetClipRect(const IRECT& r) override;

  void PathClear() override;
  void PathClose() override;
  void PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding = EWinding::CW) override;
  void PathMoveTo(float x, float y) override;
  void PathLineTo(float x, float y) override;
  void PathWinding(bool hole) override;
  void PathCubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) override;
  void PathQuadraticTo(float cx, float cy, float x, float y) override;
  // Dashes are not drawn: the dotted primitives below draw their own.
  void StrokePath(const IPaint& paint, float thickness, const IStrokeStyle& style, const IBlend* blend) override;
  void FillPath(const IPaint& paint, const IFillStyle& style, const IBlend* blend) override;

  void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend) override;
  // Dashes of dashLength with gaps as long; a length that is not a positive
  // number, or that would give more than kMaxDashes, draws the plain line or
  // rectangle.
  void DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend = nullptr,
                      float thickness = 1.f, float dashLength = 2.f) override;
  void DrawDottedRect(const IColor& color, const IRECT& r, const IBlend* blend = nullptr, float thickness = 1.f,
                      float dashLength = 2.f) override;
  // Half-transparent black fading out over the blur (at least 1).
  void DrawBoxShadow(const IRECT& inner, const IRECT& outer, float drop, float cornerRadius, float blur,
                     const IBlend* blend) override;

  // Layers. Null without a vector context or for a size not above 0.
  std::unique_ptr<APIBitmap> CreateLayerBitmap(int pixelWidth, int pixelHeight, bool cacheable, float screenScale,
                                               float drawScale) override;
  // RGBA, premultiplied, top row first; empty for a layer whose framebuffer has no image.
  void ReadLayerPixels(ILayerPtr& layer, TypedBuf<uint8_t>& pixels) override;
  void CompositeLayerMask(ILayerPtr& layer, const TypedBuf<uint8_t>& mask, const IDropShadow& shadow) override;
  bool LayerRowsBottomUp() const override { return false; }
  int LayerAlphaByteIndex() const override { return kLayerAlphaByteIndex; }

  float MeasureText(const IText& text, const char* str, IRECT& bounds) override;
  void DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend = nullptr) override;
  // Broken into rows of the bounds' width; the block as a whole is aligned
  // about the anchor the alignments give.
  void DrawTextBlock(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend = nullptr) override;

  // Bitmaps are cached in this context under their name and the scale of
  // the file found: a request at another scale is not redrawn for it. The
  // process-wide bitmap cache is not used, so these two do nothing.
  IBitmap LoadBitmap(const char* name, int nStates = 1, bool framesAreHorizontal = false,
                     int targetScale = 0) override;
  // One cached under the name at the scales searched for targetScale, else
  // the data decoded (and cached) for scale 1.
  IBitmap LoadBitmapFromData(const char* name, const void* data, int dataSize, int nStates = 1,
                             bool framesAreHorizontal = false, int targetScale = 0) override;
  void RetainBitmap(const IBitmap&, const char*) override {}
  void ReleaseBitmap(const IBitmap&) override {}
  // A new bitmap the caller owns; image 0 when the file cannot be decoded or
  // is not a file path (location 1).
  APIBitmap* LoadBitmapFromFile(const char* path, int scale, int location, const char* ext) override;
  // The bitmap cached in this context under the name and scale, decoded and
  // cached first when missing: the cache owns it.
  APIBitmap* LoadBitmapFromMemory(const char* name, const void* data, int dataSize, int scale) override;
  // Extensions containing png, jpg or jpeg, in any case.
  bool IsSupportedBitmapExtension(const char* ext) const override;
  // The font's bytes (from the process font cache, else from the platform,
  // then cached) given to the vector core under the id. False when the bytes
  // cannot be had or are no usable face, or the core refuses them.
  bool LoadFontFromMemory(const char* fontID, PlatformFont& font) override;

  // Null before CreateDrawContext and after DestroyDrawContext.
  VCcontext* GetDrawContext() const { return mContext; }
  const char* DrawingBackendName() const { return kDrawingBackendName; }
  // Opaque black, whatever is drawn.
  IColor DefaultDrawingColor() const { return kColorBlack; }
  // Null until UpdateLayerFramebuffer made one.
  const MVCframebuffer* GetMainFramebuffer() const { return mMainFramebuffer; }

  // Any thread. Deleted at once on the main thread outside a frame; else
  // queued for the end of the next frame, DestroyDrawContext or destruction.
  void QueueFramebufferDeletion(MVCframebuffer* framebuffer);
  // The queued framebuffers, newest first.
  void DeletePendingFramebuffers();

private:
  // The font bytes every context of the process shares.
  static StaticStorage<FontData>& FontCache();
  // The vector context's frame of the render target: a layer's framebuffer
  // or the main one.
  void BindRenderTarget();
  void BeginMainFrame();
  // Copies the main framebuffer onto a cleared drawable.
  void DrawMainFramebufferToScreen();
  void DeleteLeftoverLayers();
  // The anchor of text placed in rect by its alignments, with the core's text
  // state set; rect becomes the text's bounds.
  void PrepareText(const IText& text, const char* str, IRECT& rect, float& x, float& y);
  void SetTextFont(const IText& text);
  void FillCoreRect(const IRECT& r, const VCcolor& color);
  // The dashes of one rectangle side: count dashes from the corner along (dx, dy).
  void DashSide(const IRECT& r, float x, float y, float dx, float dy, int count);

  std::atomic<bool> mInDraw = false;
  std::mutex mPendingMutex;
  std::deque<MVCframebuffer*> mPendingFramebuffers;
  StaticStorage<APIBitmap> mBitmapCache;
  VCcontext* mContext = nullptr;
  MVCframebuffer* mMainFramebuffer = nullptr;
};

}  // namespace plugkit::graphics
