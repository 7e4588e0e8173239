#include "png_codec.h"

#include <standin/testing/images.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace standin::testing {
namespace {

constexpr const char* kRegenerateVariable = "ORVANE_REGENERATE_GOLDENS";

constexpr std::uint8_t kBeyond[4] = {255, 0, 0, 255};
constexpr std::uint8_t kWithin[4] = {255, 255, 0, 255};

// The expected pixel as a dim grey, so the differences stand out against the picture.
void DimGrey(const std::uint8_t* pixel, std::uint8_t* out) {
  const auto grey = static_cast<std::uint8_t>(64 + (pixel[0] + pixel[1] + pixel[2]) / 6);
  out[0] = out[1] = out[2] = grey;
  out[3] = 255;
}

std::string Size(const Image& image) {
  return std::to_string(image.width) + " x " + std::to_string(image.height);
}

GoldenResult Failure(std::string message) { return GoldenResult{false, std::move(message)}; }

}  // namespace

Image::Image(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
    : width(width), height(height), rgba(static_cast<std::size_t>(width) * height * 4) {
  for (std::size_t at = 0; at < rgba.size(); at += 4) {
    rgba[at] = r;
    rgba[at + 1] = g;
    rgba[at + 2] = b;
    rgba[at + 3] = a;
  }
}

bool WritePng(const Image& image, const std::filesystem::path& path) { return png::Write(image, path); }

std::vector<std::uint8_t> EncodePng(const Image& image) { return png::Encode(image); }

std::optional<Image> ReadPng(const std::filesystem::path& path) { return png::Read(path); }

ImageComparison CompareImages(const Image& expected, const Image& actual, int tolerance) {
  ImageComparison comparison;
  comparison.sameSize = expected.width == actual.width && expected.height == actual.height;
  if (!comparison.sameSize) return comparison;
  comparison.difference = Image(expected.width, expected.height);
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const std::uint8_t* e = expected.pixel(x, y);
      const std::uint8_t* a = actual.pixel(x, y);
      int largest = 0;
      for (int c = 0; c < 4; ++c) largest = std::max(largest, std::abs(e[c] - a[c]));
      comparison.largestChannelDifference = std::max(comparison.largestChannelDifference, largest);
      std::uint8_t* out = comparison.difference.pixel(x, y);
      if (largest > tolerance) {
        if (comparison.pixelsBeyondTolerance++ == 0) {
          comparison.firstBeyondX = x;
          comparison.firstBeyondY = y;
        }
        std::memcpy(out, kBeyond, 4);
      } else if (largest > 0) {
        std::memcpy(out, kWithin, 4);
      } else {
        DimGrey(e, out);
      }
    }
  }
  return comparison;
}

bool RegeneratingGoldens() {
  const char* value = std::getenv(kRegenerateVariable);
  return value != nullptr && std::strcmp(value, "1") == 0;
}

GoldenResult CheckGolden(const Image& actual, const std::filesystem::path& golden, GoldenTolerance tolerance,
                         const std::filesystem::path& outputFolder) {
  if (RegeneratingGoldens()) {
    std::error_code ignored;
    std::filesystem::create_directories(golden.parent_path(), ignored);
    if (!WritePng(actual, golden)) return Failure("could not write the golden " + golden.string());
    return GoldenResult{true, "wrote the golden " + golden.string()};
  }
  if (!std::filesystem::exists(golden)) {
    return Failure("the golden " + golden.string() + " is missing; run with " + kRegenerateVariable +
                   "=1 to write it, look at it and commit it");
  }
  const std::optional<Image> expected = ReadPng(golden);
  if (!expected) return Failure("the golden " + golden.string() + " is not a readable PNG");
  const ImageComparison comparison = CompareImages(*expected, actual, tolerance.channel);
  if (comparison.sameSize && comparison.pixelsBeyondTolerance <= tolerance.pixels) return GoldenResult{true, ""};

  const std::filesystem::path folder = outputFolder.empty() ? std::filesystem::current_path() : outputFolder;
  const std::string stem = golden.stem().string();
  const std::filesystem::path actualPath = folder / (stem + ".actual.png");
  const std::filesystem::path differencePath = folder / (stem + ".diff.png");
  std::ostringstream message;
  message << "the image differs from the golden " << golden.string() << ": ";
  if (!comparison.sameSize) {
    message << "its size " << Size(actual) << " is not the golden's " << Size(*expected);
  } else {
    message << comparison.pixelsBeyondTolerance << " pixels differ by more than " << tolerance.channel
            << " (largest difference " << comparison.largestChannelDifference << ", " << tolerance.pixels
            << " allowed)";
    if (comparison.pixelsBeyondTolerance > 0)
      message << ", the first at (" << comparison.firstBeyondX << ", " << comparison.firstBeyondY << ")";
  }
  message << "; wrote " << actualPath.string();
  if (!WritePng(actual, actualPath)) message << " (failed)";
  if (comparison.sameSize) {
    message << " and " << differencePath.string();
    if (!WritePng(comparison.difference, differencePath)) message << " (failed)";
  }
  return Failure(message.str());
}

}  // namespace standin::testing
