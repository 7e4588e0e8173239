#pragma once

// PNG encoding and decoding for the images of the testing API.

#include <standin/testing/images.h>

#include <filesystem>
#include <optional>

namespace standin::png {

bool Write(const testing::Image& image, const std::filesystem::path& path);
std::optional<testing::Image> Read(const std::filesystem::path& path);

}  // namespace standin::png
