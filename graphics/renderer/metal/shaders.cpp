#include "graphics/renderer/metal/shaders.h"

#include <dispatch/dispatch.h>
#include <standin/metal/shader_library.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "graphics/renderer/metal/draw_call.h"

namespace {

using standin::metal::ForEachPixel;
using standin::metal::FragmentColor;
using standin::metal::FragmentPlan;
using standin::metal::kMaxSpanPixels;
using standin::metal::kSpanBlock;
using standin::metal::Span;
using standin::metal::SpanColors;
using standin::metal::SpanVarying;
using standin::metal::TexelConversion;

// What the vertex function hands the fragment functions: the position in
// points and the vertex's (u, v).
enum Varying { kX, kY, kU, kV, kVaryingCount };
constexpr int kAttributeCount = 2;  // position, (u, v)

// What the fragment functions keep of a call's uniform record for its draw.
struct CallPaint {
  float scissor[6];  // inverse scissor transform
  float scissorExt[2];
  float scissorScale[2];
  float paint[6];  // inverse paint transform
  float inner[4];  // premultiplied
  float outer[4];
  float extent[2];
  float radius;
  float feather;
  float strokeMult;
  float strokeThr;
  float inverseExtent[2];  // images: 1 / extent, 0 for an empty side
  int type;                // MVCshaderType
  TexelConversion conversion;
  bool unscissored;  // the scissor mask is 1 everywhere
  bool strokeMask;  // coverage from (u, v): anti-aliased paths
  bool discards;    // pixels whose stroke mask is below strokeThr are dropped
};

// By value: std::min and std::max return references, which keeps loops from vectorising.
inline float Lesser(float a, float b) { return b < a ? b : a; }
inline float Greater(float a, float b) { return a < b ? b : a; }
inline float Clamp01(float v) { return Lesser(Greater(v, 0.0f), 1.0f); }

void CopyTransform(const float (&matrix)[12], float (&out)[6]) {
  const float columns[6] = {matrix[0], matrix[1], matrix[4], matrix[5], matrix[8], matrix[9]};
  std::copy_n(columns, 6, out);
}

// ---- Vertex stage

void VertexShader(const standin::metal::VertexInput& in, standin::metal::VertexOutput& out) {
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

// ---- Masks

// Varying i at pixel k of the span, as SpanVarying steps it.
inline float SpanValue(const Span& span, int i, int k) {
  return span.origin[i] + static_cast<float>(span.originOffset + k) * span.dx[i];
}

// A soft edge one device pixel wide on the scissor's border.
inline float ScissorMaskAt(const CallPaint& p, float x, float y) {
  const float qx = p.scissor[0] * x + p.scissor[2] * y + p.scissor[4];
  const float qy = p.scissor[1] * x + p.scissor[3] * y + p.scissor[5];
  return Clamp01(0.5f - (std::abs(qx) - p.scissorExt[0]) * p.scissorScale[0]) *
         Clamp01(0.5f - (std::abs(qy) - p.scissorExt[1]) * p.scissorScale[1]);
}

// Whether the scissor's mask is 1 over the whole span: along a row it is
// lowest at the span's ends.
bool ScissorFull(const CallPaint& p, const Span& span) {
  if (p.unscissored) return true;
  const int last = span.count - 1;
  return ScissorMaskAt(p, SpanValue(span, kX, 0), SpanValue(span, kY, 0)) >= 1.0f &&
         ScissorMaskAt(p, SpanValue(span, kX, last), SpanValue(span, kY, last)) >= 1.0f;
}

void ApplyScissor(const CallPaint& p, const Span& span, float* __restrict coverage) {
  alignas(32) float x[kMaxSpanPixels];
  alignas(32) float y[kMaxSpanPixels];
  SpanVarying(span, kX, x);
  SpanVarying(span, kY, y);
  const float m0 = p.scissor[0], m1 = p.scissor[1], m2 = p.scissor[2];
  const float m3 = p.scissor[3], m4 = p.scissor[4], m5 = p.scissor[5];
  const float ex = p.scissorExt[0], ey = p.scissorExt[1];
  const float sx = p.scissorScale[0], sy = p.scissorScale[1];
  ForEachPixel(span.count, [&](int k) {
    const float qx = m0 * x[k] + m2 * y[k] + m4;
    const float qy = m1 * x[k] + m3 * y[k] + m5;
    coverage[k] *= Clamp01(0.5f - (std::abs(qx) - ex) * sx) * Clamp01(0.5f - (std::abs(qy) - ey) * sy);
  });
}

// The stroke mask, min(1, (1 - |2u - 1|) x multiplier) x min(1, v), of each
// pixel; false, writing nothing, when it is 1 across the span.
bool StrokeMask(const CallPaint& p, const Span& span, float* __restrict a) {
  const float multiplier = p.strokeMult;
  const bool acrossFull =
      span.dx[kU] == 0.0f && (1.0f - std::abs(2.0f * span.origin[kU] - 1.0f)) * multiplier >= 1.0f;
  const bool alongFull = span.dx[kV] == 0.0f && span.origin[kV] >= 1.0f;
  if (acrossFull && alongFull) return false;
  alignas(32) float values[kMaxSpanPixels];
  if (acrossFull) {
    ForEachPixel(span.count, [&](int k) { a[k] = 1.0f; });
  } else {
    SpanVarying(span, kU, values);
    ForEachPixel(span.count,
                 [&](int k) { a[k] = Lesser(1.0f, (1.0f - std::abs(2.0f * values[k] - 1.0f)) * multiplier); });
  }
  if (!alongFull) {
    SpanVarying(span, kV, values);
    ForEachPixel(span.count, [&](int k) { a[k] *= Lesser(1.0f, values[k]); });
  }
  return true;
}

// Stroke mask times scissor mask; nothing when both are 1 across the span.
STANDIN_SPAN_FUNCTION bool CallCoverage(const FragmentPlan& plan, const Span& span, float* __restrict coverage) {
  const CallPaint& p = plan.State<CallPaint>();
  const bool scissorFull = ScissorFull(p, span);
  const bool masked = p.strokeMask && StrokeMask(p, span, coverage);
  if (!masked && scissorFull) return false;
  if (!masked) ForEachPixel(span.count, [&](int k) { coverage[k] = 1.0f; });
  if (!scissorFull) ApplyScissor(p, span, coverage);
  return true;
}

// The coverage of every pixel, and which pixels to drop when the call discards.
void CoverageAndDiscards(const FragmentPlan& plan, const Span& span, float* __restrict coverage,
                         std::uint8_t* __restrict discard) {
  const CallPaint& p = plan.State<CallPaint>();
  if (!(p.strokeMask && StrokeMask(p, span, coverage))) {
    ForEachPixel(span.count, [&](int k) { coverage[k] = 1.0f; });
  }
  if (p.discards) {
    const float threshold = p.strokeThr;
    ForEachPixel(span.count, [&](int k) { discard[k] = coverage[k] < threshold ? 1 : 0; });
  }
  if (!ScissorFull(p, span)) ApplyScissor(p, span, coverage);
}

// ---- Colours

// Gradients: t from the signed distance to the rounded box of the paint,
// through the feather; the colour mixes inner into outer.
STANDIN_SPAN_FUNCTION void ShadeGradient(const FragmentPlan& plan, const Span& span, SpanColors& __restrict out,
                                         std::uint8_t* discard) {
  const CallPaint& p = plan.State<CallPaint>();
  alignas(32) float coverage[kMaxSpanPixels];
  alignas(32) float x[kMaxSpanPixels];
  alignas(32) float y[kMaxSpanPixels];
  alignas(32) float t[kMaxSpanPixels];
  CoverageAndDiscards(plan, span, coverage, discard);
  SpanVarying(span, kX, x);
  SpanVarying(span, kY, y);
  const float m0 = p.paint[0], m1 = p.paint[1], m2 = p.paint[2], m3 = p.paint[3], m4 = p.paint[4], m5 = p.paint[5];
  const float radius = p.radius;
  const float ex = p.extent[0] - radius, ey = p.extent[1] - radius;
  // A plain block loop: a body this long would not be inlined from a lambda.
  for (int base = 0; base < span.count; base += kSpanBlock) {
    for (int k = base; k < base + kSpanBlock; ++k) {
      const float dx = std::abs(m0 * x[k] + m2 * y[k] + m4) - ex;
      const float dy = std::abs(m1 * x[k] + m3 * y[k] + m5) - ey;
      const float outsideX = Greater(dx, 0.0f);
      const float outsideY = Greater(dy, 0.0f);
      t[k] = Lesser(Greater(dx, dy), 0.0f) + std::sqrt(outsideX * outsideX + outsideY * outsideY) - radius;
    }
  }
  if (p.feather > 0.0f) {
    const float feather = p.feather, halfFeather = p.feather * 0.5f;
    ForEachPixel(span.count, [&](int k) { t[k] = Clamp01((t[k] + halfFeather) / feather); });
  } else {
    ForEachPixel(span.count, [&](int k) { t[k] = t[k] > 0.0f ? 1.0f : 0.0f; });
  }
  const float ir = p.inner[0], ig = p.inner[1], ib = p.inner[2], ia = p.inner[3];
  const float dr = p.outer[0] - ir, dg = p.outer[1] - ig, db = p.outer[2] - ib, da = p.outer[3] - ia;
  ForEachPixel(span.count, [&](int k) {
    out.r[k] = (ir + t[k] * dr) * coverage[k];
    out.g[k] = (ig + t[k] * dg) * coverage[k];
    out.b[k] = (ib + t[k] * db) * coverage[k];
    out.a[k] = (ia + t[k] * da) * coverage[k];
  });
}

void ConvertTexels(TexelConversion conversion, int count, SpanColors& colors) {
  if (conversion == TexelConversion::kPremultiply) {
    ForEachPixel(count, [&](int k) {
      colors.r[k] *= colors.a[k];
      colors.g[k] *= colors.a[k];
      colors.b[k] *= colors.a[k];
    });
  } else if (conversion == TexelConversion::kRedToAll) {
    ForEachPixel(count, [&](int k) { colors.g[k] = colors.b[k] = colors.a[k] = colors.r[k]; });
  }
}

// Images and text shaded span by span (only when pixels may be discarded;
// otherwise the draw's plan looks the texture up itself).
STANDIN_SPAN_FUNCTION void ShadeTexture(const FragmentPlan& plan, const Span& span, SpanColors& __restrict out,
                                        std::uint8_t* discard) {
  const CallPaint& p = plan.State<CallPaint>();
  alignas(32) float coverage[kMaxSpanPixels];
  CoverageAndDiscards(plan, span, coverage, discard);
  const MTL::Texture* texture = plan.resources->textures[0];
  const MTL::SamplerSettings& sampler = plan.resources->samplers[0];
  if (p.type == MVC_SHADER_TRIANGLES) {
    SampleSpan(texture, sampler, span, kU, kV, out);
  } else {
    alignas(32) float x[kMaxSpanPixels];
    alignas(32) float y[kMaxSpanPixels];
    alignas(32) float u[kMaxSpanPixels];
    alignas(32) float v[kMaxSpanPixels];
    SpanVarying(span, kX, x);
    SpanVarying(span, kY, y);
    const float su = p.inverseExtent[0], sv = p.inverseExtent[1];
    const float m0 = p.paint[0], m1 = p.paint[1], m2 = p.paint[2], m3 = p.paint[3], m4 = p.paint[4], m5 = p.paint[5];
    ForEachPixel(span.count, [&](int k) {
      u[k] = (m0 * x[k] + m2 * y[k] + m4) * su;
      v[k] = (m1 * x[k] + m3 * y[k] + m5) * sv;
    });
    const standin::metal::TextureGradient gradient{(m0 * span.dx[kX] + m2 * span.dx[kY]) * su,
                                                   (m1 * span.dx[kX] + m3 * span.dx[kY]) * sv,
                                                   (m0 * span.dy[kX] + m2 * span.dy[kY]) * su,
                                                   (m1 * span.dy[kX] + m3 * span.dy[kY]) * sv};
    SampleSpan(texture, sampler, u, v, gradient, span.count, out);
  }
  ConvertTexels(p.conversion, span.count, out);
  const float ir = p.inner[0], ig = p.inner[1], ib = p.inner[2], ia = p.inner[3];
  ForEachPixel(span.count, [&](int k) {
    out.r[k] *= ir * coverage[k];
    out.g[k] *= ig * coverage[k];
    out.b[k] *= ib * coverage[k];
    out.a[k] *= ia * coverage[k];
  });
}

void ShadeSpan(const FragmentPlan& plan, const Span& span, SpanColors& out, std::uint8_t* discard) {
  if (plan.State<CallPaint>().type == MVC_SHADER_FILLGRAD) {
    ShadeGradient(plan, span, out, discard);
  } else {
    ShadeTexture(plan, span, out, discard);
  }
}

// ---- Preparation

TexelConversion ConversionOf(int texType) {
  switch (texType) {
    case MVC_TEXTYPE_STRAIGHT:
      return TexelConversion::kPremultiply;
    case MVC_TEXTYPE_ALPHA:
      return TexelConversion::kRedToAll;
    default:
      return TexelConversion::kAsIs;
  }
}

float InverseOf(float extent) { return extent != 0.0f ? 1.0f / extent : 0.0f; }

void KeepUniforms(const MVCfragUniforms& u, bool antialias, CallPaint& p) {
  CopyTransform(u.scissorMat, p.scissor);
  std::copy_n(u.scissorExt, 2, p.scissorExt);
  std::copy_n(u.scissorScale, 2, p.scissorScale);
  CopyTransform(u.paintMat, p.paint);
  std::copy_n(u.innerCol, 4, p.inner);
  std::copy_n(u.outerCol, 4, p.outer);
  std::copy_n(u.extent, 2, p.extent);
  p.radius = u.radius;
  p.feather = u.feather;
  p.strokeMult = u.strokeMult;
  p.strokeThr = u.strokeThr;
  p.inverseExtent[0] = InverseOf(u.extent[0]);
  p.inverseExtent[1] = InverseOf(u.extent[1]);
  p.type = u.type == MVC_SHADER_FILLIMG || u.type == MVC_SHADER_TRIANGLES ? u.type : MVC_SHADER_FILLGRAD;
  p.conversion = ConversionOf(u.texType);
  // No scissor: a zero matrix, whose mask is the same at every point.
  p.unscissored = std::all_of(p.scissor, p.scissor + 6, [](float m) { return m == 0.0f; }) &&
                  ScissorMaskAt(p, 0.0f, 0.0f) >= 1.0f;
  p.strokeMask = antialias && p.type != MVC_SHADER_TRIANGLES;
  // The stroke mask is never below 0, so only a positive threshold drops pixels.
  p.discards = p.strokeMask && u.strokeThr > 0.0f;
}

// The texture lookup of an image (paint frame over extent) or text ((u, v)).
void PlanLookup(const CallPaint& p, standin::metal::TextureLookup& lookup) {
  lookup.conversion = p.conversion;
  if (p.type == MVC_SHADER_TRIANGLES) {
    lookup.uVarying = kU;
    lookup.vVarying = kV;
    return;
  }
  lookup.uVarying = kX;
  lookup.vVarying = kY;
  const double su = p.inverseExtent[0], sv = p.inverseExtent[1];
  const float* m = p.paint;
  lookup.matrix[0][0] = m[0] * su;
  lookup.matrix[0][1] = m[2] * su;
  lookup.matrix[0][2] = m[4] * su;
  lookup.matrix[1][0] = m[1] * sv;
  lookup.matrix[1][1] = m[3] * sv;
  lookup.matrix[1][2] = m[5] * sv;
}

bool Prepare(FragmentPlan& plan, bool antialias) {
  const MVCfragUniforms* uniforms = plan.resources->buffers[0].Read<MVCfragUniforms>();
  if (uniforms == nullptr) return false;
  CallPaint& p = plan.State<CallPaint>();
  KeepUniforms(*uniforms, antialias, p);
  std::copy_n(p.inner, 4, plan.constant);
  plan.coverage = CallCoverage;
  plan.mayDiscard = p.discards;
  if (p.discards) {
    plan.color = FragmentColor::kShaded;
  } else if (p.type != MVC_SHADER_FILLGRAD) {
    plan.color = FragmentColor::kTexture;
    PlanLookup(p, plan.lookup);
  } else {
    const bool solid = std::equal(p.inner, p.inner + 4, p.outer);
    plan.color = solid ? FragmentColor::kConstant : FragmentColor::kShaded;
  }
  return true;
}

bool PrepareAntiAliased(FragmentPlan& plan) { return Prepare(plan, true); }
bool PreparePlain(FragmentPlan& plan) { return Prepare(plan, false); }

}  // namespace

MTL::Library* mvcNewShaderLibrary(MTL::Device* device, NS::Error** error) {
  // Registered by the code that loads it: a registration at namespace scope
  // in an object file nothing references would be dropped by the linker.
  static const standin::metal::ShaderLibraryRegistration registration(
      kMVCshaderLibraryName,
      {standin::metal::VertexShaderEntry(kMVCvertexFunctionName, VertexShader, kAttributeCount, kVaryingCount),
       standin::metal::FragmentShaderEntry(kMVCfragmentFunctionAAName, PrepareAntiAliased, ShadeSpan,
                                           kVaryingCount),
       standin::metal::FragmentShaderEntry(kMVCfragmentFunctionName, PreparePlain, ShadeSpan, kVaryingCount)});
  const std::string blob =
      std::string(standin::metal::kLibraryBlobMagic, sizeof standin::metal::kLibraryBlobMagic) + kMVCshaderLibraryName;
  dispatch_data_t data = dispatch_data_create(blob.data(), blob.size(), nullptr, DISPATCH_DATA_DESTRUCTOR_DEFAULT);
  MTL::Library* library = device->newLibraryWithDataError(data, error);
  dispatch_release(data);
  return library;
}
