// Writes the seed corpus of the font fuzzer into the folder named on the
// command line: the DejaVu fonts whole, truncated and bit-flipped, a two-face
// collection, the small well-formed font and every crafted font the checks
// refuse. Deterministic, so every build fuzzes from the same seeds.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/renderer/test_fonts.h"

namespace {

using orvane::testing::Bytes;

constexpr std::size_t kFlips = 24;
constexpr std::uint32_t kFlipSeed = 12345;
constexpr std::size_t kFlipRange = 2048;

std::string Slug(std::string name) {
  for (char& c : name) c = (c == ' ' || c == '\'') ? '-' : c;
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  const fs::path folder = argv[1];
  fs::create_directories(folder);
  using namespace orvane::testing;
  const Bytes mono = ReadFileBytes(kDejaVuSansMono);
  const Bytes bold = ReadFileBytes(kDejaVuSansMonoBold);
  const Bytes sans = ReadFileBytes(kDejaVuSans);
  if (mono.empty() || bold.empty() || sans.empty()) {
    std::fprintf(stderr, "the DejaVu fonts are missing; scripts/setup.sh installs them\n");
    return 1;
  }
  bool ok = WriteFileBytes(folder / "dejavu-sans-mono.ttf", mono) && WriteFileBytes(folder / "dejavu-sans.ttf", sans) &&
            WriteFileBytes(folder / "collection.ttc", BuildCollection({mono, bold})) &&
            WriteFileBytes(folder / "small.ttf", SmallFont().Build());
  for (const std::size_t length : {std::size_t(12), std::size_t(300), std::size_t(5000), mono.size() / 2,
                                   mono.size() - 1}) {
    ok = ok && WriteFileBytes(folder / ("truncated-" + std::to_string(length) + ".ttf"), Bytes(mono.begin(), mono.begin() + length));
  }
  // Flips in the directory and table headers, where offsets and counts live.
  for (const BitFlip& flip : BitFlips(mono, kFlips, kFlipSeed, kFlipRange)) {
    ok = ok && WriteFileBytes(folder / ("flipped-" + std::to_string(flip.at) + ".ttf"), flip.bytes);
  }
  for (const RefusedFont& font : RefusedFonts()) ok = ok && WriteFileBytes(folder / (Slug(font.name) + ".ttf"), font.font);
  for (const RefusedFont& font : FontsWithARefusedGlyph()) {
    ok = ok && WriteFileBytes(folder / ("glyph-" + Slug(font.name) + ".ttf"), font.font);
  }
  return ok ? 0 : 1;
}
