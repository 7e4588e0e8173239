#pragma once

// The benchmark's own shaders, doing the work a vector renderer's do: a
// position in points placed on the target, coverage from (u, v) and a soft
// scissor, and a paint that is a solid colour, a box gradient or a texture.

#include <standin/metal/shader_library.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace frame_bench {

using standin::metal::ForEachPixel;
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

// By value (std::min and std::max return references, which keeps loops from vectorising).
inline float Lesser(float a, float b) { return b < a ? b : a; }
inline float Greater(float a, float b) { return a < b ? b : a; }

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

// Whether the scissor's mask is 1 over the whole span (it is lowest at a span's ends).
inline bool ScissorFull(const Paint& paint, const Span& span) {
  if (paint.scissored == 0) return true;
  const float lastX = span.varyings[kX] + (span.count - 1) * span.dx[kX];
  const float lastY = span.varyings[kY] + (span.count - 1) * span.dx[kY];
  return ScissorMask(paint, span.varyings[kX], span.varyings[kY]) >= 1.0f && ScissorMask(paint, lastX, lastY) >= 1.0f;
}

inline void ApplyScissor(const Paint& paint, const Span& span, float* __restrict coverage) {
  alignas(32) float x[kMaxSpanPixels];
  alignas(32) float y[kMaxSpanPixels];
  SpanVarying(span, kX, x);
  SpanVarying(span, kY, y);
  const float* m = paint.scissorMatrix;
  const float m0 = m[0], m1 = m[1], m2 = m[2], m3 = m[3], m4 = m[4], m5 = m[5];
  const float ex = paint.scissorExtent[0], ey = paint.scissorExtent[1];
  const float sx = paint.scissorScale[0], sy = paint.scissorScale[1];
  ForEachPixel(span.count, [&](int k) {
    const float qx = m0 * x[k] + m2 * y[k] + m4;
    const float qy = m1 * x[k] + m3 * y[k] + m5;
    const float mx = Lesser(Greater(0.5f - (std::abs(qx) - ex) * sx, 0.0f), 1.0f);
    const float my = Lesser(Greater(0.5f - (std::abs(qy) - ey) * sy, 0.0f), 1.0f);
    coverage[k] *= mx * my;
  });
}

// Text: the scissor's mask alone.
STANDIN_SPAN_FUNCTION inline bool TextCoverage(const FragmentPlan& plan, const Span& span, float* coverage) {
  const Paint& paint = plan.State<Paint>();
  if (ScissorFull(paint, span)) return false;
  ForEachPixel(span.count, [&](int k) { coverage[k] = 1.0f; });
  ApplyScissor(paint, span, coverage);
  return true;
}

// Stroke mask times scissor mask; nothing when both are 1 across the span.
// Factors that are flat at 1 over the span are left out (times 1 changes nothing).
STANDIN_SPAN_FUNCTION inline bool PaintCoverage(const FragmentPlan& plan, const Span& span,
                                                float* __restrict coverage) {
  const Paint& paint = plan.State<Paint>();
  const float multiplier = paint.strokeMultiplier;
  const bool acrossFull = span.dx[kU] == 0.0f && StrokeMask(paint, span.origin[kU], 1.0f) >= 1.0f;
  const bool alongFull = span.dx[kV] == 0.0f && span.origin[kV] >= 1.0f;
  const bool scissorFull = ScissorFull(paint, span);
  if (acrossFull && alongFull && scissorFull) return false;
  alignas(32) float a[kMaxSpanPixels];
  if (acrossFull) {
    ForEachPixel(span.count, [&](int k) { coverage[k] = 1.0f; });
  } else {
    SpanVarying(span, kU, a);
    ForEachPixel(span.count,
                 [&](int k) { coverage[k] = Lesser(1.0f, (1.0f - std::abs(2.0f * a[k] - 1.0f)) * multiplier); });
  }
  if (!alongFull) {
    SpanVarying(span, kV, a);
    ForEachPixel(span.count, [&](int k) { coverage[k] *= Lesser(1.0f, a[k]); });
  }
  if (!scissorFull) ApplyScissor(paint, span, coverage);
  return true;
}

// A box gradient: inner inside the rounded box, outer beyond its feather.
// Every value the loop reads is a local, so it vectorises.
STANDIN_SPAN_FUNCTION inline void ShadeBoxGradient(const FragmentPlan& plan, const Span& span,
                                                   SpanColors& __restrict out, std::uint8_t*) {
  const Paint& paint = plan.State<Paint>();
  alignas(32) float x[kMaxSpanPixels];
  alignas(32) float y[kMaxSpanPixels];
  alignas(32) float coverage[kMaxSpanPixels];
  SpanVarying(span, kX, x);
  SpanVarying(span, kY, y);
  if (!PaintCoverage(plan, span, coverage)) ForEachPixel(span.count, [&](int k) { coverage[k] = 1.0f; });
  const float m0 = paint.paintMatrix[0], m1 = paint.paintMatrix[1], m2 = paint.paintMatrix[2];
  const float m3 = paint.paintMatrix[3], m4 = paint.paintMatrix[4], m5 = paint.paintMatrix[5];
  const float radius = paint.radius, feather = paint.feather, halfFeather = paint.feather * 0.5f;
  const float ex = paint.extent[0] - radius, ey = paint.extent[1] - radius;
  const float ir = paint.inner[0], ig = paint.inner[1], ib = paint.inner[2], ia = paint.inner[3];
  const float dr = paint.outer[0] - ir, dg = paint.outer[1] - ig, db = paint.outer[2] - ib, da = paint.outer[3] - ia;
  // A plain block loop: a body this long would not be inlined from a lambda.
  for (int base = 0; base < span.count; base += kSpanBlock) {
    for (int k = base; k < base + kSpanBlock; ++k) {
      const float px = std::abs(m0 * x[k] + m2 * y[k] + m4) - ex;
      const float py = std::abs(m1 * x[k] + m3 * y[k] + m5) - ey;
      const float outsideX = Greater(px, 0.0f);
      const float outsideY = Greater(py, 0.0f);
      const float distance =
          Lesser(Greater(px, py), 0.0f) + std::sqrt(outsideX * outsideX + outsideY * outsideY) - radius;
      const float t = Lesser(Greater((distance + halfFeather) / feather, 0.0f), 1.0f);
      const float scale = coverage[k];
      out.r[k] = (ir + t * dr) * scale;
      out.g[k] = (ig + t * dg) * scale;
      out.b[k] = (ib + t * db) * scale;
      out.a[k] = (ia + t * da) * scale;
    }
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
  plan.lookup.conversion = paint.textureKind == kAlphaTexture      ? standin::metal::TexelConversion::kRedToAll
                           : paint.textureKind == kStraightTexture ? standin::metal::TexelConversion::kPremultiply
                                                                   : standin::metal::TexelConversion::kAsIs;
  if (paint.paintKind == kPaintText) {
    plan.coverage = TextCoverage;
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
