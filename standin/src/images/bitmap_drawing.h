#pragma once

// Drawing raster images into premultiplied RGBA8 pixels: bilinear scaling,
// source-over compositing and blurred shadows. Coordinates are CoreGraphics'
// (origin at the bottom left, y up) over pixels stored top row first.

#include <CoreGraphics/CGGeometry.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace standin::images {

inline constexpr int kBytesPerPixel = 4;

struct SourcePixels {
  const std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  std::size_t bytesPerRow = 0;
};

struct TargetPixels {
  std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  std::size_t bytesPerRow = 0;
};

struct Shadow {
  CGSize offset;
  CGFloat blur = 0.0;
  CGFloat rgba[4] = {0.0, 0.0, 0.0, 0.0};  // straight alpha, 0..1
};

// The shadow, when given, is painted first, under the image.
void DrawImage(const TargetPixels& target, const CGRect& rect, const SourcePixels& source, const Shadow* shadow);

// The source scaled to width x height, packed.
std::vector<std::uint8_t> Resample(const SourcePixels& source, int width, int height);

}  // namespace standin::images
