// The PNG encoder of the testing images, compiled here with static linkage so
// it never clashes with another copy in a process. Screenshots and golden
// images are mostly flat colour, which deflate packs best unfiltered; opaque
// images are written without their alpha channel.

#include "png_codec.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include <fstream>

namespace standin::png {
namespace {

constexpr int kRgba = 4;
constexpr int kRgb = 3;
constexpr std::uint8_t kOpaque = 255;
constexpr int kBestCompression = 9;
constexpr int kFilterNone = 0;

void AppendToBytes(void* context, void* data, int size) {
  auto& bytes = *static_cast<std::vector<std::uint8_t>*>(context);
  const auto* added = static_cast<const std::uint8_t*>(data);
  bytes.insert(bytes.end(), added, added + size);
}

bool Opaque(const testing::Image& image) {
  for (std::size_t alpha = 3; alpha < image.rgba.size(); alpha += kRgba)
    if (image.rgba[alpha] != kOpaque) return false;
  return true;
}

std::vector<std::uint8_t> WithoutAlpha(const testing::Image& image) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(image.rgba.size() / kRgba * kRgb);
  for (std::size_t pixel = 0; pixel < image.rgba.size(); pixel += kRgba)
    rgb.insert(rgb.end(), image.rgba.begin() + static_cast<std::ptrdiff_t>(pixel),
               image.rgba.begin() + static_cast<std::ptrdiff_t>(pixel + kRgb));
  return rgb;
}

}  // namespace

std::vector<std::uint8_t> Encode(const testing::Image& image) {
  std::vector<std::uint8_t> bytes;
  if (image.empty()) return bytes;
  stbi_write_png_compression_level = kBestCompression;
  stbi_write_force_png_filter = kFilterNone;
  const bool opaque = Opaque(image);
  const std::vector<std::uint8_t> rgb = opaque ? WithoutAlpha(image) : std::vector<std::uint8_t>{};
  const int channels = opaque ? kRgb : kRgba;
  const std::uint8_t* pixels = opaque ? rgb.data() : image.rgba.data();
  if (stbi_write_png_to_func(&AppendToBytes, &bytes, image.width, image.height, channels, pixels,
                             image.width * channels) == 0)
    bytes.clear();
  return bytes;
}

bool Write(const testing::Image& image, const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = Encode(image);
  if (bytes.empty()) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

}  // namespace standin::png
