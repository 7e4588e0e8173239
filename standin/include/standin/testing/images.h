#pragma once

// RGBA8 images for pixel tests: PNG files, comparison, and golden images.
//
// Golden convention: with ORVANE_REGENERATE_GOLDENS=1 in the environment a
// golden check writes the golden file instead of comparing. Otherwise a
// missing golden fails naming the file, and a mismatch writes
// <name>.actual.png and <name>.diff.png into the output folder and fails
// naming both.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace standin::testing {

// Four bytes per pixel, R G B A, rows top first with no padding.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;

  Image() = default;
  // Filled with one colour.
  Image(int width, int height, std::uint8_t r = 0, std::uint8_t g = 0, std::uint8_t b = 0, std::uint8_t a = 0);

  bool empty() const { return width == 0 || height == 0; }
  const std::uint8_t* pixel(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
  std::uint8_t* pixel(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
  bool operator==(const Image&) const = default;
};

bool WritePng(const Image& image, const std::filesystem::path& path);
// The PNG file's bytes; empty for an empty image.
std::vector<std::uint8_t> EncodePng(const Image& image);
// Any PNG, converted to RGBA8; nothing when the file is missing or not a PNG.
std::optional<Image> ReadPng(const std::filesystem::path& path);

struct ImageComparison {
  bool sameSize = false;
  int largestChannelDifference = 0;  // over every channel of every pixel
  long pixelsBeyondTolerance = 0;    // pixels with a channel differing by more than the tolerance
  // The first of them in reading order (rows top first); -1 when there is none.
  int firstBeyondX = -1;
  int firstBeyondY = -1;
  // Grey where equal, red where beyond the tolerance, yellow where within it;
  // empty when the sizes differ.
  Image difference;
};

ImageComparison CompareImages(const Image& expected, const Image& actual, int tolerance);

struct GoldenTolerance {
  int channel = 0;       // the largest channel difference that still counts as equal
  long pixels = 0;       // how many pixels may exceed it
};

struct GoldenResult {
  bool passed = false;
  std::string message;  // what happened, naming the files involved
};

// The output folder defaults to the current folder (a test's build folder under ctest).
GoldenResult CheckGolden(const Image& actual, const std::filesystem::path& golden,
                         GoldenTolerance tolerance = {}, const std::filesystem::path& outputFolder = {});

// Whether ORVANE_REGENERATE_GOLDENS=1 is set.
bool RegeneratingGoldens();

}  // namespace standin::testing
