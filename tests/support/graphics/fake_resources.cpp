#include "support/graphics/fake_resources.h"

#include <utility>

namespace plugkit::testing {

namespace {

int NextImageHandle() {
  static std::atomic<int> next{1};
  return next++;
}

}  // namespace

std::atomic<int> FakeBitmap::sLive{0};
std::atomic<int> FakePlatformFont::sLive{0};

FakeBitmap::FakeBitmap(int width, int height, float scale, float drawScale, std::vector<uint8_t> pixels)
    : APIBitmap(NextImageHandle(), width, height, scale, drawScale), mPixels(std::move(pixels)) {
  ++sLive;
}

FakeBitmap::~FakeBitmap() { --sLive; }

bool FakeBitmap::HasPixels() const {
  return GetWidth() > 0 && GetHeight() > 0 &&
         mPixels.size() == static_cast<size_t>(GetWidth()) * static_cast<size_t>(GetHeight()) * 4;
}

graphics::IColor FakeBitmap::PixelAt(int x, int y) const {
  if (!HasPixels() || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return graphics::kColorTransparent;
  const uint8_t* p = mPixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(GetWidth()) + x) * 4;
  return graphics::IColor(p[3], p[0], p[1], p[2]);
}

FakePlatformFont::FakePlatformFont(bool system) : PlatformFont(system) { ++sLive; }

FakePlatformFont::~FakePlatformFont() { --sLive; }

}  // namespace plugkit::testing
