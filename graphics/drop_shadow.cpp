// A layer's drop shadow: its alpha read back, blurred, and handed to the back
// end to turn into the shadow.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "graphics/alpha_blur.h"
#include "graphics/graphics_context.h"

namespace plugkit::graphics {

namespace {
constexpr int kPixelBytes = 4;
}  // namespace

void IGraphics::ApplyLayerDropShadow(ILayerPtr& layer, const IDropShadow& shadow) {
  if (!layer || !layer->GetAPIBitmap()) return;
  TypedBuf<uint8_t> pixels;
  ReadLayerPixels(layer, pixels);
  const APIBitmap& bitmap = *layer->GetAPIBitmap();
  const int width = bitmap.GetWidth();
  const int height = bitmap.GetHeight();
  // The strides come from the size: anything but whole rows of the bitmap
  // would send both passes outside the buffers.
  if (width <= 0 || height <= 0 ||
      static_cast<int64_t>(width) * height * kPixelBytes != static_cast<int64_t>(pixels.GetSize()))
    return;
  TypedBuf<uint8_t> transposed;
  transposed.Resize(pixels.GetSize());
  const AlphaBlurKernel kernel(
      std::max(1.f, shadow.mBlurSize * bitmap.GetScale() * bitmap.GetDrawScale() + 1.f));
  if (transposed.GetSize() != pixels.GetSize() || !kernel.IsValid()) return;

  const std::ptrdiff_t rowStride = static_cast<std::ptrdiff_t>(width) * kPixelBytes;
  const std::ptrdiff_t columnStride = static_cast<std::ptrdiff_t>(height) * kPixelBytes;
  const int alpha = LayerAlphaByteIndex();
  uint8_t* image = pixels.Get() + alpha;
  // Rows stored bottom first are read from the last: the mask is top row first either way.
  const bool bottomUp = LayerRowsBottomUp();
  const uint8_t* firstRow = bottomUp ? image + (height - 1) * rowStride : image;
  BlurAndTransposeAlpha(firstRow, transposed.Get() + alpha, kernel, width, height, columnStride,
                        bottomUp ? -rowStride : rowStride);
  BlurAndTransposeAlpha(transposed.Get() + alpha, image, kernel, height, width, rowStride, columnStride);
  CompositeLayerMask(layer, pixels, shadow);
}

}  // namespace plugkit::graphics
