#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "graphics/alpha_blur.h"
#include "graphics/graphics_context.h"
#include "support/graphics/fake_resources.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit::graphics {
namespace {

using testing::FakeBitmap;
using testing::RecordingDelegate;
using testing::RecordingGraphics;
using Bytes = std::vector<uint8_t>;

constexpr int kAlpha = 3;

// A back end that may answer a layer read with a few bytes more or less.
class MisreadingGraphics : public RecordingGraphics {
public:
  using RecordingGraphics::RecordingGraphics;
  void ReadLayerPixels(ILayerPtr& layer, TypedBuf<uint8_t>& pixels) override {
    RecordingGraphics::ReadLayerPixels(layer, pixels);
    pixels.Resize(pixels.GetSize() + mExtraBytes);
  }
  int mExtraBytes = 0;
};

// The blur as it reads: every tap summed, each pass divided and capped.
Bytes ReferenceBlur(const Bytes& alpha, int width, int height, const AlphaBlurKernel& k) {
  auto pass = [&](const Bytes& in, bool horizontal) {
    Bytes out(in.size());
    const int length = horizontal ? width : height;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int i = horizontal ? x : y;
        uint64_t sum = 0;
        for (int j = -(k.Size() - 1); j < k.Size(); ++j)
          if (i + j >= 0 && i + j < length)
            sum += k.Tap(std::abs(j)) * uint64_t{in[horizontal ? y * width + x + j : (y + j) * width + x]};
        out[y * width + x] = static_cast<uint8_t>(std::min<uint64_t>(sum / k.Norm(), 255));
      }
    return out;
  };
  return pass(pass(alpha, true), false);
}

class DropShadowTest : public ::testing::Test {
protected:
  // A layer of width x height pixels with the given alpha; its colour bytes count up.
  ILayerPtr Layer(int width, int height, const Bytes& alpha) {
    const float scale = g.GetBackingPixelScale();
    g.StartLayer(nullptr, IRECT(0, 0, width / scale, height / scale));
    ILayerPtr layer = g.EndLayer();
    Bytes& pixels = static_cast<FakeBitmap*>(layer->GetAPIBitmap())->Pixels();
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = i % 4 == kAlpha ? alpha[i / 4] : static_cast<uint8_t>(i);
    return layer;
  }
  Bytes Shadow(int width, int height, const Bytes& alpha, float blur) {
    ILayerPtr layer = Layer(width, height, alpha);
    IDropShadow shadow;
    shadow.mBlurSize = blur;
    g.ApplyLayerDropShadow(layer, shadow);
    Bytes mask;
    for (size_t i = kAlpha; i < g.LastMask().size(); i += 4) mask.push_back(g.LastMask()[i]);
    return mask;
  }

  RecordingDelegate delegate{0};
  MisreadingGraphics g{delegate, 100, 100};
};

TEST(AlphaBlurTest, KernelsAreGaussianBytesWithTheirNorm) {
  struct Case {
    float radius;
    Bytes taps;
    uint32_t norm;
  };
  const Case cases[] = {
      {1, {255}, 255},
      {3, {255, 155, 35}, 635},
      {5, {255, 213, 124, 50, 14}, 1057},
      {std::numeric_limits<float>::quiet_NaN(), {255}, 255},
  };
  for (const Case& c : cases) {
    const AlphaBlurKernel kernel(c.radius);
    EXPECT_EQ(Bytes(kernel.Taps(), kernel.Taps() + kernel.Size()), c.taps) << c.radius;
    EXPECT_EQ(kernel.Norm(), c.norm) << c.radius;
  }
  EXPECT_EQ(AlphaBlurKernel(std::numeric_limits<float>::infinity()).Size(), AlphaBlurKernel::kMaxRadius);
}

TEST(AlphaBlurTest, APassBlursLinesIntoColumns) {
  const Bytes line = {9, 9, 9, 0, 9, 9, 9, 0, 9, 9, 9, 255, 9, 9, 9, 0, 9, 9, 9, 0};
  Bytes column(20, 1);
  BlurAndTransposeAlpha(line.data() + kAlpha, column.data() + kAlpha, AlphaBlurKernel(3), 5, 1, 4, 0);
  EXPECT_EQ(column, (Bytes{1, 1, 1, 14, 1, 1, 1, 62, 1, 1, 1, 102, 1, 1, 1, 62, 1, 1, 1, 14}));
}

TEST_F(DropShadowTest, MasksOfKnownLayers) {
  struct Case {
    const char* what;
    int width, height;
    float blur;
    Bytes alpha, mask;
  };
  const Case cases[] = {
      {"blur 0 keeps the alpha", 5, 1, 0, {7, 200, 0, 255, 31}, {7, 200, 0, 255, 31}},
      {"a line", 5, 1, 2, {0, 0, 255, 0, 0}, {5, 24, 40, 24, 5}},
      {"a dot",
       5,
       5,
       2,
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {0, 3, 5, 3, 0, 3, 15, 24, 15, 3, 5, 24, 40, 24, 5, 3, 15, 24, 15, 3, 0, 3, 5, 3, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(Shadow(c.width, c.height, c.alpha, c.blur), c.mask) << c.what;
  EXPECT_EQ(g.CountCalls("CompositeLayerMask"), 3);

  // An opaque layer stays opaque but within n - 1 = 2 pixels of its edges.
  const Bytes opaque = Shadow(8, 8, Bytes(64, 255), 2);
  for (int i = 0; i < 64; ++i) {
    const bool inside = i % 8 >= 2 && i % 8 <= 5 && i / 8 >= 2 && i / 8 <= 5;
    EXPECT_EQ(opaque[i] == 255, inside) << i;
  }
}

TEST_F(DropShadowTest, RandomLayersMatchTheReferenceInBothRowOrdersKeepingTheirColours) {
  struct Case {
    int width, height;
    float blur, screenScale;
    bool blocks;  // flat blocks rather than noise
  };
  const Case cases[] = {{16, 9, 2, 1, false}, {3, 7, 5, 1, false}, {60, 50, 4, 1, true}, {30, 24, 2, 2, true}};
  std::mt19937 random(28);
  std::uniform_int_distribution<int> byte(0, 255);
  for (const Case& c : cases) {
    g.SetScreenScale(c.screenScale);
    Bytes alpha(c.width * c.height);
    for (uint8_t& a : alpha) a = static_cast<uint8_t>(c.blocks ? 0 : byte(random));
    for (int block = 0; c.blocks && block < 6; ++block) {
      const int x = byte(random) % c.width, y = byte(random) % c.height, value = byte(random) % 2 ? 255 : byte(random);
      for (int j = y; j < std::min(c.height, y + c.height / 2); ++j)
        std::fill_n(alpha.begin() + j * c.width + x, std::min(c.width - x, c.width / 2), static_cast<uint8_t>(value));
    }
    const Bytes expected =
        ReferenceBlur(alpha, c.width, c.height, AlphaBlurKernel(std::max(1.f, c.blur * c.screenScale + 1)));
    for (bool bottomUp : {false, true}) {
      g.SetLayerRowsBottomUp(bottomUp);
      EXPECT_EQ(Shadow(c.width, c.height, alpha, c.blur), expected) << c.width << "x" << c.height << " " << bottomUp;
    }
    g.SetLayerRowsBottomUp(false);
    Shadow(c.width, c.height, alpha, c.blur);
    for (size_t i = 0; i < g.LastMask().size(); ++i) {
      if (i % 4 == kAlpha) continue;
      ASSERT_EQ(g.LastMask()[i], static_cast<uint8_t>(i));
    }
  }
}

// Strides come from the buffer's size: any other size than the layer's would
// send the passes out of bounds.
TEST_F(DropShadowTest, NothingIsBlurredUnlessTheReadGivesWholeRows) {
  const Bytes alpha(16, 255);
  for (int extra : {4, -4, -64}) {
    g.mExtraBytes = extra;
    Shadow(4, 4, alpha, 1);
  }
  ILayerPtr none;
  g.ApplyLayerDropShadow(none, IDropShadow());
  g.StartLayer(nullptr, IRECT());
  ILayerPtr noBitmap = g.EndLayer();
  g.ApplyLayerDropShadow(noBitmap, IDropShadow());
  EXPECT_EQ(g.CountCalls("CompositeLayerMask"), 0);
}

}  // namespace
}  // namespace plugkit::graphics
