// Parsing an SVG document whose gradients form one chain of references, each
// gradient painted by a rectangle of its own: 32,000 of them come to 3 MB,
// under the reader's 4 MiB cap.
#include <benchmark/benchmark.h>

#include <string>

#include "graphics/svg_reader.h"

namespace {

std::string GradientChain(int gradients) {
  std::string text = "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>";
  for (int i = 0; i < gradients; ++i) {
    text += "<linearGradient id='g" + std::to_string(i) + "' href='#g" + std::to_string(i + 1) + "'/>";
    text += "<rect width='10' height='10' fill='url(#g" + std::to_string(i) + ")'/>";
  }
  return text + "</svg>";
}

void BM_ParseGradientChain(benchmark::State& state) {
  const std::string text = GradientChain(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(plugkit::graphics::ParseSvg(text, "px", 72.f));
  state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseGradientChain)->Arg(8000)->Arg(32000)->Unit(benchmark::kMillisecond);

}  // namespace
