#pragma once

// A shader library for the rasteriser tests, registered under kTestLibrary
// while the test program runs.
//
// "pixelVertex": attribute 0 a position in pixels, attribute 1 (u, v); vertex
// buffer 1 the target's size in pixels. Varyings: x, y, u, v.
// "wVertex": the same with w taken from u, for refusals.
// Fragment functions read TestUniforms from fragment buffer 0:
// "constantColor" (planned constant), "coverageColor" (constant times u),
// "gradientColor" (shaded: colour times u), "discardColor" (shaded, drops
// pixels whose u is below the threshold), "textureColor" (planned lookup of
// (u, v) in texture 0 with sampler 0, times the colour, with the conversion
// and optionally times v as coverage), "sampledColor" (shaded through SampleSpan).

#include <standin/metal/shader_library.h>

#include <algorithm>
#include <cstdint>

namespace metal_test {

using standin::metal::FragmentColor;
using standin::metal::FragmentPlan;
using standin::metal::Span;
using standin::metal::SpanColors;
using standin::metal::SpanVarying;

inline constexpr const char* kTestLibrary = "orvane.standin.tests";

struct TestUniforms {
  float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float threshold = 0.0f;
  std::int32_t conversion = 0;  // a TexelConversion
  std::int32_t coverageFromV = 0;
  float unused = 0.0f;
};

enum Varying { kX, kY, kU, kV, kVaryingCount };

inline void PixelVertex(const standin::metal::VertexInput& in, standin::metal::VertexOutput& out) {
  const float* size = in.buffers[1].Read<float>(0, 2);
  const float width = size != nullptr ? size[0] : 1.0f;
  const float height = size != nullptr ? size[1] : 1.0f;
  out.position[0] = 2.0f * in.attributes[0][0] / width - 1.0f;
  out.position[1] = 1.0f - 2.0f * in.attributes[0][1] / height;
  out.varyings[kX] = in.attributes[0][0];
  out.varyings[kY] = in.attributes[0][1];
  out.varyings[kU] = in.attributes[1][0];
  out.varyings[kV] = in.attributes[1][1];
}

inline void WVertex(const standin::metal::VertexInput& in, standin::metal::VertexOutput& out) {
  PixelVertex(in, out);
  out.position[3] = in.attributes[1][0];
}

inline bool ReadUniforms(FragmentPlan& plan) {
  const TestUniforms* uniforms = plan.resources->buffers[0].Read<TestUniforms>();
  if (uniforms == nullptr) return false;
  plan.State<TestUniforms>() = *uniforms;
  std::copy_n(uniforms->color, 4, plan.constant);
  return true;
}

// A varying as coverage; nothing when it is 1 across the span.
inline bool CoverageFrom(const Span& span, int varying, float* coverage) {
  if (span.dx[varying] == 0.0f && span.origin[varying] == 1.0f) return false;
  SpanVarying(span, varying, coverage);
  return true;
}

inline bool CoverageFromU(const FragmentPlan&, const Span& span, float* coverage) {
  return CoverageFrom(span, kU, coverage);
}

inline bool CoverageFromV(const FragmentPlan&, const Span& span, float* coverage) {
  return CoverageFrom(span, kV, coverage);
}

inline bool PrepareConstant(FragmentPlan& plan) {
  plan.color = FragmentColor::kConstant;
  return ReadUniforms(plan);
}

inline bool PrepareCoverage(FragmentPlan& plan) {
  plan.color = FragmentColor::kConstant;
  plan.coverage = CoverageFromU;
  return ReadUniforms(plan);
}

inline bool PrepareShaded(FragmentPlan& plan) { return ReadUniforms(plan); }

inline bool PrepareDiscard(FragmentPlan& plan) {
  plan.mayDiscard = true;
  return ReadUniforms(plan);
}

inline bool PrepareTexture(FragmentPlan& plan) {
  if (!ReadUniforms(plan)) return false;
  const TestUniforms& uniforms = plan.State<TestUniforms>();
  plan.color = FragmentColor::kTexture;
  plan.lookup.uVarying = kU;
  plan.lookup.vVarying = kV;
  plan.lookup.conversion = static_cast<standin::metal::TexelConversion>(uniforms.conversion);
  if (uniforms.coverageFromV != 0) plan.coverage = CoverageFromV;
  return true;
}

// Colour times u; with a discard mask where u is below the threshold.
inline void ShadeGradient(const FragmentPlan& plan, const Span& span, SpanColors& out, std::uint8_t* discard) {
  const TestUniforms uniforms = plan.State<TestUniforms>();
  alignas(32) float u[standin::metal::kMaxSpanPixels];
  SpanVarying(span, kU, u);
  standin::metal::ForEachPixel(span.count, [&](int k) {
    out.r[k] = uniforms.color[0] * u[k];
    out.g[k] = uniforms.color[1] * u[k];
    out.b[k] = uniforms.color[2] * u[k];
    out.a[k] = uniforms.color[3] * u[k];
  });
  if (!plan.mayDiscard) return;
  for (int k = 0; k < span.count; ++k) discard[k] = u[k] < uniforms.threshold ? 1 : 0;
}

inline void ShadeSampled(const FragmentPlan& plan, const Span& span, SpanColors& out, std::uint8_t*) {
  standin::metal::SampleSpan(plan.resources->textures[0], plan.resources->samplers[0], span, kU, kV, out);
}

// Registers the library on first use; returns its name.
inline const char* TestLibraryName() {
  using standin::metal::FragmentShaderEntry;
  using standin::metal::VertexShaderEntry;
  static const standin::metal::ShaderLibraryRegistration registration(
      kTestLibrary, {VertexShaderEntry("pixelVertex", PixelVertex, 2, kVaryingCount),
                     VertexShaderEntry("wVertex", WVertex, 2, kVaryingCount),
                     FragmentShaderEntry("constantColor", PrepareConstant, nullptr, kVaryingCount),
                     FragmentShaderEntry("coverageColor", PrepareCoverage, nullptr, kVaryingCount),
                     FragmentShaderEntry("gradientColor", PrepareShaded, ShadeGradient, kVaryingCount),
                     FragmentShaderEntry("discardColor", PrepareDiscard, ShadeGradient, kVaryingCount),
                     FragmentShaderEntry("textureColor", PrepareTexture, nullptr, kVaryingCount),
                     FragmentShaderEntry("sampledColor", PrepareShaded, ShadeSampled, kVaryingCount)});
  return kTestLibrary;
}

}  // namespace metal_test
