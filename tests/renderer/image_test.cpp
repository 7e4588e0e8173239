#include "graphics/renderer/image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "graphics/renderer/allocation.h"
#include "tests/support/renderer/core_context.h"
#include "tests/support/renderer/test_images.h"
#include "tests/support/temp_folder.h"

namespace orvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::StrEq;

constexpr int kFlags = VC_IMAGE_REPEATX | VC_IMAGE_NEAREST;

std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

// The largest difference between two images' channels, each weighted by
// `alphaScaled`: divided by the pixel's alpha / 255 when set.
int LargestDifference(const Bytes& a, const Bytes& b, bool alphaScaled) {
  int largest = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    int d = std::abs(int(a[i]) - int(b[i]));
    if (alphaScaled && i % 4 != 3) d = d * b[i - i % 4 + 3] / 255;
    largest = std::max(largest, d);
  }
  return a.size() == b.size() ? largest : 256;
}

TEST(Image, DecodedImagesBecomeStraightAlphaRgbaTextures) {
  const RgbaImage pattern = TestPattern(5, 3);
  TempFolder folder;
  const std::string pngFile = folder.Write("pattern.png", Text(EncodePng(pattern))).string();
  const std::string iphoneFile = folder.Write("iphone.png", Text(EncodeIphonePng(pattern))).string();
  RgbaImage opaque = TestPattern(8, 8);
  for (std::size_t i = 3; i < opaque.rgba.size(); i += 4) opaque.rgba[i] = 255;
  const struct {
    std::string name;
    std::function<int(VCcontext*)> create;
    const RgbaImage& expected;
    int tolerance;  // per channel, times alpha / 255
  } cases[] = {
      // First, before any file image: the memory path sets the decoder itself.
      {"iphone png in memory", [&](VCcontext* c) {
         const Bytes png = EncodeIphonePng(pattern);
         return vcCreateImageMem(c, kFlags, png.data(), int(png.size()));
       }, pattern, 1},
      {"png file", [&](VCcontext* c) { return vcCreateImage(c, pngFile.c_str(), kFlags); }, pattern, 0},
      {"png in memory", [&](VCcontext* c) {
         const Bytes png = EncodePng(pattern);
         return vcCreateImageMem(c, kFlags, png.data(), int(png.size()));
       }, pattern, 0},
      {"iphone png file", [&](VCcontext* c) { return vcCreateImage(c, iphoneFile.c_str(), kFlags); }, pattern, 1},
      {"interlaced png in memory", [&](VCcontext* c) {
         const Bytes png = EncodeInterlacedPng(pattern);
         return vcCreateImageMem(c, kFlags, png.data(), int(png.size()));
       }, pattern, 0},
      {"jpeg in memory", [&](VCcontext* c) {
         const Bytes jpeg = EncodeJpeg(opaque, 100);
         return vcCreateImageMem(c, kFlags, jpeg.data(), int(jpeg.size()));
       }, opaque, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CoreContext core;
    core.backend.ClearCalls();
    const int image = c.create(core.ctx);
    ASSERT_NE(image, 0) << vcImageFailureReason();
    const auto creates = core.backend.CallsOf(RenderCall::CreateTexture);
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0]->type, VC_TEXTURE_RGBA);
    EXPECT_EQ(creates[0]->width, c.expected.width);
    EXPECT_EQ(creates[0]->height, c.expected.height);
    EXPECT_EQ(creates[0]->imageFlags, kFlags);
    EXPECT_LE(LargestDifference(core.backend.Texture(image)->pixels, c.expected.rgba, true), c.tolerance);
  }
}

TEST(Image, UnreadableImagesGiveNoImage) {
  const Bytes png = EncodePng(TestPattern(4, 4));
  // Inflated, the bomb would take this; the decoder may hold its compressed
  // data (grown by doubling) and twice the five bytes its header promises.
  constexpr std::size_t kBombInflated = std::size_t(4) << 20;
  const Bytes bomb = DecompressionBomb(kBombInflated);
  const struct {
    std::string name;
    Bytes bytes;
    const char* reason;  // null: any
    std::size_t largestAllocation = std::size_t(1) << 20;
  } cases[] = {
      {"width above the cap", EncodePng(TestPattern(16385, 1)), nullptr},
      {"height above the cap", EncodePng(TestPattern(1, 16385)), nullptr},
      {"8-bit over the pixel budget", PngClaiming(16384, 16384, 8), "too large"},
      {"16-bit over the pixel budget", PngClaiming(8192, 8192, 16), "too large"},
      {"jpeg huffman table overflowing", WithOversizedHuffmanTable(EncodeJpeg(TestPattern(8, 8), 90)), "bad huffman table"},
      {"png with an empty first image-data chunk", WithEmptyFirstImageData(png), "empty IDAT"},
      {"png of 1 x 1 pixels whose data inflates far beyond", bomb, nullptr, 2 * bomb.size()},
      {"truncated", Bytes(png.begin(), png.begin() + png.size() / 2), nullptr},
      {"not an image", Bytes{'G', 'I', 'F', '8', '9', 'a'}, nullptr},
      {"empty", Bytes{}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CoreContext core;
    core.backend.ClearCalls();
    vcResetLargestAllocationSize();
    EXPECT_EQ(vcCreateImageMem(core.ctx, 0, c.bytes.data(), int(c.bytes.size())), 0);
    EXPECT_LE(vcLargestAllocationSize(), c.largestAllocation);
    EXPECT_TRUE(core.backend.Calls().empty());
    ASSERT_NE(vcImageFailureReason(), nullptr);
    if (c.reason) {
      EXPECT_THAT(vcImageFailureReason(), StrEq(c.reason));
    }
  }
  CoreContext core;
  core.backend.ClearCalls();
  EXPECT_EQ(vcCreateImage(core.ctx, "/nonexistent/orvane.png", 0), 0);
  EXPECT_THAT(vcImageFailureReason(), StrEq("can't fopen"));
  EXPECT_TRUE(core.backend.Calls().empty());
}

// Whatever the decoder's memory last held, a scan using tables the file never
// defined decodes alike.
TEST(Image, UndefinedJpegTablesDecodeTheSameEveryTime) {
  const Bytes undefined = WithUndefinedHuffmanTables(EncodeJpeg(TestPattern(16, 16), 90));
  std::vector<Bytes> decoded;
  for (const int quality : {95, 40}) {
    CoreContext core;
    const Bytes other = EncodeJpeg(TestPattern(16, 16), quality);  // leaves its tables in freed memory
    vcDeleteImage(core.ctx, vcCreateImageMem(core.ctx, 0, other.data(), int(other.size())));
    const int image = vcCreateImageMem(core.ctx, 0, undefined.data(), int(undefined.size()));
    ASSERT_NE(image, 0) << vcImageFailureReason();
    decoded.push_back(core.backend.Texture(image)->pixels);
  }
  EXPECT_EQ(decoded[0], decoded[1]);
}

TEST(Image, RgbaImagesAreUpdatedWholeAndDeleted) {
  CoreContext core;
  VCcontext* ctx = core.ctx;
  const RgbaImage first = TestPattern(3, 2);
  const RgbaImage second = TestPattern(6, 1);
  const int image = vcCreateImageRGBA(ctx, 3, 2, VC_IMAGE_PREMULTIPLIED, first.rgba.data());
  ASSERT_NE(image, 0);
  EXPECT_EQ(core.backend.Texture(image)->imageFlags, VC_IMAGE_PREMULTIPLIED);
  int width = 0, height = 0;
  vcImageSize(ctx, image, &width, &height);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  vcUpdateImage(ctx, image, second.rgba.data());
  const auto updates = core.backend.CallsOf(RenderCall::UpdateTexture);
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_THAT((std::vector<int>{updates[0]->image, updates[0]->x, updates[0]->y, updates[0]->width,
                                updates[0]->height}),
              ElementsAre(image, 0, 0, 3, 2));
  EXPECT_EQ(core.backend.Texture(image)->pixels, second.rgba);
  vcDeleteImage(ctx, image);
  EXPECT_EQ(core.backend.Texture(image), nullptr);
}

}  // namespace
}  // namespace orvane::testing
