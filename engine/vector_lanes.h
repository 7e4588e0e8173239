#pragma once

// Two doubles to a register, with what every x86-64 processor has (SSE2).
// Each lane computes exactly what the scalar code computes, so block loops
// built on these keep the results bit for bit.

#if defined(__SSE2__)
#include <emmintrin.h>

namespace orvane::lanes {

using Pair = __m128d;

inline Pair Select(Pair mask, Pair whenSet, Pair otherwise) {
  return _mm_or_pd(_mm_and_pd(mask, whenSet), _mm_andnot_pd(mask, otherwise));
}

inline Pair Negate(Pair x) {
  return _mm_xor_pd(x, _mm_set1_pd(-0.0));
}

}  // namespace orvane::lanes
#endif
