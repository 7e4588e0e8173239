#include "graphics/alpha_blur.h"

#include <algorithm>
#include <cmath>

namespace plugkit::graphics {

namespace {

constexpr int kPixelBytes = 4;
constexpr float kSpread = 4.5f;  // e^(-4.5) at the radius: the taps fade to about 1 in 90
constexpr float kFullTap = 255.f;
constexpr uint32_t kMaxAlpha = 255;

// Taps j = 1 … reach on each side of pixel i, each inside the line.
uint32_t WeightedSum(const uint8_t* line, const uint8_t* taps, int i, int leftReach, int rightReach) {
  uint32_t sum = taps[0] * static_cast<uint32_t>(line[i * kPixelBytes]);
  for (int j = 1; j <= leftReach; ++j) sum += taps[j] * static_cast<uint32_t>(line[(i - j) * kPixelBytes]);
  for (int j = 1; j <= rightReach; ++j) sum += taps[j] * static_cast<uint32_t>(line[(i + j) * kPixelBytes]);
  return sum;
}

}  // namespace

AlphaBlurKernel::AlphaBlurKernel(float radius) {
  if (!(radius >= 1.f)) radius = 1.f;
  radius = std::min(radius, kMaxRadius);
  const int size = static_cast<int>(std::ceil(radius));
  mTaps.Resize(size);
  if (mTaps.GetSize() != size) return;
  mSize = size;
  const float k = kSpread / (radius * radius);
  uint8_t* taps = mTaps.Get();
  for (int i = 0; i < size; ++i) {
    const float x = static_cast<float>(i);
    taps[i] = static_cast<uint8_t>(std::lround(kFullTap * std::exp(-k * x * x)));
    mNorm += (i == 0 ? 1u : 2u) * taps[i];
  }
}

void BlurAndTransposeAlpha(const uint8_t* in, uint8_t* out, const AlphaBlurKernel& kernel, int lineLength,
                           int lineCount, std::ptrdiff_t outStride, std::ptrdiff_t inStride) {
  const int n = kernel.Size();
  if (n < 1 || lineLength < 1) return;
  const uint8_t* taps = kernel.Taps();
  const uint32_t norm = kernel.Norm();
  for (int l = 0; l < lineCount; ++l) {
    const uint8_t* line = in + l * inStride;
    uint8_t* column = out + l * kPixelBytes;
    auto changesAt = [line](int p) { return line[p * kPixelBytes] != line[(p - 1) * kPixelBytes]; };
    // Where the run of equal values ending at pixel i + n - 1, the window's
    // last, begins: once it covers the window the sum is that value times the norm.
    int runStart = 0;
    for (int p = 1; p < n - 1 && p < lineLength; ++p)
      if (changesAt(p)) runStart = p;
    for (int i = 0; i < lineLength; ++i) {
      const int last = i + n - 1;
      const bool windowInside = i >= n - 1 && last < lineLength;
      if (last > 0 && last < lineLength && changesAt(last)) runStart = last;
      uint8_t value;
      if (windowInside && runStart <= i - (n - 1)) {
        value = line[i * kPixelBytes];
      } else {
        const uint32_t sum = WeightedSum(line, taps, i, std::min(n - 1, i), std::min(n - 1, lineLength - 1 - i));
        value = static_cast<uint8_t>(std::min(sum / norm, kMaxAlpha));
      }
      column[i * outStride] = value;
    }
  }
}

}  // namespace plugkit::graphics
