// Images read from files, rendered at a scale, and drawn into bitmap contexts
// with shadows; every step of a chain fails cleanly when its input is missing.

#include <standin/testing/environment.h>
#include <standin/testing/images.h>

#include <algorithm>
#include <string>
#include <vector>

#include "appkit_fixture.h"
#include "cf_strings.h"
#include "temp_folder.h"

namespace {

using namespace standin::testing;

constexpr int kSquare = 8;
constexpr int kCanvas = 32;

NS::Image* ImageOfFile(const std::string& path) {
  return static_cast<NS::Image*>((new NS::Image)->initByReferencingFile(String(path))->autorelease());
}

// An opaque white square of kSquare pixels drawn at (12, 12) from the bottom
// left of a clear canvas, under a black shadow of half alpha.
Image DrawSquareWithShadow(CGSize offset, CGFloat blur) {
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef context = CGBitmapContextCreate(nullptr, kCanvas, kCanvas, 8, 0, space, kCGImageAlphaPremultipliedLast);
  Image white(kSquare, kSquare, 255, 255, 255, 255);
  CGContextRef square =
      CGBitmapContextCreate(white.rgba.data(), kSquare, kSquare, 8, kSquare * 4, space, kCGImageAlphaPremultipliedLast);
  CGImageRef source = CGBitmapContextCreateImage(square);
  const CGFloat black[] = {0, 0, 0, 0.5};
  CGColorRef shadowColor = CGColorCreate(space, black);
  CGContextSetShadowWithColor(context, offset, blur, shadowColor);
  CGContextDrawImage(context, CGRectMake(12, 12, kSquare, kSquare), source);
  CGImageRef drawn = CGBitmapContextCreateImage(context);
  Image pixels = ImagePixels(drawn);
  for (CFTypeRef object : {CFTypeRef(drawn), CFTypeRef(source), CFTypeRef(shadowColor), CFTypeRef(square),
                           CFTypeRef(context), CFTypeRef(space)}) {
    CFRelease(object);
  }
  return pixels;
}

bool InSquare(int x, int y, int left, int top) { return x >= left && x < left + kSquare && y >= top && y < top + kSquare; }

TEST_F(AppKitTest, RasterFilesBecomeImagesAndAnythingElseAnInvalidOne) {
  const TempFolder folder;
  SetMachineDomainRoot(folder.path().string());
  Image pattern(16, 16, 200, 100, 50, 255);
  pattern.pixel(0, 0)[3] = 0;
  WritePng(pattern, folder.path() / "pattern.png");
  std::filesystem::create_directories(folder.path() / "System/Library");
  WritePng(pattern, folder.path() / "System/Library/x.png");
  folder.Write("cursor.pdf", "%PDF-1.4\n1 0 obj << >> endobj\ntrailer << >>\n%%EOF\n");
  // 256 KiB of image data under a header rewritten to 1 x 1 pixels, which
  // promises 5 bytes (the decoder does not check chunk checksums).
  std::vector<std::uint8_t> bomb = EncodePng(Image(256, 256));
  constexpr std::size_t kSizeInHeader = 16;  // signature, chunk length and type
  std::fill(bomb.begin() + kSizeInHeader, bomb.begin() + kSizeInHeader + 8, 0);
  bomb[kSizeInHeader + 3] = bomb[kSizeInHeader + 7] = 1;
  folder.Write("bomb.png", std::string(bomb.begin(), bomb.end()));
  const NS::AutoreleasePool pool;

  struct Case {
    std::string path;
    bool valid;
  } cases[] = {
      {(folder.path() / "pattern.png").string(), true},
      {"/System/Library/x.png", true},
      {(folder.path() / "cursor.pdf").string(), false},
      {(folder.path() / "bomb.png").string(), false},
      {(folder.path() / "missing.png").string(), false},
  };
  for (const Case& c : cases) {
    NS::Image* image = ImageOfFile(c.path);
    EXPECT_EQ(image->isValid(), c.valid) << c.path;
    EXPECT_EQ(image->size(), (c.valid ? NS::Size{16, 16} : NS::Size{})) << c.path;
    EXPECT_EQ(image->representations().size(), c.valid ? 1u : 0u) << c.path;
    EXPECT_EQ(image->CGImageForProposedRectContextHints(nullptr, nullptr, {}) != nullptr, c.valid) << c.path;
  }
  SetMachineDomainRoot("/");

  NS::Image* image = ImageOfFile((folder.path() / "pattern.png").string());
  CGImageRef original = image->CGImageForProposedRectContextHints(nullptr, nullptr, {});
  const Image originalPixels = ImagePixels(original);
  EXPECT_EQ(originalPixels.pixel(0, 0)[3], 0);
  EXPECT_EQ(originalPixels.pixel(1, 0)[0], 200);
  EXPECT_EQ(CGImageGetBitsPerComponent(original), 8u);
  EXPECT_EQ(CGImageGetBitmapInfo(original), kCGImageAlphaPremultipliedLast);
  EXPECT_NE(CGImageGetColorSpace(original), nullptr);

  NS::AffineTransform* scale = NS::AffineTransform::transform();
  scale->scaleBy(3);
  CGImageRef tripled = image->CGImageForProposedRectContextHints(nullptr, nullptr, {{NSImageHintCTM, scale}});
  EXPECT_EQ(CGImageGetWidth(tripled), 48u);
  EXPECT_EQ(CGImageGetHeight(tripled), 48u);
  EXPECT_EQ(ImagePixels(tripled).pixel(24, 24)[0], 200) << "resampled, not blank";
}

TEST_F(AppKitTest, ShadowsFallOffsetUnderTheImageAndSpreadWithTheirBlur) {
  // Offset (2, -2) with y up: two right and two below, in rows from the top.
  const int left = 12;
  const int top = kCanvas - 12 - kSquare;
  const Image sharp = DrawSquareWithShadow(CGSize{2, -2}, 0);
  for (int y = 0; y < kCanvas; ++y) {
    for (int x = 0; x < kCanvas; ++x) {
      const std::uint8_t* pixel = sharp.pixel(x, y);
      if (InSquare(x, y, left, top)) {
        EXPECT_EQ(pixel[0], 255) << x << "," << y;
        EXPECT_EQ(pixel[3], 255) << x << "," << y;
      } else if (InSquare(x, y, left + 2, top + 2)) {
        EXPECT_EQ(pixel[3], 128) << x << "," << y;
        EXPECT_EQ(pixel[0], 0) << x << "," << y;
      } else {
        EXPECT_EQ(pixel[3], 0) << x << "," << y;
      }
    }
  }

  // A blur of 4 (standard deviation 2) fades the shadow's edge over about four pixels.
  const Image blurred = DrawSquareWithShadow(CGSize{2, -2}, 4);
  const int row = top + 2 + kSquare / 2;
  const int edge = left + 2 + kSquare;  // the first column right of the sharp shadow
  EXPECT_GT(blurred.pixel(edge, row)[3], 30);
  EXPECT_LT(blurred.pixel(edge, row)[3], 128);
  EXPECT_GT(blurred.pixel(edge + 3, row)[3], 0);
  EXPECT_EQ(blurred.pixel(edge + 7, row)[3], 0);
}

TEST_F(AppKitTest, EachStepOfARenderingChainFailsCleanlyOnMissingInput) {
  const NS::AutoreleasePool pool;
  NS::Image* missing = ImageOfFile("/nonexistent/cursor.pdf");
  EXPECT_EQ(missing->CGImageForProposedRectContextHints(nullptr, nullptr, {}), nullptr);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  const struct {
    const char* rule;
    size_t width, height, bits, bytesPerRow;
    CGColorSpaceRef space;
    uint32_t info;
  } refused[] = {
      {"an empty surface", 0, 16, 8, 0, space, kCGImageAlphaPremultipliedLast},
      {"another depth", 16, 16, 16, 0, space, kCGImageAlphaPremultipliedLast},
      {"no colour space", 16, 16, 8, 0, nullptr, kCGImageAlphaPremultipliedLast},
      {"unpremultiplied", 16, 16, 8, 0, space, 3},
      {"short rows", 16, 16, 8, 32, space, kCGImageAlphaPremultipliedLast},
      {"too wide", 16385, 1, 8, 0, space, kCGImageAlphaPremultipliedLast},
  };
  for (const auto& c : refused) {
    EXPECT_EQ(CGBitmapContextCreate(nullptr, c.width, c.height, c.bits, c.bytesPerRow, c.space, c.info), nullptr)
        << c.rule;
  }
  // Null at every later step does nothing and answers null.
  CGContextSetShadowWithColor(nullptr, CGSize{1, 1}, 1, nullptr);
  CGContextDrawImage(nullptr, CGRectMake(0, 0, 1, 1), nullptr);
  EXPECT_EQ(CGBitmapContextCreateImage(nullptr), nullptr);
  EXPECT_EQ(CGColorCreate(nullptr, nullptr), nullptr);
  EXPECT_EQ((new NS::BitmapImageRep)->initWithCGImage(nullptr), nullptr);
  EXPECT_EQ(CGImageGetWidth(nullptr), 0u);
  CGImageRelease(nullptr);
  CGContextRelease(nullptr);
  CGColorSpaceRelease(space);
}

}  // namespace
