#pragma once

#include <cstddef>
#include <cstdint>

#include "common/heap_buf.h"

// The Gaussian blur behind layer drop shadows: it works on the alpha bytes of
// 4-byte pixels only, in two passes that each blur lines and write them as
// columns, so both passes read consecutive memory.
namespace plugkit::graphics {

// The taps of a Gaussian of radius r (at least 1) in bytes: n = ceil(r) taps,
// tap i = round(255 e^(-4.5 i² / r²)), so tap 0 is 255; the divisor is the
// sum over both sides, tap 0 once. A radius that is not a number counts as 1,
// one beyond kMaxRadius as kMaxRadius (sums then still fit 32 bits).
class AlphaBlurKernel {
public:
  static constexpr float kMaxRadius = 4096.f;

  explicit AlphaBlurKernel(float radius);

  // False when the taps could not be allocated.
  bool IsValid() const { return mTaps.GetSize() == mSize; }
  int Size() const { return mSize; }
  uint32_t Norm() const { return mNorm; }
  uint8_t Tap(int i) const { return mTaps.Get()[i]; }
  const uint8_t* Taps() const { return mTaps.Get(); }

private:
  TypedBuf<uint8_t> mTaps;
  int mSize = 0;
  uint32_t mNorm = 0;
};

// One pass over lineCount lines of lineLength pixels: line l starts at
// in + l·inStride (which may be negative), its pixels 4 bytes apart; only the
// byte each pixel starts at is read. Pixel i of line l is written at
// out + i·outStride + l·4, so lines become columns. Each output is the
// kernel's weighted sum over the line divided by the norm (capped at 255);
// taps beyond the line's ends weigh nothing, so edges fade.
void BlurAndTransposeAlpha(const uint8_t* in, uint8_t* out, const AlphaBlurKernel& kernel, int lineLength,
                           int lineCount, std::ptrdiff_t outStride, std::ptrdiff_t inStride);

}  // namespace plugkit::graphics
