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

bool Write(const std::filesystem::path& path, const Bytes& bytes) {
  return orvane::testing::WriteFileBytes(path.string(), bytes);
}

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
  bool ok = Write(folder / "dejavu-sans-mono.ttf", mono) && Write(folder / "dejavu-sans.ttf", sans) &&
            Write(folder / "collection.ttc", BuildCollection({mono, bold})) &&
            Write(folder / "small.ttf", SmallFont().Build());
  for (const std::size_t length : {std::size_t(12), std::size_t(300), std::size_t(5000), mono.size() / 2,
                                   mono.size() - 1}) {
    ok = ok && Write(folder / ("truncated-" + std::to_string(length) + ".ttf"), Bytes(mono.begin(), mono.begin() + length));
  }
  // Flips in the directory and table headers, where offsets and counts live.
  std::uint32_t state = kFlipSeed;
  for (std::size_t i = 0; i < kFlips; ++i) {
    state = state * 1103515245u + 12345u;
    const std::size_t at = (state >> 8) % 2048;
    Bytes flipped = mono;
    flipped[at] ^= static_cast<unsigned char>(1u << (state % 8));
    ok = ok && Write(folder / ("flipped-" + std::to_string(at) + ".ttf"), flipped);
  }
  for (const RefusedFont& font : RefusedFonts()) ok = ok && Write(folder / (Slug(font.name) + ".ttf"), font.font);
  for (const RefusedFont& font : FontsWithARefusedGlyph()) {
    ok = ok && Write(folder / ("glyph-" + Slug(font.name) + ".ttf"), font.font);
  }
  return ok ? 0 : 1;
}
