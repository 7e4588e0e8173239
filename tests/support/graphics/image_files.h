#pragma once

// Image files for the graphics core's tests: decoding PNG and JPEG as a back
// end does, and writing fixtures. The decoder and the writer are compiled in
// this one translation unit with internal linkage, so no other copy in a test
// program can clash with them.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "graphics/graphics_types.h"

namespace plugkit::testing {

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // 4 bytes a pixel, top row first
};

// Nothing for data that is not a PNG or JPEG image.
std::optional<DecodedImage> DecodeImage(const void* data, size_t size);
std::optional<DecodedImage> DecodeImageFile(const std::filesystem::path& path);

// A PNG of width x height pixels in one colour; false when it cannot be written.
bool WriteSolidPng(const std::filesystem::path& path, int width, int height, const graphics::IColor& color);

}  // namespace plugkit::testing
