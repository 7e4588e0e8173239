#pragma once

// Decoding encoded images (PNG, and JPEG where asked) into straight RGBA8.
// The bytes are untrusted: anything the decoder cannot read safely, or an
// image beyond the limits, gives nothing. Any thread.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace standin::images {

inline constexpr int kMaxImageSide = 16384;
// Beyond what any image of the stand-ins needs; keeps a forged header from
// making the decoder allocate gigabytes.
inline constexpr long long kMaxImagePixels = 1LL << 26;
inline constexpr std::uintmax_t kMaxImageFileBytes = std::uintmax_t(64) << 20;

// Four bytes per pixel, R G B A with straight alpha, rows top first.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

enum class ImageFormats { Png, PngOrJpeg };

std::optional<DecodedImage> Decode(const std::uint8_t* bytes, std::size_t size, ImageFormats formats);
// The file's bytes, when it is a regular file within kMaxImageFileBytes.
std::optional<std::vector<std::uint8_t>> ReadImageFile(const std::filesystem::path& path);

}  // namespace standin::images
