// The PNG decoder, compiled here with static linkage so it never clashes with
// another copy in a process.

#include "png_codec.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace standin::png {

std::optional<testing::Image> Read(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  int width = 0;
  int height = 0;
  int channels = 0;
  constexpr int kRgba = 4;
  const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
      stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, kRgba),
      &stbi_image_free);
  if (!pixels) return std::nullopt;
  testing::Image image;
  image.width = width;
  image.height = height;
  image.rgba.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(width) * height * kRgba);
  return image;
}

}  // namespace standin::png
