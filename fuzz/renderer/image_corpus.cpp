// Writes the seed corpus of the image fuzzer into the folder named on the
// command line: small PNG, interlaced and iPhone-optimised PNG and JPEG files,
// and broken ones (truncated, bit-flipped, headers claiming images too large to
// decode, image data inflating far beyond its header).
// Deterministic, so every build fuzzes from the same seeds.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/renderer/test_images.h"

namespace {

constexpr std::size_t kFlips = 16;
constexpr std::uint32_t kFlipSeed = 4242;
// Image data of a 1 x 1 pixel PNG inflating to this.
constexpr std::size_t kBombInflated = std::size_t(1) << 20;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  using namespace orvane::testing;
  const fs::path folder = argv[1];
  fs::create_directories(folder);
  const RgbaImage pattern = TestPattern(5, 3);
  const std::vector<std::pair<std::string, Bytes>> wellFormed = {
      {"pattern.png", EncodePng(pattern)},
      {"pixel.png", EncodePng(TestPattern(1, 1))},
      {"iphone.png", EncodeIphonePng(pattern)},
      {"interlaced.png", EncodeInterlacedPng(pattern)},
      {"pattern.jpg", EncodeJpeg(TestPattern(17, 9), 90)},
      {"low-quality.jpg", EncodeJpeg(TestPattern(8, 8), 20)},
  };
  bool ok = WriteFileBytes(folder / "too-wide.png", PngClaiming(16385, 1, 8)) &&
            WriteFileBytes(folder / "over-budget.png", PngClaiming(16384, 16384, 8)) &&
            WriteFileBytes(folder / "over-budget-16-bit.png", PngClaiming(8192, 8192, 16)) &&
            WriteFileBytes(folder / "huffman-overflow.jpg", WithOversizedHuffmanTable(EncodeJpeg(pattern, 90))) &&
            WriteFileBytes(folder / "empty-first-idat.png", WithEmptyFirstImageData(EncodePng(pattern))) &&
            WriteFileBytes(folder / "bomb.png", DecompressionBomb(kBombInflated)) &&
            WriteFileBytes(folder / "empty", Bytes{});
  for (const auto& [name, bytes] : wellFormed) {
    ok = ok && WriteFileBytes(folder / name, bytes);
    for (const std::size_t length : {std::size_t(8), std::size_t(33), bytes.size() / 2, bytes.size() - 1}) {
      ok = ok && WriteFileBytes(folder / ("truncated-" + std::to_string(length) + "-" + name),
                       Bytes(bytes.begin(), bytes.begin() + std::min(length, bytes.size())));
    }
    for (const BitFlip& flip : BitFlips(bytes, kFlips, kFlipSeed, bytes.size())) {
      ok = ok && WriteFileBytes(folder / ("flipped-" + std::to_string(flip.at) + "-" + name), flip.bytes);
    }
  }
  return ok ? 0 : 1;
}
