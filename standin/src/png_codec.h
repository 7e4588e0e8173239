#pragma once

// PNG encoding and decoding for the images of the testing API.

#include <standin/testing/images.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace standin::png {

// Empty for an empty image.
std::vector<std::uint8_t> Encode(const testing::Image& image);
bool Write(const testing::Image& image, const std::filesystem::path& path);
std::optional<testing::Image> Read(const std::filesystem::path& path);

}  // namespace standin::png
