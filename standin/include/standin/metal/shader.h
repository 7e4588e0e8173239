#pragma once

// Shader functions for the software Metal, written in C++.
//
// A vertex function runs once per vertex on the attributes fetched through the
// pipeline's vertex descriptor and returns a clip-space position (w must be 1)
// and up to kMaxVaryings float varyings. A fragment function is prepared once
// per draw with what the draw binds, then shades spans of at most
// kMaxSpanPixels pixels of one row into premultiplied RGBA floats. Its
// preparation may instead declare the colour constant or a texture lookup
// (times an optional coverage), which the rasteriser then fills without
// calling the function per span.
//
// Shader functions run on the thread that executes command buffers, under the
// device's execution lock: they must not call Metal, lock or allocate.
// Register them with a ShaderLibraryRegistration (shader_library.h).

#include <Metal/MTLRenderCommandEncoder.h>
#include <Metal/MTLSampler.h>
#include <Metal/MTLTexture.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

// Marks a span function (or any per-pixel loop) to be compiled twice, for
// AVX2 and for the baseline, the copy chosen when the library loads; the
// results are the same. Off under ThreadSanitizer, whose runtime starts after
// that choice is made, and under clang, whose multiversioning of member
// functions defined out of line leaves the clones unresolved at link time.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define STANDIN_NO_CLONES 1
#endif
#endif
#if defined(__x86_64__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__) && !defined(STANDIN_NO_CLONES)
#define STANDIN_SPAN_FUNCTION __attribute__((target_clones("avx2", "default")))
#else
#define STANDIN_SPAN_FUNCTION
#endif
// For the declaration of a span function defined in another file: GCC lets
// callers reach the chosen copy only when the declaration does not carry the
// attribute, so it marks where a declaration stands for a cloned definition.
#define STANDIN_SPAN_DECLARATION

namespace standin::metal {

inline constexpr int kMaxVaryings = 8;
inline constexpr int kMaxVertexAttributes = 8;
inline constexpr int kMaxSpanPixels = 256;
// Span arrays hold whole blocks of this many pixels, so loops over a span may
// run a fixed count per block (the compiler vectorises those) up to
// SpanBlocks(count) blocks; what they write beyond the count is ignored.
inline constexpr int kSpanBlock = 8;

constexpr int SpanBlocks(int count) { return (count + kSpanBlock - 1) / kSpanBlock; }

// Calls body(k) for every pixel index k of a span of `count` pixels, in whole
// blocks (so also for indices up to the end of the last block). Loops written
// this way have a fixed count inside each block, which the compiler vectorises
// when the body reads its scalars from locals and its arrays cannot alias
// what it writes (locals, or __restrict pointers). A long body may not be
// inlined from a lambda: write the two loops out. Square roots and selects in
// such loops vectorise only in files built with -fno-math-errno and
// -fno-trapping-math (neither changes a result).
template <typename Body>
inline void ForEachPixel(int count, Body&& body) {
  for (int base = 0; base < count; base += kSpanBlock) {
    for (int k = base; k < base + kSpanBlock; ++k) body(k);
  }
}

// The bytes of a bound buffer from its binding offset to its end; empty when
// nothing is bound.
struct BufferView {
  const std::byte* bytes = nullptr;
  std::size_t length = 0;

  // `count` values of T starting `offset` bytes in, or null when they do not
  // all lie inside the buffer or would be misaligned.
  template <typename T>
  const T* Read(std::size_t offset = 0, std::size_t count = 1) const {
    static_assert(std::is_trivially_copyable_v<T>);
    if (bytes == nullptr || offset > length || count > (length - offset) / sizeof(T)) return nullptr;
    const std::byte* at = bytes + offset;
    if (reinterpret_cast<std::uintptr_t>(at) % alignof(T) != 0) return nullptr;
    return std::launder(reinterpret_cast<const T*>(at));
  }
};

// ---- Vertex stage

struct VertexInput {
  std::uint32_t vertexId = 0;
  // Attribute i as the vertex descriptor fetched it (every format is float2).
  float attributes[kMaxVertexAttributes][2] = {};
  // The draw's vertex buffer slots (MTL::kBufferBindingCount of them).
  const BufferView* buffers = nullptr;
};

struct VertexOutput {
  // Clip space: x and y from -1 to 1 across the viewport, y up; w must be 1.
  float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float varyings[kMaxVaryings] = {};
};

using VertexFunction = void (*)(const VertexInput& input, VertexOutput& output);

// ---- Fragment stage

// Premultiplied colours of a span's pixels, structure of arrays.
struct SpanColors {
  alignas(32) float r[kMaxSpanPixels];
  alignas(32) float g[kMaxSpanPixels];
  alignas(32) float b[kMaxSpanPixels];
  alignas(32) float a[kMaxSpanPixels];
};

// A run of pixels on one row with the draw's varyings.
struct Span {
  int x = 0;  // first pixel
  int y = 0;
  int count = 0;                      // 1 to kMaxSpanPixels
  float varyings[kMaxVaryings] = {};  // at the first pixel's centre
  float dx[kMaxVaryings] = {};        // change per pixel to the right
  float dy[kMaxVaryings] = {};        // change per pixel downwards
  // Where per-pixel values are stepped from, so a pixel's value does not
  // depend on where its span starts: the first pixel is originOffset pixels
  // right of the origin.
  float origin[kMaxVaryings] = {};
  int originOffset = 0;
};

// Varying `i` at every pixel of the span (out[0] at its first pixel), in
// whole blocks. Shaders read varyings through this so that every pixel gets
// the same value however the rasteriser splits its row.
inline void SpanVarying(const Span& span, int i, float* out) {
  const float origin = span.origin[i];
  const float step = span.dx[i];
  const int first = span.originOffset;
  ForEachPixel(span.count, [&](int k) { out[k] = origin + static_cast<float>(first + k) * step; });
}

// What a draw binds for its fragment function. A framebuffer-only texture
// bound for sampling arrives as null.
struct FragmentResources {
  BufferView buffers[MTL::kBufferBindingCount];
  const MTL::Texture* textures[MTL::kTextureBindingCount] = {};
  MTL::SamplerSettings samplers[MTL::kSamplerBindingCount];  // the default one where none is bound
};

// How fast normalised texture coordinates change per pixel, for mipmap level
// selection (constant over a triangle).
struct TextureGradient {
  float dudx = 0.0f;
  float dvdx = 0.0f;
  float dudy = 0.0f;
  float dvdy = 0.0f;
};

// Samples `count` pixels at normalised coordinates (u[k], v[k]) as the
// sampler says, into premultiplied-as-stored RGBA: R8 reads (r, 0, 0, 1),
// BGRA8 is swizzled, a null texture reads (0, 0, 0, 0). Linear filtering
// weighs taps by the fraction rounded to 1/256, so a coordinate within 1/512
// texel of a texel centre reads exactly that texel.
void SampleSpan(const MTL::Texture* texture, const MTL::SamplerSettings& sampler, const float* u, const float* v,
                const TextureGradient& gradient, int count, SpanColors& out);

// The same along a span: the coordinates are two of its varyings, stepping by
// their change per pixel, with their derivatives for level selection.
void SampleSpan(const MTL::Texture* texture, const MTL::SamplerSettings& sampler, const Span& span, int uVarying,
                int vVarying, SpanColors& out);

// Where a fragment's colour comes from.
enum class FragmentColor {
  kShaded,    // the fragment function shades each span
  kConstant,  // FragmentPlan::constant, times the coverage when there is one
  kTexture,   // FragmentPlan::lookup's texel times FragmentPlan::constant, times the coverage
};

// How a sampled texel becomes a premultiplied colour.
enum class TexelConversion {
  kAsIs,         // already premultiplied
  kPremultiply,  // straight alpha: rgb times a
  kRedToAll,     // a coverage texture: r in all four channels
};

// A texture read at coordinates that are an affine function of two varyings.
struct TextureLookup {
  int texture = 0;  // slots of FragmentResources
  int sampler = 0;
  int uVarying = 0;
  int vVarying = 1;
  // (u, v) = matrix x (varying u, varying v, 1), in normalised coordinates.
  double matrix[2][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}};
  TexelConversion conversion = TexelConversion::kAsIs;
};

struct FragmentPlan;

// Writes the coverage of each pixel of the span (whole blocks) and answers
// true; or answers false, writing nothing, when every pixel of the span is
// fully covered (so a span of an opaque colour becomes plain stores).
using CoverageFunction = bool (*)(const FragmentPlan& plan, const Span& span, float* coverage);
// Writes each pixel's premultiplied colour (whole blocks) and, when the plan
// may discard, discard[k] = 1 for each pixel to drop and 0 for the others.
using ShadeFunction = void (*)(const FragmentPlan& plan, const Span& span, SpanColors& out, std::uint8_t* discard);

inline constexpr std::size_t kFragmentStateBytes = 512;

// What a fragment function decides for one draw.
struct FragmentPlan {
  FragmentColor color = FragmentColor::kShaded;
  // kShaded only: the function writes a discard mask, so it runs before the
  // stencil test even where nothing else would be drawn.
  bool mayDiscard = false;
  float constant[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // premultiplied RGBA
  CoverageFunction coverage = nullptr;           // none: coverage 1
  TextureLookup lookup;
  const FragmentResources* resources = nullptr;  // the draw's, set before preparation

  // The function's own per-draw values, written by its preparation.
  template <typename T>
  T& State() {
    CheckState<T>();
    return *std::launder(reinterpret_cast<T*>(state_));
  }
  template <typename T>
  const T& State() const {
    CheckState<T>();
    return *std::launder(reinterpret_cast<const T*>(state_));
  }

private:
  template <typename T>
  static constexpr void CheckState() {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    static_assert(sizeof(T) <= kFragmentStateBytes && alignof(T) <= 16);
  }

  alignas(16) std::byte state_[kFragmentStateBytes] = {};
};

// Once per draw: reads what the plan's resources hold and fills the plan.
// False when the draw cannot be shaded (a buffer too short for what the
// function reads): a validation error, and the draw is skipped.
using PrepareFunction = bool (*)(FragmentPlan& plan);

}  // namespace standin::metal
