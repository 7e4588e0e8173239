// The font atlas's costs in the editor: rasterising the printable ASCII set
// into an empty atlas at the editor's text sizes, and measuring a line.
#include <benchmark/benchmark.h>

#include <string>

#include "graphics/renderer/font_atlas.h"
#include "tests/support/renderer/test_fonts.h"

namespace {

constexpr int kAtlasSide = 512;
constexpr const char* kLine = "Preamp 2 gain 7.5 dB  tone stack after 3";  // 40 characters

FAcontext* MonoAtlas() {
  FAparams params{};
  params.width = params.height = kAtlasSide;
  params.flags = FA_ZERO_TOPLEFT;
  FAcontext* stash = faCreateInternal(&params);
  faAddFont(stash, "mono", orvane::testing::kDejaVuSansMono.c_str(), 0);
  return stash;
}

std::string PrintableAscii() {
  std::string text;
  for (char c = ' '; c <= '~'; ++c) text += c;
  return text;
}

void BM_RasterisePrintableAscii(benchmark::State& state) {
  FAcontext* stash = MonoAtlas();
  faSetSize(stash, static_cast<float>(state.range(0)));
  const std::string text = PrintableAscii();
  for (auto _ : state) {
    state.PauseTiming();
    faResetAtlas(stash, kAtlasSide, kAtlasSide);
    state.ResumeTiming();
    FAtextIter iter;
    FAquad quad;
    faTextIterInit(stash, &iter, 0, 0, text.c_str(), nullptr, FA_GLYPH_BITMAP_REQUIRED);
    while (faTextIterNext(stash, &iter, &quad)) benchmark::DoNotOptimize(quad);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  faDeleteInternal(stash);
}
BENCHMARK(BM_RasterisePrintableAscii)->Arg(11)->Arg(13)->Arg(16)->Unit(benchmark::kMicrosecond);

void BM_MeasureFortyCharacterLine(benchmark::State& state) {
  FAcontext* stash = MonoAtlas();
  faSetSize(stash, 13.0f);
  float bounds[4];
  faTextBounds(stash, 0, 0, kLine, nullptr, bounds);
  for (auto _ : state) benchmark::DoNotOptimize(faTextBounds(stash, 0, 0, kLine, nullptr, bounds));
  faDeleteInternal(stash);
}
BENCHMARK(BM_MeasureFortyCharacterLine)->Unit(benchmark::kNanosecond);

}  // namespace
