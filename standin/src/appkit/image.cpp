// Images and their bitmap representations.

#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSImage.h>
#include <Foundation/NSAffineTransform.h>

#include <standin/testing/appkit.h>

#include <algorithm>
#include <cmath>

#include "cf_string.h"
#include "images/cg_objects.h"
#include "images/image_decoder.h"
#include "system_paths.h"

const CFStringRef NSImageHintCTM = CFStringMakeConstantString("ctm");

namespace {

using standin::images::kMaxImageSide;

// The scale of each axis that an NSImageHintCTM transform among the hints applies; 1 without one.
NS::Size HintScale(const std::vector<NS::ImageHint>& hints) {
  for (const NS::ImageHint& hint : hints) {
    if (hint.key == nullptr || !CFEqual(hint.key, NSImageHintCTM)) continue;
    if (const auto* transform = dynamic_cast<const NS::AffineTransform*>(hint.value)) {
      const CGAffineTransform t = transform->transformStruct();
      return NS::Size{std::hypot(t.a, t.b), std::hypot(t.c, t.d)};
    }
  }
  return NS::Size{1.0, 1.0};
}

// Whole pixels for a length in points; 0 when there is no such image.
int PixelLength(double points, double scale) {
  const double pixels = std::round(points * scale);
  return std::isfinite(pixels) && pixels >= 1.0 && pixels <= kMaxImageSide ? static_cast<int>(pixels) : 0;
}

const NS::BitmapImageRep* LargestBitmap(const std::vector<NS::ImageRep*>& representations) {
  const NS::BitmapImageRep* largest = nullptr;
  for (const NS::ImageRep* representation : representations) {
    const auto* bitmap = dynamic_cast<const NS::BitmapImageRep*>(representation);
    if (bitmap == nullptr) continue;
    if (largest == nullptr || bitmap->pixelsWide() * bitmap->pixelsHigh() > largest->pixelsWide() * largest->pixelsHigh()) {
      largest = bitmap;
    }
  }
  return largest;
}

}  // namespace

namespace NS {

void ImageRep::setPixels(Integer wide, Integer high) {
  pixelsWide_ = wide;
  pixelsHigh_ = high;
  size_ = Size{double(wide), double(high)};
}

BitmapImageRep* BitmapImageRep::initWithCGImage(CGImageRef image) {
  if (image == nullptr || CFGetTypeID(image) != CGImageGetTypeID()) {
    release();
    return nullptr;
  }
  CGImageRetain(image);
  CGImageRelease(image_);
  image_ = image;
  setPixels(static_cast<Integer>(CGImageGetWidth(image)), static_cast<Integer>(CGImageGetHeight(image)));
  return this;
}

BitmapImageRep::~BitmapImageRep() { CGImageRelease(image_); }

Image::~Image() {
  for (ImageRep* representation : representations_) representation->release();
}

Image* Image::initWithSize(Size size) {
  size_ = size;
  return this;
}

Image* Image::initByReferencingFile(CFStringRef path) {
  if (path == nullptr) return this;
  const std::string file = standin::foundation::SystemFilePath(standin::cf::StringText(path));
  const auto bytes = standin::images::ReadImageFile(file);
  if (!bytes) return this;
  const auto decoded = standin::images::Decode(bytes->data(), bytes->size(), standin::images::ImageFormats::PngOrJpeg);
  if (!decoded) return this;
  CGImageRef bitmap = standin::images::MakeImageFromStraightRGBA(decoded->width, decoded->height, decoded->rgba);
  BitmapImageRep* representation = (new BitmapImageRep)->initWithCGImage(bitmap);
  CGImageRelease(bitmap);
  addRepresentation(representation);
  representation->release();
  return this;
}

void Image::addRepresentation(ImageRep* representation) {
  if (representation == nullptr) return;
  representation->retain();
  representations_.push_back(representation);
  if (size_.width == 0.0 && size_.height == 0.0) size_ = representation->size();
}

CGImageRef Image::CGImageForProposedRectContextHints(Rect* proposedRect, GraphicsContext* context,
                                                     const std::vector<ImageHint>& hints) {
  (void)context;
  const BitmapImageRep* source = LargestBitmap(representations_);
  if (source == nullptr) return nullptr;
  const Size points = proposedRect != nullptr ? proposedRect->size : size_;
  const Size scale = HintScale(hints);
  const int width = PixelLength(points.width, scale.width);
  const int height = PixelLength(points.height, scale.height);
  if (width == 0 || height == 0) return nullptr;
  CGImageRef image = source->CGImage();
  if (width == source->pixelsWide() && height == source->pixelsHigh()) {
    return static_cast<CGImageRef>(const_cast<void*>(CFAutorelease(CGImageRetain(image))));
  }
  const auto* pixels = standin::cf::As<CGImageObject>(image);
  CGImageRef resampled = standin::images::MakeImage(width, height,
                                                    standin::images::Resample(pixels->Pixels(), width, height));
  return static_cast<CGImageRef>(const_cast<void*>(CFAutorelease(resampled)));
}

}  // namespace NS

namespace standin::testing {

Image ImagePixels(CGImageRef image) {
  const auto* object = cf::As<CGImageObject>(image);
  if (object == nullptr) return {};
  Image pixels;
  pixels.width = object->width;
  pixels.height = object->height;
  pixels.rgba = object->rgba;
  return pixels;
}

}  // namespace standin::testing
