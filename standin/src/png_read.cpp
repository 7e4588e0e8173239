// Golden and fixture PNG files for the testing API, through the stand-in's decoder.

#include "png_codec.h"

#include "images/image_decoder.h"

namespace standin::png {

std::optional<testing::Image> Read(const std::filesystem::path& path) {
  const auto bytes = images::ReadImageFile(path);
  if (!bytes) return std::nullopt;
  auto decoded = images::Decode(bytes->data(), bytes->size(), images::ImageFormats::Png);
  if (!decoded) return std::nullopt;
  testing::Image image;
  image.width = decoded->width;
  image.height = decoded->height;
  image.rgba = std::move(decoded->rgba);
  return image;
}

}  // namespace standin::png
