// Writes the editor's logo "Orvane-Logo.png": an abstract mark (a slate disc
// in a gold ring, crossed by one swelling wave), 256 x 256 RGBA, each pixel
// averaged over a grid of samples so that the edges are smooth. Run by hand
// when the mark changes, and the result committed.
// Usage: orvane_make_logo <output path>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

constexpr int kSize = 256;
constexpr int kChannels = 4;
constexpr int kSamplesPerAxis = 4;
constexpr double kCentre = kSize / 2.0;

constexpr double kDiscRadius = 120.0;
constexpr double kRingInner = 104.0;
constexpr double kRingOuter = 116.0;
constexpr double kWaveRadius = 96.0;  // the wave stops short of the ring
constexpr double kWaveAmplitude = 46.0;
constexpr double kWavePeriods = 1.5;
constexpr double kWaveHalfThickness = 7.0;

struct Rgba {
  double r, g, b, a;
};

constexpr Rgba kTransparent{0.0, 0.0, 0.0, 0.0};
constexpr Rgba kSlate{44.0, 52.0, 64.0, 255.0};
constexpr Rgba kGold{213.0, 188.0, 112.0, 255.0};

// Distance from (x, y) to the wave, measured across it: the vertical distance
// scaled by the curve's slope.
double DistanceToWave(double x, double y) {
  const double u = (x - kCentre) / kWaveRadius;  // -1 .. 1 across the disc
  const double phase = kWavePeriods * std::numbers::pi * u;
  const double envelope = 1.0 - u * u;  // swells in the middle, flat at the ends
  const double curve = kCentre - kWaveAmplitude * envelope * std::sin(phase);
  const double slope =
      -kWaveAmplitude * (envelope * std::cos(phase) * kWavePeriods * std::numbers::pi - 2.0 * u * std::sin(phase)) /
      kWaveRadius;
  return std::abs(y - curve) / std::sqrt(1.0 + slope * slope);
}

Rgba Sample(double x, double y) {
  const double radius = std::hypot(x - kCentre, y - kCentre);
  if (radius >= kDiscRadius) return kTransparent;
  if (radius >= kRingInner && radius < kRingOuter) return kGold;
  if (radius < kWaveRadius && DistanceToWave(x, y) < kWaveHalfThickness) return kGold;
  return kSlate;
}

std::uint8_t Channel(double value) { return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0))); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output path>\n", argv[0]);
    return 2;
  }
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kSize) * kSize * kChannels);
  constexpr int kSamples = kSamplesPerAxis * kSamplesPerAxis;
  for (int py = 0; py < kSize; ++py) {
    for (int px = 0; px < kSize; ++px) {
      // Colours summed by their alpha, so that transparent samples add no colour.
      Rgba sum = kTransparent;
      for (int sy = 0; sy < kSamplesPerAxis; ++sy) {
        for (int sx = 0; sx < kSamplesPerAxis; ++sx) {
          const Rgba s = Sample(px + (sx + 0.5) / kSamplesPerAxis, py + (sy + 0.5) / kSamplesPerAxis);
          const double weight = s.a / 255.0;
          sum = {sum.r + s.r * weight, sum.g + s.g * weight, sum.b + s.b * weight, sum.a + s.a};
        }
      }
      const double coverage = sum.a / 255.0;
      const std::array<std::uint8_t, kChannels> rgba{
          Channel(coverage > 0.0 ? sum.r / coverage : 0.0), Channel(coverage > 0.0 ? sum.g / coverage : 0.0),
          Channel(coverage > 0.0 ? sum.b / coverage : 0.0), Channel(sum.a / kSamples)};
      std::copy(rgba.begin(), rgba.end(), pixels.begin() + (static_cast<std::ptrdiff_t>(py) * kSize + px) * kChannels);
    }
  }
  if (stbi_write_png(argv[1], kSize, kSize, kChannels, pixels.data(), kSize * kChannels) == 0) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
