// The textures of the vector context as bitmaps of the graphics core.
#include "graphics/renderer/image.h"
#include "graphics/vector/graphics_vector.h"

namespace plugkit::graphics {

namespace {

constexpr float kImageDrawScale = 1.f;
constexpr float kClearFrameRatio = 1.f;
constexpr int kPlainImage = 0;

}  // namespace

IGraphicsVector::Bitmap::Texture IGraphicsVector::Bitmap::ImageTexture(VCcontext* ctx, int image) {
  Texture texture;
  texture.image = image;
  if (image != 0) vcImageSize(ctx, image, &texture.width, &texture.height);
  return texture;
}

// The first pass into a new framebuffer clears it; a framebuffer without an
// image gets no pass, whose clear would land on the next target instead.
IGraphicsVector::Bitmap::Texture IGraphicsVector::Bitmap::ClearedFramebuffer(VCcontext* ctx, int width, int height) {
  Texture texture;
  texture.width = width;
  texture.height = height;
  texture.framebuffer = mvcCreateFramebuffer(ctx, width, height, kPlainImage);
  if (!texture.framebuffer) return texture;
  texture.image = texture.framebuffer->image;
  mvcBindFramebuffer(texture.framebuffer);
  if (texture.image == 0) return texture;
  mvcClearWithColor(ctx, 0.f, 0.f, 0.f, 0.f);
  vcBeginFrame(ctx, static_cast<float>(width), static_cast<float>(height), kClearFrameRatio);
  vcEndFrame(ctx);
  return texture;
}

IGraphicsVector::Bitmap::Texture IGraphicsVector::Bitmap::PixelTexture(VCcontext* ctx, int width, int height,
                                                                       const unsigned char* rgba) {
  Texture texture;
  texture.width = width;
  texture.height = height;
  texture.image = vcCreateImageRGBA(ctx, width, height, kPlainImage, rgba);
  return texture;
}

IGraphicsVector::Bitmap::Bitmap(const Texture& texture, VCcontext* ctx, float scale, float drawScale,
                                IGraphicsVector* owner, bool shared)
    : APIBitmap(texture.image, texture.width, texture.height, scale, drawScale),
      mOwner(owner),
      mContext(ctx),
      mFramebuffer(texture.framebuffer),
      mShared(shared) {}

IGraphicsVector::Bitmap::Bitmap(VCcontext* ctx, int image, float scale, bool shared)
    : Bitmap(ImageTexture(ctx, image), ctx, scale, kImageDrawScale, nullptr, shared) {}

IGraphicsVector::Bitmap::Bitmap(IGraphicsVector& owner, VCcontext* ctx, int width, int height, float scale,
                                float drawScale)
    : Bitmap(ClearedFramebuffer(ctx, width, height), ctx, scale, drawScale, &owner, false) {}

IGraphicsVector::Bitmap::Bitmap(VCcontext* ctx, int width, int height, float scale, float drawScale,
                                const unsigned char* rgba)
    : Bitmap(PixelTexture(ctx, width, height, rgba), ctx, scale, drawScale, nullptr, false) {}

IGraphicsVector::Bitmap::~Bitmap() {
  if (mShared) return;
  if (mFramebuffer) {
    mOwner->QueueFramebufferDeletion(mFramebuffer);
  } else if (GetImageHandle() != 0) {
    vcDeleteImage(mContext, GetImageHandle());
  }
}

}  // namespace plugkit::graphics
