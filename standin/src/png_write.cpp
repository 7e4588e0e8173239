// The PNG encoder of the testing images. Screenshots and golden images are
// mostly flat colour, which deflate packs best unfiltered; opaque images are
// written without their alpha channel.

#include "png_codec.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>

namespace standin::png {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kBitDepth = 8;
constexpr std::uint8_t kColourTypeRgb = 2;
constexpr std::uint8_t kColourTypeRgba = 6;
constexpr std::uint8_t kFilterNone = 0;
constexpr std::uint8_t kOpaque = 255;
constexpr int kRgba = 4;

void AppendBigEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendChunk(std::vector<std::uint8_t>& bytes, std::string_view type, const std::vector<std::uint8_t>& data) {
  AppendBigEndian(bytes, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeStart = bytes.size();
  bytes.insert(bytes.end(), type.begin(), type.end());
  bytes.insert(bytes.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, bytes.data() + typeStart, static_cast<uInt>(bytes.size() - typeStart));
  AppendBigEndian(bytes, static_cast<std::uint32_t>(crc));
}

bool Opaque(const testing::Image& image) {
  for (std::size_t alpha = 3; alpha < image.rgba.size(); alpha += kRgba)
    if (image.rgba[alpha] != kOpaque) return false;
  return true;
}

// Every row behind its filter byte.
std::vector<std::uint8_t> UnfilteredRows(const testing::Image& image, int channels) {
  std::vector<std::uint8_t> rows;
  rows.reserve(static_cast<std::size_t>(image.height) * (1 + static_cast<std::size_t>(image.width) * channels));
  for (int y = 0; y < image.height; ++y) {
    rows.push_back(kFilterNone);
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* pixel = image.pixel(x, y);
      rows.insert(rows.end(), pixel, pixel + channels);
    }
  }
  return rows;
}

std::vector<std::uint8_t> Deflated(const std::vector<std::uint8_t>& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::vector<std::uint8_t> deflated(size);
  if (compress2(deflated.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION) != Z_OK)
    return {};
  deflated.resize(size);
  return deflated;
}

}  // namespace

std::vector<std::uint8_t> Encode(const testing::Image& image) {
  if (image.empty()) return {};
  const bool opaque = Opaque(image);
  const std::vector<std::uint8_t> deflated = Deflated(UnfilteredRows(image, opaque ? 3 : kRgba));
  if (deflated.empty()) return {};

  std::vector<std::uint8_t> header;
  AppendBigEndian(header, static_cast<std::uint32_t>(image.width));
  AppendBigEndian(header, static_cast<std::uint32_t>(image.height));
  // Bit depth and colour type; then compression method, filter method and interlace, each 0.
  header.insert(header.end(), {kBitDepth, opaque ? kColourTypeRgb : kColourTypeRgba, 0, 0, 0});

  std::vector<std::uint8_t> bytes(kSignature.begin(), kSignature.end());
  AppendChunk(bytes, "IHDR", header);
  AppendChunk(bytes, "IDAT", deflated);
  AppendChunk(bytes, "IEND", {});
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
