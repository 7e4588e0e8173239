#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/graphics_types.h"
#include "graphics/platform_font.h"

namespace plugkit::testing {

// A back-end bitmap without a renderer: its size, scales and optionally RGBA
// pixels (4 bytes a pixel, top row first). Each has its own image handle.
class FakeBitmap : public graphics::APIBitmap {
public:
  FakeBitmap(int width, int height, float scale = 1.f, float drawScale = 1.f, std::vector<uint8_t> pixels = {});
  ~FakeBitmap() override;

  std::vector<uint8_t>& Pixels() { return mPixels; }
  const std::vector<uint8_t>& Pixels() const { return mPixels; }
  // Whether it holds width x height pixels.
  bool HasPixels() const;
  // The pixel at (x, y) as (A, R, G, B); transparent outside or without pixels.
  graphics::IColor PixelAt(int x, int y) const;

  // Live fake bitmaps in the process, for ownership tests.
  static int LiveCount() { return sLive.load(); }

private:
  static std::atomic<int> sLive;
  std::vector<uint8_t> mPixels;
};

// A platform font that holds nothing: no descriptor and no bytes.
class FakePlatformFont : public graphics::PlatformFont {
public:
  explicit FakePlatformFont(bool system);
  ~FakePlatformFont() override;

  const void* GetDescriptor() override { return nullptr; }
  std::unique_ptr<graphics::FontData> GetFontData() override { return nullptr; }

  // Live fake fonts in the process: a handle the graphics core forgot to release stays counted.
  static int LiveCount() { return sLive.load(); }

private:
  static std::atomic<int> sLive;
};

}  // namespace plugkit::testing
