#include "support/graphics/image_files.h"

#include <fstream>
#include <iterator>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace plugkit::testing {

namespace {

constexpr int kRgbaChannels = 4;

}  // namespace

std::optional<DecodedImage> DecodeImage(const void* data, size_t size) {
  if (!data || size == 0 || size > static_cast<size_t>(INT32_MAX)) return std::nullopt;
  int width = 0;
  int height = 0;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size), &width,
                                          &height, &channels, kRgbaChannels);
  if (!pixels) return std::nullopt;
  DecodedImage image{width, height,
                     std::vector<uint8_t>(pixels, pixels + static_cast<size_t>(width) * height * kRgbaChannels)};
  stbi_image_free(pixels);
  return image;
}

std::optional<DecodedImage> DecodeImageFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return DecodeImage(bytes.data(), bytes.size());
}

bool WriteSolidPng(const std::filesystem::path& path, int width, int height, const graphics::IColor& color) {
  std::vector<uint8_t> pixels;
  pixels.reserve(static_cast<size_t>(width) * height * kRgbaChannels);
  for (int i = 0; i < width * height; ++i) {
    pixels.insert(pixels.end(), {static_cast<uint8_t>(color.R), static_cast<uint8_t>(color.G),
                                 static_cast<uint8_t>(color.B), static_cast<uint8_t>(color.A)});
  }
  std::filesystem::create_directories(path.parent_path());
  return stbi_write_png(path.c_str(), width, height, kRgbaChannels, pixels.data(), width * kRgbaChannels) != 0;
}

}  // namespace plugkit::testing
