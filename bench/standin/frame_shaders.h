#pragma once

// The benchmark's own shaders, doing the work a vector renderer's do: a
// position in points placed on the target, coverage from (u, v) and a soft
// scissor, and a paint that is a solid colour, a box gradient or a texture.

#include <standin/metal/shader_library.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace frame_bench {

using standin::metal::FragmentColor;
using standin::metal::FragmentPlan;
using standin::metal::kMaxSpanPixels;
using standin::metal::kSpanBlock;
using standin::metal::Span;
using standin::metal::SpanBlocks;
using standin::metal::SpanColors;
using standin::metal::SpanVarying;

inline constexpr const char* kLibrary = "orvane.bench.frame";

enum Varying { kX, kY, kU, kV, kVaryingCount };
enum PaintKind : std::int32_t { kPaintColor = 0, kPaintImage = 1, kPaintText = 2 };
enum TextureKind : std::int32_t { kPremultipliedTexture = 0, kStraightTexture = 1, kAlphaTexture = 2 };

// One 256-byte slot of the uniform buffer.
struct Paint {
  float scissorMatrix[6];  // inverse scissor transform, (x, y) -> centred scissor space
  float paintMatrix[6];    // inverse paint transform
  float inner[4];          // premultiplied
  float outer[4];
  float scissorExtent[2];
  float scissorScale[2];
  float extent[2];
  float radius;
  float feather;
  float strokeMultiplier;
  std::int32_t textureKind;
  std::int32_t paintKind;
  std::int32_t scissored;
  std::uint8_t unused[256 - 128];
};
static_assert(sizeof(Paint) == 256);

inline void PointsVertex(const standin::metal::VertexInput& in, standin::metal::VertexOutput& out) {
  const float* view = in.buffers[1].Read<float>(0, 2);
  const float width = view != nullptr ? view[0] : 1.0f;
  const float height = view != nullptr ? view[1] : 1.0f;
  out.position[0] = 2.0f * in.attributes[0][0] / width - 1.0f;
  out.position[1] = 1.0f - 2.0f * in.attributes[0][1] / height;
  out.varyings[kX] = in.attributes[0][0];
  out.varyings[kY] = in.attributes[0][1];
  out.varyings[kU] = in.attributes[1][0];
  out.varyings[kV] = in.attributes[1][1];
}

inline float StrokeMask(const Paint& paint, float u, float v) {
  return std::min(1.0f, (1.0f - std::abs(2.0f * u - 1.0f)) * paint.strokeMultiplier) * std::min(1.0f, v);
}

inline float ScissorMask(const Paint& paint, float x, float y) {
  const float* m = paint.scissorMatrix;
  const float qx = m[0] * x + m[2] * y + m[4];
  const float qy = m[1] * x + m[3] * y + m[5];
  const float sx = 0.5f - (std::abs(qx) - paint.scissorExtent[0]) * paint.scissorScale[0];
  const float sy = 0.5f - (std::abs(qy) - paint.scissorExtent[1]) * paint.scissorScale[1];
  return std::clamp(sx, 0.0f, 1.0f) * std::clamp(sy, 0.0f, 1.0f);
}

// Stroke mask times scissor mask; nothing when both are 1 across the span.
// Factors that are flat at 1 over the span are left out (times 1 changes
// nothing), and the scissor's mask is lowest at a span's ends.
inline bool PaintCoverage(const FragmentPlan& plan, const Span& span, float* coverage) {
  const Paint& paint = plan.State<Paint>();
  const bool acrossFull = span.dx[kU] == 0.0f && StrokeMask(paint, span.origin[kU], 1.0f) >= 1.0f;
  const bool alongFull = span.dx[kV] == 0.0f && span.origin[kV] >= 1.0f;
  const float lastX = span.varyings[kX] + (span.count - 1) * span.dx[kX];
  const float lastY = span.varyings[kY] + (span.count - 1) * span.dx[kY];
  const bool scissorFull = paint.scissored == 0 || (ScissorMask(paint, span.varyings[kX], span.varyings[kY]) >= 1.0f &&
                                                    ScissorMask(paint, lastX, lastY) >= 1.0f);
  if (acrossFull && alongFull && scissorFull) return false;
  const int padded = SpanBlocks(span.count) * kSpanBlock;
  alignas(32) float a[kMaxSpanPixels];
  alignas(32) float b[kMaxSpanPixels];
  if (acrossFull) {
    for (int k = 0; k < padded; ++k) coverage[k] = 1.0f;
  } else {
    SpanVarying(span, kU, a);
    for (int k = 0; k < padded; ++k) coverage[k] = StrokeMask(paint, a[k], 1.0f);
  }
  if (!alongFull) {
    SpanVarying(span, kV, a);
    for (int k = 0; k < padded; ++k) coverage[k] *= std::min(1.0f, a[k]);
  }
  if (!scissorFull) {
    SpanVarying(span, kX, a);
    SpanVarying(span, kY, b);
    for (int k = 0; k < padded; ++k) coverage[k] *= ScissorMask(paint, a[k], b[k]);
  }
  return true;
}

// A box gradient: inner inside the rounded box, outer beyond its feather.
inline void ShadeBoxGradient(const FragmentPlan& plan, const Span& span, SpanColors& out, std::uint8_t*) {
  const Paint& paint = plan.State<Paint>();
  alignas(32) float x[kMaxSpanPixels];
  alignas(32) float y[kMaxSpanPixels];
  alignas(32) float coverage[kMaxSpanPixels];
  SpanVarying(span, kX, x);
  SpanVarying(span, kY, y);
  const bool covered = PaintCoverage(plan, span, coverage);
  const float* m = paint.paintMatrix;
  const float ex = paint.extent[0] - paint.radius;
  const float ey = paint.extent[1] - paint.radius;
  for (int k = 0; k < SpanBlocks(span.count) * kSpanBlock; ++k) {
    const float px = std::abs(m[0] * x[k] + m[2] * y[k] + m[4]) - ex;
    const float py = std::abs(m[1] * x[k] + m[3] * y[k] + m[5]) - ey;
    const float outsideX = std::max(px, 0.0f);
    const float outsideY = std::max(py, 0.0f);
    const float distance =
        std::min(std::max(px, py), 0.0f) + std::sqrt(outsideX * outsideX + outsideY * outsideY) - paint.radius;
    const float t = std::clamp((distance + paint.feather * 0.5f) / paint.feather, 0.0f, 1.0f);
    const float scale = covered ? coverage[k] : 1.0f;
    out.r[k] = (paint.inner[0] + t * (paint.outer[0] - paint.inner[0])) * scale;
    out.g[k] = (paint.inner[1] + t * (paint.outer[1] - paint.inner[1])) * scale;
    out.b[k] = (paint.inner[2] + t * (paint.outer[2] - paint.inner[2])) * scale;
    out.a[k] = (paint.inner[3] + t * (paint.outer[3] - paint.inner[3])) * scale;
  }
}

inline bool PreparePaint(FragmentPlan& plan) {
  const Paint* read = plan.resources->buffers[0].Read<Paint>();
  if (read == nullptr) return false;
  const Paint& paint = plan.State<Paint>() = *read;
  std::copy_n(paint.inner, 4, plan.constant);
  plan.coverage = PaintCoverage;
  if (paint.paintKind == kPaintColor) {
    const bool solid = std::equal(paint.inner, paint.inner + 4, paint.outer);
    plan.color = solid ? FragmentColor::kConstant : FragmentColor::kShaded;
    return true;
  }
  plan.color = FragmentColor::kTexture;
  plan.lookup.conversion = paint.textureKind == kAlphaTexture    ? standin::metal::TexelConversion::kRedToAll
                           : paint.textureKind == kStraightTexture ? standin::metal::TexelConversion::kPremultiply
                                                                   : standin::metal::TexelConversion::kAsIs;
  if (paint.paintKind == kPaintText) {
    plan.lookup.uVarying = kU;
    plan.lookup.vVarying = kV;
    return true;
  }
  const float* m = paint.paintMatrix;
  plan.lookup.uVarying = kX;
  plan.lookup.vVarying = kY;
  plan.lookup.matrix[0][0] = m[0] / paint.extent[0];
  plan.lookup.matrix[0][1] = m[2] / paint.extent[0];
  plan.lookup.matrix[0][2] = m[4] / paint.extent[0];
  plan.lookup.matrix[1][0] = m[1] / paint.extent[1];
  plan.lookup.matrix[1][1] = m[3] / paint.extent[1];
  plan.lookup.matrix[1][2] = m[5] / paint.extent[1];
  return true;
}

// Registers the library on first use; returns its name.
inline const char* LibraryName() {
  static const standin::metal::ShaderLibraryRegistration registration(
      kLibrary, {standin::metal::VertexShaderEntry("pointsVertex", PointsVertex, 2, kVaryingCount),
                 standin::metal::FragmentShaderEntry("paintFragment", PreparePaint, ShadeBoxGradient, kVaryingCount)});
  return kLibrary;
}

}  // namespace frame_bench
