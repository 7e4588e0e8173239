// Arbitrary bytes as a font file: faces 0 and 1 are loaded and, when
// accepted, a fixed text is measured and rasterised at two sizes, with and
// without blur.
#include <cstddef>
#include <cstdint>
#include <climits>
#include <vector>

#include "graphics/renderer/font_atlas.h"

namespace {

// Latin, kerning pairs, the crafted fonts' letters, a fallback-only Coptic letter, CJK, a missing plane-16
// code point and a cut-off sequence.
constexpr const char* kText = "Hello, Wg0 AV ABC \xCF\xA2 \xE4\xB8\x80 \xF4\x8F\xBF\xBD \xC3";
constexpr float kSizes[] = {13.0f, 40.0f};
constexpr float kBlurs[] = {0.0f, 3.0f};

void Exercise(FAcontext* stash, int font) {
  faSetFont(stash, font);
  for (const float size : kSizes) {
    for (const float blur : kBlurs) {
      faSetSize(stash, size);
      faSetBlur(stash, blur);
      float bounds[4];
      faTextBounds(stash, 0, 0, kText, nullptr, bounds);
      FAtextIter iter;
      FAquad quad;
      if (!faTextIterInit(stash, &iter, 10, 50, kText, nullptr, FA_GLYPH_BITMAP_REQUIRED)) continue;
      while (faTextIterNext(stash, &iter, &quad)) {
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT_MAX) return 0;
  FAparams params{};
  params.width = params.height = 512;
  params.flags = FA_ZERO_TOPLEFT;
  FAcontext* stash = faCreateInternal(&params);
  if (!stash) return 0;
  std::vector<unsigned char> bytes(data, data + size);  // read in place while the atlas lives
  int previous = -1;
  for (const int face : {0, 1}) {
    const int font = faAddFontMem(stash, "fuzz", bytes.data(), static_cast<int>(size), face, 0);
    if (font < 0) continue;
    if (previous >= 0) faAddFallbackFont(stash, font, previous);
    Exercise(stash, font);
    previous = font;
  }
  faDeleteInternal(stash);
  return 0;
}
