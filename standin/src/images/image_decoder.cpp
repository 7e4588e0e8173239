// The stand-in's one image decoder translation unit, compiled with static
// linkage so it never clashes with another copy in a process.

#include "images/image_decoder.h"

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

void* CappedRealloc(void* block, std::size_t size) {
  return size <= kMaxDecoderAllocation ? std::realloc(block, size) : nullptr;
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

// The renderer's own copy of the decoder carries the same two guards below;
// the two live in targets that share no code of ours.

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

// The decoder copies an empty first image-data chunk of a PNG to a buffer it
// has not allocated yet. Chunks are walked by their lengths, as it reads them.
bool PngFirstImageDataHasBytes(const std::uint8_t* bytes, std::size_t size) {
  constexpr std::size_t kChunkFraming = 12;  // length, type and checksum
  const auto u32 = [bytes](std::size_t at) {
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 | std::uint32_t(bytes[at + 2]) << 8 |
           bytes[at + 3];
  };
  for (std::size_t at = sizeof kPngSignature; at + 8 <= size; at += kChunkFraming + u32(at)) {
    const std::uint32_t type = u32(at + 4);
    if (type == STBI__PNG_TYPE('I', 'D', 'A', 'T')) return u32(at) != 0;
    if (type == STBI__PNG_TYPE('I', 'E', 'N', 'D')) return true;
  }
  return true;
}

bool SafeToDecode(const std::uint8_t* bytes, std::size_t size, ImageFormats formats) {
  if (StartsWith(bytes, size, kPngSignature, sizeof kPngSignature)) return PngFirstImageDataHasBytes(bytes, size);
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
