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

void AppendToFile(void* context, void* data, int size) {
  static_cast<std::ofstream*>(context)->write(static_cast<const char*>(data), size);
}

}  // namespace

bool Write(const testing::Image& image, const std::filesystem::path& path) {
  if (image.empty()) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  constexpr int kRgba = 4;
  const int written = stbi_write_png_to_func(&AppendToFile, &file, image.width, image.height, kRgba, image.rgba.data(),
                                             image.width * kRgba);
  file.close();
  return written != 0 && !file.fail();
}

}  // namespace standin::png
