#pragma once

// The objects behind the CoreGraphics colour, image and context references.

#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGImage.h>

#include <optional>
#include <vector>

#include "cf_object.h"
#include "images/bitmap_drawing.h"

struct CGColorSpaceObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();
  CFTypeID TypeID() const override { return kTypeID; }
};

struct CGColorObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();
  explicit CGColorObject(const CGFloat* rgba);
  CFTypeID TypeID() const override { return kTypeID; }

  CGFloat components[4];
};

struct CGImageObject final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();
  // Packed premultiplied RGBA rows.
  CGImageObject(int width, int height, std::vector<std::uint8_t> pixels);
  ~CGImageObject() override;
  CFTypeID TypeID() const override { return kTypeID; }

  standin::images::SourcePixels Pixels() const;

  const int width;
  const int height;
  const std::vector<std::uint8_t> rgba;
  const CGColorSpaceRef colorSpace;
};

struct CGContext final : standin::cf::Object {
  static inline const CFTypeID kTypeID = standin::cf::NewTypeID();
  // Draws into `data`, or into a zeroed buffer of its own when it is null.
  CGContext(void* data, int width, int height, std::size_t bytesPerRow, CGColorSpaceRef space);
  ~CGContext() override;
  CFTypeID TypeID() const override { return kTypeID; }

  const standin::images::TargetPixels& Pixels() const { return target_; }
  CGColorSpaceRef ColorSpace() const { return colorSpace_; }

  std::optional<standin::images::Shadow> shadow;

private:
  std::vector<std::uint8_t> ownPixels_;
  const standin::images::TargetPixels target_;
  const CGColorSpaceRef colorSpace_;
};

namespace standin::images {

// A new image (one reference for the caller) of a straight-alpha decoded image.
CGImageRef MakeImageFromStraightRGBA(int width, int height, const std::vector<std::uint8_t>& rgba);
// A new image holding these premultiplied pixels.
CGImageRef MakeImage(int width, int height, std::vector<std::uint8_t> premultiplied);

}  // namespace standin::images
