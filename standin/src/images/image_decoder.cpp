// The stand-in's one image decoder translation unit, compiled with static
// linkage so it never clashes with another copy in a process.

#include "images/image_decoder.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

// The most the decoder needs for an image within the limits (its pixels, or
// the inflated PNG data, of 16-bit channels at half the pixel budget) with
// room to spare. A larger request comes from a forged chunk length or a
// compression bomb and is refused as out of memory.
constexpr std::size_t kMaxDecoderAllocation = std::size_t(standin::images::kMaxImagePixels) * 4 + (std::size_t(64) << 20);

// Zeroed: a JPEG scan may use a Huffman table the file never defined, and the
// decoder then reads that table as it finds it in memory.
void* ZeroedAlloc(std::size_t size) { return size <= kMaxDecoderAllocation ? std::calloc(1, size) : nullptr; }

// While a PNG decodes. The decoder gathers the compressed chunks in a block it
// grows from nothing; every other block it grows holds inflated image data,
// which may not pass the ceiling the image's header sets.
struct InflateLimit {
  bool active = false;
  std::size_t ceiling = 0;
  void* gathered = nullptr;
};
thread_local InflateLimit gInflateLimit;

void* CappedRealloc(void* block, std::size_t size) {
  const bool gathering = block == nullptr || block == gInflateLimit.gathered;
  if (size > kMaxDecoderAllocation || (gInflateLimit.active && !gathering && size > gInflateLimit.ceiling)) {
    return nullptr;
  }
  void* grown = std::realloc(block, size);
  if (gathering && grown != nullptr) gInflateLimit.gathered = grown;
  return grown;
}

}  // namespace

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS standin::images::kMaxImageSide
#define STBI_MALLOC(size) ZeroedAlloc(size)
#define STBI_REALLOC(block, size) CappedRealloc(block, size)
#define STBI_FREE(block) std::free(block)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace standin::images {
namespace {

constexpr int kRgba = 4;
constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kJpegSignature[] = {0xFF, 0xD8};

// JPEG markers the segment walk below needs.
enum JpegMarker : int {
  kStartOfImage = 0xD8,
  kEndOfImage = 0xD9,
  kStartOfScan = 0xDA,
  kHuffmanTables = 0xC4,
  kFirstFrame = 0xC0,  // baseline, extended and progressive
  kLastFrame = 0xC2,
  kQuantisationTables = 0xDB,
  kLineCount = 0xDC,
  kRestartInterval = 0xDD,
  kFirstApplication = 0xE0,
  kLastApplication = 0xEF,
  kComment = 0xFE,
  kFirstRestart = 0xD0,
  kLastRestart = 0xD7,
};
constexpr int kHuffmanCodes = 256;  // the symbols a decoder table has room for
constexpr int kCodeLengths = 16;
// A JPEG codes each 8 x 8 block of a component in two bits at the very least,
// so a whole file holds a byte for every 256 pixels or more. The decoder reads
// zeros past the end and would decode every block of a short file claiming a
// huge image; one byte per 512 pixels leaves room and refuses those.
constexpr long long kMaxJpegPixelsPerByte = 512;

bool StartsWith(const std::uint8_t* bytes, std::size_t size, const std::uint8_t* prefix, std::size_t length) {
  return size >= length && std::memcmp(bytes, prefix, length) == 0;
}

// The renderer's own copy of the decoder carries the same guards below (and
// the same ceiling on inflated PNG data); the two live in targets that share
// no code of ours.

// The decoder fills a JPEG Huffman table with as many codes as the file
// claims, into room for 256. This walks the segments as the decoder reads them
// (by their lengths, the tables of one segment in a row, entropy-coded data up
// to the next marker) and answers false when a table claims more; where the
// walk stops early, the decoder fails too.
class HuffmanTableWalk {
public:
  HuffmanTableWalk(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  bool TablesFit() {
    if (NextMarker() != kStartOfImage) return true;
    for (;;) {
      const int marker = NextMarker();
      if (marker < 0 || marker == kEndOfImage || !HasSegment(marker) || at_ + 2 > size_) return true;
      const std::size_t length = std::size_t(bytes_[at_]) << 8 | bytes_[at_ + 1];
      if (length < 2) return true;
      if (marker == kHuffmanTables && !SegmentTablesFit(at_ + 2, length - 2)) return false;
      at_ += length;
      if (marker == kStartOfScan) SkipEntropyCodedData();
    }
  }

private:
  // The markers the decoder reads a segment for; any other makes it fail.
  static bool HasSegment(int marker) {
    return (marker >= kFirstFrame && marker <= kLastFrame) || marker == kHuffmanTables ||
           marker == kQuantisationTables || marker == kStartOfScan || marker == kLineCount ||
           marker == kRestartInterval || (marker >= kFirstApplication && marker <= kLastApplication) ||
           marker == kComment;
  }

  // The decoder reads zeros past the end.
  int Byte(std::size_t at) const { return at < size_ ? bytes_[at] : 0; }

  int NextMarker() {
    while (at_ < size_ && bytes_[at_] != 0xFF) ++at_;
    while (at_ < size_ && bytes_[at_] == 0xFF) ++at_;
    return at_ < size_ ? bytes_[at_++] : -1;
  }

  bool SegmentTablesFit(std::size_t at, std::size_t remaining) const {
    while (remaining > 0 && at < size_) {
      const int kind = Byte(at++);
      if ((kind >> 4) > 1 || (kind & 15) > 3) return true;  // the decoder refuses the table
      int codes = 0;
      for (int length = 0; length < kCodeLengths; ++length) codes += Byte(at++);
      if (codes > kHuffmanCodes) return false;
      at += codes;
      const std::size_t table = 1 + kCodeLengths + codes;
      remaining = remaining > table ? remaining - table : 0;
    }
    return true;
  }

  // To the 0xFF of the next marker other than a restart; 0xFF 0x00 is data.
  void SkipEntropyCodedData() {
    while (at_ < size_) {
      if (bytes_[at_] != 0xFF) {
        ++at_;
        continue;
      }
      std::size_t next = at_ + 1;
      while (next < size_ && bytes_[next] == 0xFF) ++next;
      const int byte = Byte(next);
      if (next < size_ && byte != 0 && (byte < kFirstRestart || byte > kLastRestart)) return;
      at_ = next + 1;
    }
  }

  const std::uint8_t* bytes_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// A PNG's chunks as the decoder reads them, walked by their lengths: the
// header's fields, and whether the first image-data chunk is empty (the
// decoder copies such a chunk to a buffer it has not allocated yet).
struct PngLayout {
  bool emptyFirstImageData = false;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  int colorType = 0;
  bool interlaced = false;
};

PngLayout ReadPngLayout(const std::uint8_t* bytes, std::size_t size) {
  constexpr std::size_t kChunkFraming = 12;  // length, type and checksum
  constexpr std::size_t kHeaderBytes = 13;
  const auto u32 = [bytes](std::size_t at) {
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 | std::uint32_t(bytes[at + 2]) << 8 |
           bytes[at + 3];
  };
  PngLayout png;
  for (std::size_t at = sizeof kPngSignature; at + 8 <= size; at += kChunkFraming + u32(at)) {
    const std::uint32_t type = u32(at + 4);
    if (type == STBI__PNG_TYPE('I', 'H', 'D', 'R') && at + 8 + kHeaderBytes <= size) {
      png.width = u32(at + 8);
      png.height = u32(at + 12);
      png.bitDepth = bytes[at + 16];
      png.colorType = bytes[at + 17];
      png.interlaced = bytes[at + 20] != 0;
    }
    if (type == STBI__PNG_TYPE('I', 'D', 'A', 'T')) {
      png.emptyFirstImageData = u32(at) == 0;
      break;
    }
    if (type == STBI__PNG_TYPE('I', 'E', 'N', 'D')) break;
  }
  return png;
}

// Samples per pixel of a PNG colour type; a palette index is one, and so is
// any type the decoder refuses before inflating.
int PngChannels(int colorType) {
  enum : int { kRgb = 2, kGreyAlpha = 4, kRgbAlpha = 6 };
  switch (colorType) {
    case kRgb: return 3;
    case kGreyAlpha: return 2;
    case kRgbAlpha: return 4;
    default: return 1;
  }
}

// Inflated PNG data: each row's filter byte and packed samples.
std::uint64_t PngRowsBytes(std::uint64_t width, std::uint64_t height, std::uint64_t bitsPerPixel) {
  if (width == 0 || height == 0) return 0;
  return height * ((width * bitsPerPixel + 7) / 8 + 1);
}

// The most the decoder may hold of a PNG's inflated data. It grows its buffer
// by doubling from the non-interlaced size, so data of the size the header
// promises (the larger of that and, when interlaced, the seven passes' total)
// takes up to twice it.
std::size_t PngInflateCeiling(const PngLayout& png) {
  constexpr std::uint64_t kGrowthByDoubling = 2;
  struct Pass {
    std::uint32_t x0, y0, dx, dy;  // every dx-th pixel of every dy-th row from (x0, y0)
  };
  constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  const std::uint64_t bits = std::uint64_t(png.bitDepth) * PngChannels(png.colorType);
  std::uint64_t promised = PngRowsBytes(png.width, png.height, bits);
  if (png.interlaced) {
    const auto count = [](std::uint32_t size, std::uint32_t start, std::uint32_t step) {
      return size > start ? (std::uint64_t(size) - start + step - 1) / step : 0;
    };
    std::uint64_t passes = 0;
    for (const Pass& pass : kAdam7) {
      passes += PngRowsBytes(count(png.width, pass.x0, pass.dx), count(png.height, pass.y0, pass.dy), bits);
    }
    promised = std::max(promised, passes);
  }
  return static_cast<std::size_t>(kGrowthByDoubling * promised);
}

// Holds a PNG decode's inflated data to its ceiling for the life of the guard.
class ScopedInflateLimit {
public:
  ScopedInflateLimit(bool active, std::size_t ceiling) { gInflateLimit = {active, ceiling, nullptr}; }
  ~ScopedInflateLimit() { gInflateLimit = {}; }
  ScopedInflateLimit(const ScopedInflateLimit&) = delete;
  ScopedInflateLimit& operator=(const ScopedInflateLimit&) = delete;
};

bool SafeToDecode(const std::uint8_t* bytes, std::size_t size, ImageFormats formats) {
  if (StartsWith(bytes, size, kPngSignature, sizeof kPngSignature)) {
    return !ReadPngLayout(bytes, size).emptyFirstImageData;
  }
  if (formats == ImageFormats::PngOrJpeg && StartsWith(bytes, size, kJpegSignature, sizeof kJpegSignature)) {
    return HuffmanTableWalk(bytes, size).TablesFit();
  }
  return false;
}

}  // namespace

std::optional<DecodedImage> Decode(const std::uint8_t* bytes, std::size_t size, ImageFormats formats) {
  if (bytes == nullptr || size == 0 || size > std::size_t(INT_MAX) || !SafeToDecode(bytes, size, formats)) {
    return std::nullopt;
  }
  const int length = static_cast<int>(size);
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) return std::nullopt;
  const long long pixelCount = static_cast<long long>(width) * height;
  const long long weight = stbi_is_16_bit_from_memory(bytes, length) ? 2 : 1;
  if (pixelCount * weight > kMaxImagePixels) return std::nullopt;
  if (!StartsWith(bytes, size, kPngSignature, sizeof kPngSignature) &&
      pixelCount > static_cast<long long>(size) * kMaxJpegPixelsPerByte) {
    return std::nullopt;
  }
  // Iphone-optimised PNG files (premultiplied BGRA) come out as plain RGBA.
  stbi_set_unpremultiply_on_load(1);
  stbi_convert_iphone_png_to_rgb(1);
  const bool png = StartsWith(bytes, size, kPngSignature, sizeof kPngSignature);
  const ScopedInflateLimit limit(png, png ? PngInflateCeiling(ReadPngLayout(bytes, size)) : 0);
  const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
      stbi_load_from_memory(bytes, length, &width, &height, &channels, kRgba), &stbi_image_free);
  if (!pixels) return std::nullopt;
  DecodedImage image;
  image.width = width;
  image.height = height;
  image.rgba.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(width) * height * kRgba);
  return image;
}

std::optional<std::vector<std::uint8_t>> ReadImageFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxImageFileBytes) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace standin::images
