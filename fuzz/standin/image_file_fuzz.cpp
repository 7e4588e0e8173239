// Image files: any bytes read through NSImage give either an invalid image of
// size zero or one bitmap within the side limit, which renders at a scale and
// draws with a blurred shadow into a small context without fault.
#include <AppKit/AppKit.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

constexpr double kMaxSide = 16384;
constexpr int kCanvas = 24;

const std::string& InputPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("standin_image_fuzz_" + std::to_string(getpid()))).string();
  static const bool cleaned = std::atexit([] { std::filesystem::remove(InputPath()); }) == 0;
  (void)cleaned;
  return path;
}

void Check(bool holds) {
  if (!holds) std::abort();
}

void Render(NS::Image* image) {
  NS::AffineTransform* scale = NS::AffineTransform::transform();
  scale->scaleBy(1.5);
  NS::Rect proposed = NS::MakeRect(0, 0, 10, 6);
  CGImageRef rendered = image->CGImageForProposedRectContextHints(&proposed, nullptr, {{NSImageHintCTM, scale}});
  Check(rendered != nullptr && CGImageGetWidth(rendered) == 15 && CGImageGetHeight(rendered) == 9);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef context = CGBitmapContextCreate(nullptr, kCanvas, kCanvas, 8, 0, space, kCGImageAlphaPremultipliedLast);
  const CGFloat tint[] = {0.2, 0.4, 0.6, 0.8};
  CGColorRef color = CGColorCreate(space, tint);
  CGContextSetShadowWithColor(context, CGSize{1.5, -2}, 3, color);
  CGContextDrawImage(context, CGRectMake(-3.25, 4.5, 20, 30), rendered);
  CGColorRelease(color);
  CGContextRelease(context);
  CGColorSpaceRelease(space);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream file(InputPath(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const NS::AutoreleasePool pool;
  CFStringRef path = CFStringCreateWithCString(nullptr, InputPath().c_str(), kCFStringEncodingUTF8);
  NS::Image* image = (new NS::Image)->initByReferencingFile(path);
  CFRelease(path);
  if (!image->isValid()) {
    Check(image->size() == NS::Size{} && image->representations().empty());
  } else {
    Check(image->representations().size() == 1);
    const NS::ImageRep* bitmap = image->representations()[0];
    Check(bitmap->pixelsWide() >= 1 && bitmap->pixelsWide() <= kMaxSide && bitmap->pixelsHigh() >= 1 &&
          bitmap->pixelsHigh() <= kMaxSide);
    Render(image);
  }
  image->release();
  return 0;
}
