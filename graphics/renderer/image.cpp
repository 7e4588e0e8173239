// The one translation unit that compiles the image decoder (PNG and JPEG),
// with internal linkage and its memory from the core's allocation seam.
#include "graphics/renderer/image.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/vector_context.h"

namespace {

// Zeroed: a JPEG scan may use a Huffman table that the file never defined,
// and the decoder then reads that table as it finds it in memory.
void* DecoderAlloc(std::size_t size) {
  void* block = vc__alloc(size);
  if (block) std::memset(block, 0, size);
  return block;
}

// While a PNG decodes. The decoder gathers the compressed chunks in a block it
// grows from nothing; every other block it grows holds inflated image data,
// which may not pass the ceiling its header sets.
struct InflateLimit {
  bool active = false;
  std::size_t ceiling = 0;
  void* gathered = nullptr;
};
thread_local InflateLimit gInflateLimit;

void* DecoderRealloc(void* block, std::size_t size) {
  InflateLimit& limit = gInflateLimit;
  const bool gathering = !block || block == limit.gathered;
  if (limit.active && !gathering && size > limit.ceiling) return nullptr;
  void* grown = vc__realloc(block, size);
  if (gathering && grown) limit.gathered = grown;
  return grown;
}

}  // namespace

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_MAX_DIMENSIONS VC_MAX_IMAGE_SIDE
#define STBI_NO_STDIO
#define STBI_MALLOC(size) DecoderAlloc(size)
#define STBI_REALLOC(ptr, size) DecoderRealloc(ptr, size)
#define STBI_FREE(ptr) vc__free(ptr)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace {

constexpr int kRgbaChannels = 4;

// JPEG markers of the walk below.
constexpr int kJpegStartOfImage = 0xD8;
constexpr int kJpegEndOfImage = 0xD9;
constexpr int kJpegStartOfScan = 0xDA;
constexpr int kJpegHuffmanTables = 0xC4;
constexpr int kJpegFirstFrame = 0xC0;  // baseline, extended and progressive
constexpr int kJpegLastFrame = 0xC2;
constexpr int kJpegQuantisationTables = 0xDB;
constexpr int kJpegLineCount = 0xDC;
constexpr int kJpegRestartInterval = 0xDD;
constexpr int kJpegFirstApplication = 0xE0;
constexpr int kJpegLastApplication = 0xEF;
constexpr int kJpegComment = 0xFE;
constexpr int kJpegFirstRestart = 0xD0;
constexpr int kJpegLastRestart = 0xD7;
constexpr int kJpegHuffmanCodes = 256;  // symbols a table has room for
constexpr int kJpegCodeLengths = 16;

struct Decoded {
  stbi_uc* pixels = nullptr;
  int width = 0;
  int height = 0;
};

// Both creators set these, so a file decodes the same from memory as from
// disk: iPhone-optimised PNG files (premultiplied BGRA) come out as plain RGBA.
void SetDecoderSettings() {
  stbi_set_unpremultiply_on_load(1);
  stbi_convert_iphone_png_to_rgb(1);
}

// Refuses what the header says is too large before decoding allocates for it.
bool WithinPixelBudget(int width, int height, bool sixteenBit) {
  const long long weight = sixteenBit ? 2 : 1;
  return static_cast<long long>(width) * height * weight <= VC_MAX_IMAGE_PIXELS;
}

// The decoder fills each JPEG Huffman table with as many codes as the file
// claims, into room for 256, without checking. This walks the segments the
// way the decoder reads them (by their lengths, the tables of a table segment
// one after another, entropy-coded data up to the next marker) and answers
// false when a table claims more. Where the walk stops early the decoder
// fails too.
class JpegWalk {
public:
  JpegWalk(const unsigned char* data, int size) : mData(data), mSize(size) {}

  bool HuffmanTablesFit() {
    if (NextMarker() != kJpegStartOfImage) return true;
    for (;;) {
      const int marker = NextMarker();
      if (marker < 0 || marker == kJpegEndOfImage || !HasSegment(marker) || mAt + 2 > mSize) return true;
      const int length = mData[mAt] << 8 | mData[mAt + 1];
      if (length < 2) return true;
      if (marker == kJpegHuffmanTables && !TablesFit(mAt + 2, length - 2)) return false;
      mAt += length;
      if (marker == kJpegStartOfScan) SkipEntropyCodedData();
    }
  }

private:
  // Markers the decoder reads a segment for; any other makes it fail.
  static bool HasSegment(int marker) {
    return (marker >= kJpegFirstFrame && marker <= kJpegLastFrame) || marker == kJpegHuffmanTables ||
           marker == kJpegQuantisationTables || marker == kJpegStartOfScan || marker == kJpegLineCount ||
           marker == kJpegRestartInterval || (marker >= kJpegFirstApplication && marker <= kJpegLastApplication) ||
           marker == kJpegComment;
  }

  // The decoder reads 0 past the end.
  int Byte(long long at) const { return at < mSize ? mData[at] : 0; }

  int NextMarker() {
    while (mAt < mSize && mData[mAt] != 0xFF) ++mAt;
    while (mAt < mSize && mData[mAt] == 0xFF) ++mAt;
    return mAt < mSize ? mData[mAt++] : -1;
  }

  bool TablesFit(long long at, int remaining) const {
    while (remaining > 0 && at < mSize) {
      const int kind = Byte(at++);
      if ((kind >> 4) > 1 || (kind & 15) > 3) return true;  // the decoder refuses the table
      int codes = 0;
      for (int i = 0; i < kJpegCodeLengths; ++i) codes += Byte(at++);
      if (codes > kJpegHuffmanCodes) return false;
      at += codes;
      remaining -= 1 + kJpegCodeLengths + codes;
    }
    return true;
  }

  // To the 0xFF of the next marker other than a restart; 0xFF 0x00 is data.
  void SkipEntropyCodedData() {
    while (mAt < mSize) {
      if (mData[mAt] != 0xFF) {
        ++mAt;
        continue;
      }
      long long next = mAt + 1;
      while (next < mSize && mData[next] == 0xFF) ++next;
      const int byte = Byte(next);
      if (next < mSize && byte != 0 && (byte < kJpegFirstRestart || byte > kJpegLastRestart)) return;
      mAt = next + 1;
    }
  }

  const unsigned char* mData;
  long long mSize;
  long long mAt = 0;
};

// A PNG's chunks as the decoder reads them, walked by their lengths: the
// header's fields, and whether the first image-data chunk is empty (the
// decoder copies such a chunk to the buffer it has not allocated yet).
struct PngLayout {
  bool isPng = false;
  bool emptyFirstImageData = false;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  int colorType = 0;
  bool interlaced = false;
};

PngLayout ReadPngLayout(const unsigned char* data, int size) {
  constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  constexpr long long kChunkFraming = 12;  // length, type and checksum
  constexpr long long kHeaderBytes = 13;
  const auto u32 = [data](long long at) {
    return std::uint32_t(data[at]) << 24 | std::uint32_t(data[at + 1]) << 16 | std::uint32_t(data[at + 2]) << 8 |
           data[at + 3];
  };
  PngLayout png;
  if (size < int(sizeof(kSignature)) || std::memcmp(data, kSignature, sizeof(kSignature)) != 0) return png;
  png.isPng = true;
  for (long long at = sizeof(kSignature); at + 8 <= size; at += kChunkFraming + u32(at)) {
    const std::uint32_t type = u32(at + 4);
    if (type == STBI__PNG_TYPE('I', 'H', 'D', 'R') && at + 8 + kHeaderBytes <= size) {
      png.width = u32(at + 8);
      png.height = u32(at + 12);
      png.bitDepth = data[at + 16];
      png.colorType = data[at + 17];
      png.interlaced = data[at + 20] != 0;
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

// Why the decoder must not see this input, or null.
const char* RefusedBeforeDecoding(const unsigned char* data, int size, const PngLayout& png) {
  if (!JpegWalk(data, size).HuffmanTablesFit()) return "bad huffman table";
  if (png.emptyFirstImageData) return "empty IDAT";
  return nullptr;
}

Decoded Decode(const unsigned char* data, int ndata) {
  Decoded image;
  int channels = 0;
  const PngLayout png = ReadPngLayout(data, ndata);
  if (const char* reason = RefusedBeforeDecoding(data, ndata, png)) {
    stbi__err(reason, "Corrupt image");
    return {};
  }
  if (!stbi_info_from_memory(data, ndata, &image.width, &image.height, &channels)) return {};
  if (!WithinPixelBudget(image.width, image.height, stbi_is_16_bit_from_memory(data, ndata))) {
    stbi__err("too large", "Image has too many pixels");
    return {};
  }
  const ScopedInflateLimit limit(png.isPng, PngInflateCeiling(png));
  image.pixels = stbi_load_from_memory(data, ndata, &image.width, &image.height, &channels, kRgbaChannels);
  return image;
}

// The whole file through the allocation seam, or null ("can't fopen" when
// it cannot be opened).
unsigned char* ReadFile(const char* filename, int* size) {
  FILE* file = filename ? std::fopen(filename, "rb") : nullptr;
  if (!file) {
    stbi__err("can't fopen", "Unable to open file");
    return nullptr;
  }
  unsigned char* bytes = nullptr;
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
  if (length < 0 || length > INT_MAX || std::fseek(file, 0, SEEK_SET) != 0) {
    stbi__err("can't read", "Unable to read file");
  } else if (!(bytes = static_cast<unsigned char*>(vc__alloc(std::size_t(length) + 1)))) {
    stbi__err("outofmem", "Out of memory");
  } else if (std::fread(bytes, 1, std::size_t(length), file) != std::size_t(length)) {
    stbi__err("can't read", "Unable to read file");
    vc__free(bytes);
    bytes = nullptr;
  }
  std::fclose(file);
  *size = static_cast<int>(length);
  return bytes;
}

int CreateFromDecoded(VCcontext* ctx, const Decoded& image, int imageFlags) {
  if (!image.pixels) return 0;
  const int id = vcCreateImageRGBA(ctx, image.width, image.height, imageFlags, image.pixels);
  stbi_image_free(image.pixels);
  return id;
}

}  // namespace

int vcCreateImage(VCcontext* ctx, const char* filename, int imageFlags) {
  SetDecoderSettings();
  int size = 0;
  unsigned char* bytes = ReadFile(filename, &size);
  if (!bytes) return 0;
  const int image = CreateFromDecoded(ctx, Decode(bytes, size), imageFlags);
  vc__free(bytes);
  return image;
}

int vcCreateImageMem(VCcontext* ctx, int imageFlags, const unsigned char* data, int ndata) {
  SetDecoderSettings();
  if (!data || ndata <= 0) return stbi__err("no data", "No image data");
  return CreateFromDecoded(ctx, Decode(data, ndata), imageFlags);
}

int vcCreateImageRGBA(VCcontext* ctx, int width, int height, int imageFlags, const unsigned char* data) {
  return ctx->params.renderCreateTexture(ctx->params.userPtr, VC_TEXTURE_RGBA, width, height, imageFlags, data);
}

void vcUpdateImage(VCcontext* ctx, int image, const unsigned char* data) {
  int width = 0;
  int height = 0;
  ctx->params.renderGetTextureSize(ctx->params.userPtr, image, &width, &height);
  ctx->params.renderUpdateTexture(ctx->params.userPtr, image, 0, 0, width, height, data);
}

void vcImageSize(VCcontext* ctx, int image, int* width, int* height) {
  ctx->params.renderGetTextureSize(ctx->params.userPtr, image, width, height);
}

void vcDeleteImage(VCcontext* ctx, int image) { ctx->params.renderDeleteTexture(ctx->params.userPtr, image); }

const char* vcImageFailureReason() { return stbi_failure_reason(); }
