#include "engine/biquad_cascade.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "engine/vector_lanes.h"

namespace orvane {

#if defined(__SSE2__)
namespace {

// Longest run of sections one wavefront takes; longer cascades run in pieces.
constexpr int kWavefrontSections = 12;
constexpr int kWavefrontVectors = kWavefrontSections / 2;

// The sections of one wavefront, two to a vector: section 2v in the low lane
// of vector v, section 2v + 1 in its high lane. An odd count leaves a spare
// lane with all-zero coefficients whose results are never stored.
struct LaneState {
  alignas(16) double b0[kWavefrontSections] = {};
  alignas(16) double b1[kWavefrontSections] = {};
  alignas(16) double b2[kWavefrontSections] = {};
  alignas(16) double a1[kWavefrontSections] = {};
  alignas(16) double a2[kWavefrontSections] = {};
  alignas(16) double outputGain[kWavefrontSections] = {};
  alignas(16) double inputGain[kWavefrontSections] = {};
  alignas(16) double enabled[kWavefrontSections] = {};  // all bits set when enabled
  alignas(16) double x1[kWavefrontSections] = {};
  alignas(16) double x2[kWavefrontSections] = {};
  alignas(16) double y1[kWavefrontSections] = {};
  alignas(16) double y2[kWavefrontSections] = {};
};

using lanes::Select;

// V vectors (2V - 1 or 2V sections). `Scaled`: some input gain is not 1.
// `Bypassing`: some section is disabled and passes its input.
template <int V, bool Scaled, bool Bypassing>
class Wavefront {
public:
  Wavefront(const LaneState& s, int count) : mCount(count) {
    for (int v = 0; v < V; ++v) {
      const auto load = [v](const double* values) { return _mm_load_pd(values + 2 * v); };
      mB0[v] = load(s.b0);
      mB1[v] = load(s.b1);
      mB2[v] = load(s.b2);
      mA1[v] = load(s.a1);
      mA2[v] = load(s.a2);
      mGain[v] = load(s.outputGain);
      mInputGain[v] = load(s.inputGain);
      mEnabled[v] = load(s.enabled);
      mX1[v] = load(s.x1);
      mX2[v] = load(s.x2);
      mY1[v] = load(s.y1);
      mY2[v] = load(s.y2);
      mOut[v] = _mm_setzero_pd();
    }
  }

  void Run(double* x, int n) {
    const int steps = n + mCount - 1;
    const int fill = std::min(mCount - 1, steps);
    int t = 0;
    for (; t < fill; ++t) {
      Step<true>(x, n, t);
    }
    for (; t < n; ++t) {
      Step<false>(x, n, t);
    }
    for (; t < steps; ++t) {
      Step<true>(x, n, t);
    }
  }

  void Store(LaneState& s) const {
    for (int v = 0; v < V; ++v) {
      _mm_store_pd(s.x1 + 2 * v, mX1[v]);
      _mm_store_pd(s.x2 + 2 * v, mX2[v]);
      _mm_store_pd(s.y1 + 2 * v, mY1[v]);
      _mm_store_pd(s.y2 + 2 * v, mY2[v]);
    }
  }

private:
  // One step: section k takes sample t - k. While the wavefront fills and
  // drains (`Edge`), a section without a sample at this step keeps its state.
  template <bool Edge>
  void Step(double* x, int n, int t) {
    const double input = t < n ? x[t] : 0.0;
#pragma GCC unroll 8
    for (int v = V - 1; v >= 0; --v) {
      // Low lane: the output of section 2v - 1 (or the block's sample);
      // high lane: the output of section 2v, both from the previous step.
      __m128d in = v == 0 ? _mm_unpacklo_pd(_mm_set_sd(input), mOut[0]) : _mm_shuffle_pd(mOut[v - 1], mOut[v], 1);
      if constexpr (Scaled) {
        in = _mm_mul_pd(in, mInputGain[v]);
      }
      const __m128d forward = _mm_add_pd(_mm_mul_pd(mB1[v], mX1[v]), _mm_mul_pd(mB2[v], mX2[v]));
      const __m128d feedback = _mm_add_pd(_mm_mul_pd(mA1[v], mY1[v]), _mm_mul_pd(mA2[v], mY2[v]));
      const __m128d y = _mm_add_pd(_mm_sub_pd(forward, feedback), _mm_mul_pd(mB0[v], in));
      __m128d out = _mm_mul_pd(y, mGain[v]);
      if constexpr (Bypassing) {
        out = Select(mEnabled[v], out, in);
      }
      if constexpr (Edge) {
        const __m128d active = ActiveLanes(v, n, t);
        mX2[v] = Select(active, mX1[v], mX2[v]);
        mX1[v] = Select(active, in, mX1[v]);
        mY2[v] = Select(active, mY1[v], mY2[v]);
        mY1[v] = Select(active, y, mY1[v]);
      } else {
        mX2[v] = mX1[v];
        mX1[v] = in;
        mY2[v] = mY1[v];
        mY1[v] = y;
      }
      mOut[v] = out;
    }
    const int done = t - (mCount - 1);
    if (done >= 0) {
      const __m128d last = mOut[V - 1];
      x[done] = (mCount & 1) != 0 ? _mm_cvtsd_f64(last) : _mm_cvtsd_f64(_mm_unpackhi_pd(last, last));
    }
  }

  static __m128d ActiveLanes(int v, int n, int t) {
    const auto active = [n, t](int section) -> std::int64_t { return t >= section && t - section < n ? -1 : 0; };
    return _mm_castsi128_pd(_mm_set_epi64x(active(2 * v + 1), active(2 * v)));
  }

  int mCount;
  __m128d mB0[V], mB1[V], mB2[V], mA1[V], mA2[V], mGain[V], mInputGain[V], mEnabled[V];
  __m128d mX1[V], mX2[V], mY1[V], mY2[V], mOut[V];
};

template <int V, bool Scaled, bool Bypassing>
void RunVectors(LaneState& state, int count, double* x, int n) {
  Wavefront<V, Scaled, Bypassing> wavefront(state, count);
  wavefront.Run(x, n);
  wavefront.Store(state);
}

template <bool Scaled, bool Bypassing>
void RunLanes(LaneState& state, int count, double* x, int n) {
  switch ((count + 1) / 2) {
    case 1: return RunVectors<1, Scaled, Bypassing>(state, count, x, n);
    case 2: return RunVectors<2, Scaled, Bypassing>(state, count, x, n);
    case 3: return RunVectors<3, Scaled, Bypassing>(state, count, x, n);
    case 4: return RunVectors<4, Scaled, Bypassing>(state, count, x, n);
    case 5: return RunVectors<5, Scaled, Bypassing>(state, count, x, n);
    default: return RunVectors<kWavefrontVectors, Scaled, Bypassing>(state, count, x, n);
  }
}

}  // namespace
#endif

void BiquadCascade::Run(double* x, int n) {
  const int count = mCount;
  mCount = 0;
  if (count == 0 || n <= 0) {
    return;
  }
  const bool ramping = std::any_of(mSections.begin(), mSections.begin() + count,
                                   [](const Biquad* section) { return section->mRamping; });
  if (ramping) {
    RunSectionBySection(0, count, x, n);
    return;
  }
#if defined(__SSE2__)
  // A long cascade runs as a few wavefronts of about equal length.
  const int pieces = (count + kWavefrontSections - 1) / kWavefrontSections;
  const int length = (count + pieces - 1) / pieces;
  for (int first = 0; first < count; first += length) {
    RunWavefront(first, std::min(length, count - first), x, n);
  }
#else
  RunSectionBySection(0, count, x, n);
#endif
}

void BiquadCascade::RunSectionBySection(int first, int count, double* x, int n) {
  for (int k = first; k < first + count; ++k) {
    const double gain = mInputGains[static_cast<std::size_t>(k)];
    if (gain != 1.0) {
      for (int i = 0; i < n; ++i) {
        x[i] *= gain;
      }
    }
    mSections[static_cast<std::size_t>(k)]->ProcessBlock(x, n);
  }
}

void BiquadCascade::RunWavefront(int first, int count, double* x, int n) {
#if defined(__SSE2__)
  LaneState state;
  bool scaled = false;
  bool bypassing = false;
  for (int k = 0; k < count; ++k) {
    const Biquad& section = *mSections[static_cast<std::size_t>(first + k)];
    const BiquadCoefficients& c = section.mCurrent;
    state.b0[k] = c.b0;
    state.b1[k] = c.b1;
    state.b2[k] = c.b2;
    state.a1[k] = c.a1;
    state.a2[k] = c.a2;
    state.outputGain[k] = section.mOutputGain;
    state.inputGain[k] = mInputGains[static_cast<std::size_t>(first + k)];
    state.enabled[k] = section.mEnabled ? std::bit_cast<double>(~std::uint64_t{0}) : 0.0;
    state.x1[k] = section.mX1;
    state.x2[k] = section.mX2;
    state.y1[k] = section.mY1;
    state.y2[k] = section.mY2;
    scaled |= state.inputGain[k] != 1.0;
    bypassing |= !section.mEnabled;
  }
  if (count % 2 == 1) {
    state.inputGain[count] = 1.0;
  }
  if (scaled) {
    bypassing ? RunLanes<true, true>(state, count, x, n) : RunLanes<true, false>(state, count, x, n);
  } else {
    bypassing ? RunLanes<false, true>(state, count, x, n) : RunLanes<false, false>(state, count, x, n);
  }
  for (int k = 0; k < count; ++k) {
    Biquad& section = *mSections[static_cast<std::size_t>(first + k)];
    section.mX1 = state.x1[k];
    section.mX2 = state.x2[k];
    section.mY1 = state.y1[k];
    section.mY2 = state.y2[k];
  }
#else
  RunSectionBySection(first, count, x, n);
#endif
}

}  // namespace orvane
