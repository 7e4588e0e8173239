#include "tests/support/renderer/test_images.h"

#include <cstdint>
#include <cstdlib>
#include <algorithm>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace orvane::testing {

namespace {

constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kColorTypeRgba = 6;
constexpr std::size_t kMaxStoredBlock = 65535;
constexpr int kBestCompression = 9;

std::uint32_t Crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::uint32_t Adler32(const Bytes& data) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const unsigned char byte : data) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  return b << 16 | a;
}

void AppendU32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void AppendChunk(Bytes& out, const char* type, const Bytes& data) {
  AppendU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  AppendU32(out, Crc32(out.data() + typeAt, out.size() - typeAt));
}

Bytes Header(int width, int height, int bitDepth, bool interlaced = false) {
  Bytes ihdr;
  AppendU32(ihdr, static_cast<std::uint32_t>(width));
  AppendU32(ihdr, static_cast<std::uint32_t>(height));
  ihdr.push_back(static_cast<unsigned char>(bitDepth));
  ihdr.push_back(kColorTypeRgba);
  ihdr.push_back(0);  // deflate
  ihdr.push_back(0);  // adaptive filtering
  ihdr.push_back(interlaced ? 1 : 0);  // Adam7 or none
  return ihdr;
}

// A deflate stream of stored (uncompressed) blocks.
Bytes StoredDeflate(const Bytes& data) {
  Bytes out;
  std::size_t at = 0;
  do {
    const std::size_t length = std::min(kMaxStoredBlock, data.size() - at);
    const bool last = at + length == data.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<unsigned char>(length));
    out.push_back(static_cast<unsigned char>(length >> 8));
    out.push_back(static_cast<unsigned char>(~length));
    out.push_back(static_cast<unsigned char>(~length >> 8));
    out.insert(out.end(), data.begin() + at, data.begin() + at + length);
    at += length;
  } while (at < data.size());
  return out;
}

// Rows with filter byte 0 before each.
Bytes Scanlines(int width, int height, const Bytes& rgba) {
  Bytes rows;
  const std::size_t stride = std::size_t(width) * 4;
  for (int y = 0; y < height; ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), rgba.begin() + y * stride, rgba.begin() + (y + 1) * stride);
  }
  return rows;
}

// The seven interlace passes' scanlines one after another; a pass without
// pixels has no rows.
Bytes Adam7Scanlines(const RgbaImage& image) {
  constexpr int kPasses[][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};  // x0, y0, dx, dy
  Bytes rows;
  for (const auto& [x0, y0, dx, dy] : kPasses) {
    if (x0 >= image.width || y0 >= image.height) continue;
    for (int y = y0; y < image.height; y += dy) {
      rows.push_back(0);
      for (int x = x0; x < image.width; x += dx) {
        const auto pixel = image.rgba.begin() + (std::size_t(y) * image.width + x) * 4;
        rows.insert(rows.end(), pixel, pixel + 4);
      }
    }
  }
  return rows;
}

Bytes Png(const RgbaImage& image, const Bytes& pixels, bool iphone, bool interlaced = false) {
  Bytes out(std::begin(kSignature), std::end(kSignature));
  if (iphone) AppendChunk(out, "CgBI", {0x50, 0x00, 0x20, 0x02});
  AppendChunk(out, "IHDR", Header(image.width, image.height, 8, interlaced));
  const Bytes rows = interlaced ? Adam7Scanlines(image) : Scanlines(image.width, image.height, pixels);
  Bytes idat;
  if (!iphone) idat = {0x78, 0x01};  // zlib header: deflate, no dictionary
  const Bytes deflate = StoredDeflate(rows);
  idat.insert(idat.end(), deflate.begin(), deflate.end());
  if (!iphone) AppendU32(idat, Adler32(rows));
  AppendChunk(out, "IDAT", idat);
  AppendChunk(out, "IEND", {});
  return out;
}

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<Bytes*>(context);
  const auto* bytes = static_cast<const unsigned char*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

RgbaImage TestPattern(int width, int height) {
  RgbaImage image{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.rgba.push_back(static_cast<unsigned char>(40 + 50 * x));
      image.rgba.push_back(static_cast<unsigned char>(200 - 30 * y));
      image.rgba.push_back(static_cast<unsigned char>(17 * (x + y)));
      image.rgba.push_back(static_cast<unsigned char>(255 - 60 * ((x + y * width) % 5)));
    }
  }
  return image;
}

Bytes EncodePng(const RgbaImage& image) { return Png(image, image.rgba, false); }

Bytes EncodeInterlacedPng(const RgbaImage& image) { return Png(image, image.rgba, false, true); }

Bytes EncodeIphonePng(const RgbaImage& image) {
  Bytes bgra = image.rgba;
  for (std::size_t i = 0; i < bgra.size(); i += 4) {
    const unsigned alpha = bgra[i + 3];
    const auto premultiply = [alpha](unsigned char c) { return static_cast<unsigned char>((c * alpha + 127) / 255); };
    bgra[i] = premultiply(image.rgba[i + 2]);
    bgra[i + 1] = premultiply(image.rgba[i + 1]);
    bgra[i + 2] = premultiply(image.rgba[i]);
  }
  return Png(image, bgra, true);
}

Bytes EncodeJpeg(const RgbaImage& image, int quality) {
  Bytes out;
  stbi_write_jpg_to_func(&AppendBytes, &out, image.width, image.height, 4, image.rgba.data(), quality);
  return out;
}

Bytes WithOversizedHuffmanTable(Bytes jpeg) {
  constexpr std::size_t kLastCountAfterMarker = 4 + 1 + 15;  // length, table kind, counts
  for (std::size_t i = 0; i + kLastCountAfterMarker < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC4) {
      jpeg[i + kLastCountAfterMarker] = 0xFF;
      jpeg[i + kLastCountAfterMarker - 1] = 0xFF;
      break;
    }
  }
  return jpeg;
}

Bytes WithUndefinedHuffmanTables(Bytes jpeg) {
  constexpr unsigned char kUndefinedTables = 0x23;  // DC table 2, AC table 3
  for (std::size_t i = 0; i + 5 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
      const std::size_t components = jpeg[i + 4];
      for (std::size_t c = 1; c < components && i + 6 + 2 * c < jpeg.size(); ++c) jpeg[i + 6 + 2 * c] = kUndefinedTables;
      break;
    }
  }
  return jpeg;
}

Bytes WithEmptyFirstImageData(const Bytes& png) {
  const unsigned char type[] = {'I', 'D', 'A', 'T'};
  const auto found = std::search(png.begin(), png.end(), std::begin(type), std::end(type));
  if (found == png.end()) return png;
  Bytes empty;
  AppendChunk(empty, "IDAT", {});
  Bytes out(png.begin(), found - 4);  // before the chunk's length
  out.insert(out.end(), empty.begin(), empty.end());
  out.insert(out.end(), found - 4, png.end());
  return out;
}

Bytes PngClaiming(int width, int height, int bitDepth) {
  Bytes out(std::begin(kSignature), std::end(kSignature));
  AppendChunk(out, "IHDR", Header(width, height, bitDepth));
  const Bytes zeros(8, 0);
  Bytes idat = {0x78, 0x01};
  const Bytes deflate = StoredDeflate(zeros);
  idat.insert(idat.end(), deflate.begin(), deflate.end());
  AppendU32(idat, Adler32(zeros));
  AppendChunk(out, "IDAT", idat);
  AppendChunk(out, "IEND", {});
  return out;
}

Bytes DecompressionBomb(std::size_t inflatedBytes) {
  Bytes zeros(inflatedBytes, 0);
  int length = 0;
  unsigned char* zlib = stbi_zlib_compress(zeros.data(), static_cast<int>(zeros.size()), &length, kBestCompression);
  Bytes out(std::begin(kSignature), std::end(kSignature));
  AppendChunk(out, "IHDR", Header(1, 1, 8));
  AppendChunk(out, "IDAT", Bytes(zlib, zlib + length));
  AppendChunk(out, "IEND", {});
  std::free(zlib);
  return out;
}

}  // namespace orvane::testing
