// The PNG encoder, compiled here with static linkage so it never clashes with
// another copy in a process.

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

void AppendToBytes(void* context, void* data, int size) {
  auto& bytes = *static_cast<std::vector<std::uint8_t>*>(context);
  const auto* added = static_cast<const std::uint8_t*>(data);
  bytes.insert(bytes.end(), added, added + size);
}

}  // namespace

std::vector<std::uint8_t> Encode(const testing::Image& image) {
  std::vector<std::uint8_t> bytes;
  if (image.empty()) return bytes;
  constexpr int kRgba = 4;
  if (stbi_write_png_to_func(&AppendToBytes, &bytes, image.width, image.height, kRgba, image.rgba.data(),
                             image.width * kRgba) == 0)
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
