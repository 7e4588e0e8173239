#pragma once

// Four-lane vectors (GCC and clang vector extensions) for the rasteriser's
// per-pixel work on four texels at a time. Every operation is the lane-wise
// IEEE operation, so results equal the scalar arithmetic they replace.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace standin::metal::simd {

using F32x4 = float __attribute__((vector_size(16)));
using I32x4 = std::int32_t __attribute__((vector_size(16)));
using U32x4 = std::uint32_t __attribute__((vector_size(16)));
using F64x4 = double __attribute__((vector_size(32)));

inline constexpr int kLanes = 4;

// A stored byte b reads as the float b x kUnormStep: 255 reads as exactly 1
// and every byte quantises back to itself.
inline constexpr float kUnormStep = 1.0f / 255.0f;

inline F32x4 Splat(float value) { return F32x4{value, value, value, value}; }
inline U32x4 SplatU(std::uint32_t value) { return U32x4{value, value, value, value}; }

inline F32x4 Load(const float* values) {
  F32x4 v;
  std::memcpy(&v, values, sizeof v);
  return v;
}

inline void Store(float* values, F32x4 v) { std::memcpy(values, &v, sizeof v); }

// Lanes of `a` where the mask is set, else of `b`.
inline F32x4 Select(I32x4 mask, F32x4 a, F32x4 b) {
  return reinterpret_cast<F32x4>((reinterpret_cast<I32x4>(a) & mask) | (reinterpret_cast<I32x4>(b) & ~mask));
}

// std::min(a, b) lane by lane: b where b < a, else a.
inline F32x4 Min(F32x4 a, F32x4 b) { return Select(b < a, b, a); }

// a where a > b, else b (so b where a is NaN).
inline F32x4 GreaterOr(F32x4 a, F32x4 b) {
#if defined(__SSE2__)
  return _mm_max_ps(a, b);
#else
  return Select(a > b, a, b);
#endif
}

// a where a < b, else b (so b where a is NaN).
inline F32x4 LessOr(F32x4 a, F32x4 b) {
#if defined(__SSE2__)
  return _mm_min_ps(a, b);
#else
  return Select(a < b, a, b);
#endif
}

// Whether every lane of a comparison's mask is set.
inline bool All(I32x4 mask) {
#if defined(__SSE2__)
  return _mm_movemask_ps(reinterpret_cast<__m128>(mask)) == 0xF;
#else
  return mask[0] != 0 && mask[1] != 0 && mask[2] != 0 && mask[3] != 0;
#endif
}

// Four texels of four bytes as words, the first byte lowest.
inline U32x4 LoadTexels(const std::uint8_t* texels) {
  U32x4 v;
  std::memcpy(&v, texels, sizeof v);
  return v;
}

inline void StoreTexels(std::uint8_t* texels, U32x4 v) { std::memcpy(texels, &v, sizeof v); }

// Stores the first `count` (1 to 4) lanes as texels of four bytes.
inline void StoreTexels(std::uint8_t* texels, U32x4 v, int count) {
  if (count >= kLanes) return StoreTexels(texels, v);
  std::uint64_t firstTwo;
  std::memcpy(&firstTwo, &v, sizeof firstTwo);
  if (count == 1) {
    const auto first = static_cast<std::uint32_t>(firstTwo);
    std::memcpy(texels, &first, sizeof first);
    return;
  }
  std::memcpy(texels, &firstTwo, sizeof firstTwo);
  if (count == 3) {
    const std::uint32_t third = v[2];
    std::memcpy(texels + sizeof firstTwo, &third, sizeof third);
  }
}

// The first `count` (1 to 4) texels of four bytes, the other lanes zero;
// read straight into the vector (no partial stores that a wide load must wait for).
inline U32x4 LoadTexels(const std::uint8_t* texels, int count) {
  if (count >= kLanes) return LoadTexels(texels);
  std::uint32_t third = 0;
  std::uint64_t firstTwo = 0;
  if (count >= 2) {
    std::memcpy(&firstTwo, texels, sizeof firstTwo);
    if (count == 3) std::memcpy(&third, texels + sizeof firstTwo, sizeof third);
  } else {
    std::uint32_t first;
    std::memcpy(&first, texels, sizeof first);
    firstTwo = first;
  }
#if defined(__SSE2__)
  return reinterpret_cast<U32x4>(_mm_set_epi64x(static_cast<long long>(third), static_cast<long long>(firstTwo)));
#else
  return U32x4{static_cast<std::uint32_t>(firstTwo), static_cast<std::uint32_t>(firstTwo >> 32), third, 0};
#endif
}

// Byte `index` of each word as a float in 0..1.
inline F32x4 UnormChannel(U32x4 words, int index) {
  const U32x4 bytes = (words >> static_cast<std::uint32_t>(8 * index)) & SplatU(0xFF);
  return __builtin_convertvector(reinterpret_cast<I32x4>(bytes), F32x4) * Splat(kUnormStep);
}

// floor(v x 255 + 0.5) of v clamped to 0..1 (non-finite as 0), exactly: in double.
inline U32x4 QuantizeUnorm(F32x4 v) {
  const F32x4 clamped = LessOr(GreaterOr(v, Splat(0.0f)), Splat(1.0f));
  const F64x4 scaled =
      __builtin_convertvector(clamped, F64x4) * F64x4{255.0, 255.0, 255.0, 255.0} + F64x4{0.5, 0.5, 0.5, 0.5};
  return reinterpret_cast<U32x4>(__builtin_convertvector(scaled, I32x4));
}

}  // namespace standin::metal::simd
