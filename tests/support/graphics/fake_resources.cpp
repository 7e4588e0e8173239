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

FakePlatformFont::FakePlatformFont(bool system) : PlatformFont(system) { ++sLive; }

FakePlatformFont::~FakePlatformFont() { --sLive; }

}  // namespace plugkit::testing
