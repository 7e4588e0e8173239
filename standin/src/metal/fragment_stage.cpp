#include "metal/fragment_stage.h"

#include "metal/scheduler.h"

#include <Metal/MTLTexture.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace standin::metal {
namespace {

std::atomic<bool> gFastPaths{true};
standin::testing::RenderPassStatistics gStatistics;  // under the execution lock

constexpr std::uint32_t kStencilMask = 0xFF;

// A texel-aligned lookup must land within this many texels of texel centres
// (below the 1/512 at which the linear filter's rounded fraction moves).
constexpr double kAlignedTolerance = 1.0 / 600.0;
// The relative error of one float rounding.
constexpr double kFloatEpsilon = 1.0 / 16777216.0;  // 2^-24

bool StencilCompare(MTLCompareFunction function, std::uint32_t reference, std::uint32_t stored) {
  switch (function) {
    case MTLCompareFunctionNever:
      return false;
    case MTLCompareFunctionLess:
      return reference < stored;
    case MTLCompareFunctionEqual:
      return reference == stored;
    case MTLCompareFunctionLessEqual:
      return reference <= stored;
    case MTLCompareFunctionGreater:
      return reference > stored;
    case MTLCompareFunctionNotEqual:
      return reference != stored;
    case MTLCompareFunctionGreaterEqual:
      return reference >= stored;
    default:
      return true;
  }
}

std::uint32_t StencilOperation(MTLStencilOperation operation, std::uint32_t value, std::uint32_t reference) {
  switch (operation) {
    case MTLStencilOperationZero:
      return 0;
    case MTLStencilOperationReplace:
      return reference;
    case MTLStencilOperationIncrementClamp:
      return std::min<std::uint32_t>(value + 1, kStencilMask);
    case MTLStencilOperationDecrementClamp:
      return value == 0 ? 0 : value - 1;
    case MTLStencilOperationInvert:
      return ~value & kStencilMask;
    case MTLStencilOperationIncrementWrap:
      return (value + 1) & kStencilMask;
    case MTLStencilOperationDecrementWrap:
      return (value - 1) & kStencilMask;
    default:
      return value;
  }
}

// A plane's value at each pixel of the span, stepped from the batch's origin
// exactly as SpanVarying steps varyings.
void EvaluatePlane(const Plane& plane, float step, const Span& span, float* out) {
  Span single;
  single.count = span.count;
  single.originOffset = span.originOffset;
  single.origin[0] = static_cast<float>(plane.At(span.x - span.originOffset + 0.5, span.y + 0.5));
  single.dx[0] = step;
  SpanVarying(single, 0, out);
}

// Scalars are read into locals and arrays through unaliased pointers, so the loops vectorise.
void FillColors(SpanColors& colors, int count, const float (&color)[4]) {
  const float r = color[0], g = color[1], b = color[2], a = color[3];
  ForEachPixel(count, [&](int k) {
    colors.r[k] = r;
    colors.g[k] = g;
    colors.b[k] = b;
    colors.a[k] = a;
  });
}

void MultiplyByColor(SpanColors& colors, int count, const float (&factor)[4]) {
  const float r = factor[0], g = factor[1], b = factor[2], a = factor[3];
  ForEachPixel(count, [&](int k) {
    colors.r[k] *= r;
    colors.g[k] *= g;
    colors.b[k] *= b;
    colors.a[k] *= a;
  });
}

void MultiplyByCoverage(SpanColors& __restrict colors, int count, const float* __restrict coverage) {
  ForEachPixel(count, [&](int k) {
    colors.r[k] *= coverage[k];
    colors.g[k] *= coverage[k];
    colors.b[k] *= coverage[k];
    colors.a[k] *= coverage[k];
  });
}

}  // namespace

bool FastPathsEnabled() { return gFastPaths.load(std::memory_order_relaxed); }

standin::testing::RenderPassStatistics& CurrentPassStatistics() { return gStatistics; }

StencilTable MakeStencilTable(const MTL::StencilSettings& settings, std::uint32_t reference) {
  const std::uint32_t readMask = settings.readMask & kStencilMask;
  const std::uint32_t writeMask = settings.writeMask & kStencilMask;
  const std::uint32_t ref = reference & kStencilMask;
  StencilTable table;
  for (std::uint32_t value = 0; value <= kStencilMask; ++value) {
    const bool passes = StencilCompare(settings.stencilCompareFunction, ref & readMask, value & readMask);
    const MTLStencilOperation operation =
        passes ? settings.depthStencilPassOperation : settings.stencilFailureOperation;
    const std::uint32_t result = StencilOperation(operation, value, ref);
    table.passes[value] = passes ? 1 : 0;
    table.stored[value] = static_cast<std::uint8_t>((value & ~writeMask) | (result & writeMask));
  }
  return table;
}

FragmentStage::FragmentStage(const FragmentStageSetup& setup)
    : setup_(setup),
      fastPaths_(FastPathsEnabled()),
      writesColor_(setup.color != nullptr && setup.plan != nullptr && setup.blend.writeMask() != MTLColorWriteMaskNone),
      statistics_(CurrentPassStatistics()) {
  if (setup_.plan != nullptr) {
    const float* c = setup_.plan->constant;
    constantTexel_ = setup_.blend.Store(c[0], c[1], c[2], c[3]);
    constantFinite_ = std::isfinite(c[0]) && std::isfinite(c[1]) && std::isfinite(c[2]) && std::isfinite(c[3]);
  }
}

void FragmentStage::BeginTriangle(const TriangleSetup& triangle) {
  triangle_ = &triangle;
  const std::optional<StencilTable>& face = triangle.frontFacing ? setup_.frontStencil : setup_.backStencil;
  stencil_ = setup_.stencil != nullptr && face ? &*face : nullptr;
  for (int i = 0; i < setup_.varyingCount; ++i) {
    const Plane& plane = triangle.varyings[i];
    span_.dx[i] = static_cast<float>(plane.a);
    span_.dy[i] = static_cast<float>(plane.b);
    alongA_[i] = plane.a;
    alongB_[i] = plane.b;
    alongC_[i] = plane.value0 - plane.a * plane.x0 - plane.b * plane.y0;
  }
  if (setup_.plan == nullptr || setup_.plan->color != FragmentColor::kTexture) return;

  const TextureLookup& lookup = setup_.plan->lookup;
  const Plane& first = triangle.varyings[lookup.uVarying];
  const Plane& second = triangle.varyings[lookup.vVarying];
  const auto compose = [&](const double(&row)[3]) {
    Plane plane = first;
    plane.a = row[0] * first.a + row[1] * second.a;
    plane.b = row[0] * first.b + row[1] * second.b;
    plane.value0 = row[0] * first.value0 + row[1] * second.value0 + row[2];
    return plane;
  };
  lookup_.u = compose(lookup.matrix[0]);
  lookup_.v = compose(lookup.matrix[1]);
  lookup_.du = static_cast<float>(lookup_.u.a);
  lookup_.dv = static_cast<float>(lookup_.v.a);
  lookup_.gradient = {lookup_.du, lookup_.dv, static_cast<float>(lookup_.u.b), static_cast<float>(lookup_.v.b)};
  lookup_.aligned = false;
  const MTL::Texture* texture = setup_.plan->resources->textures[lookup.texture];
  if (texture == nullptr) return;
  lookup_.levels = ChooseLevels(texture->storage(), setup_.plan->resources->samplers[lookup.sampler], lookup_.gradient);
  if (fastPaths_) CheckAlignment(texture->storage(), triangle);
}

void FragmentStage::CheckAlignment(const TextureStorage& storage, const TriangleSetup& triangle) {
  if (lookup_.levels.blend > 0.0f) return;
  const TextureLevel& level = storage.levels[lookup_.levels.level];
  const double width = static_cast<double>(level.width);
  const double height = static_cast<double>(level.height);
  const double spanX = triangle.maxX - triangle.minX;
  const double spanY = triangle.maxY - triangle.minY;
  const int centreX = (triangle.minX + triangle.maxX) / 2;
  const int centreY = (triangle.minY + triangle.maxY) / 2;

  // How far from a texel centre any pixel of the triangle lands, allowing
  // for the float arithmetic of the general path; and the texel offset.
  const auto fit = [&](const Plane& plane, double size, double alongX, double alongY, int& offset) {
    const double atCentre = plane.At(centreX + 0.5, centreY + 0.5) * size - 0.5 - (alongX * centreX + alongY * centreY);
    offset = static_cast<int>(std::lround(atCentre));
    double largest = 0.0;
    for (const double x : {double(triangle.minX), double(triangle.maxX)}) {
      for (const double y : {double(triangle.minY), double(triangle.maxY)})
        largest = std::max(largest, std::abs(plane.At(x, y)));
    }
    const double deviation = std::abs(atCentre - offset) + std::abs(plane.a * size - alongX) * spanX +
                             std::abs(plane.b * size - alongY) * spanY;
    const double rounding =
        kFloatEpsilon * (4.0 * largest * size + 2.0 * kMaxSpanPixels * std::abs(plane.a * size) + 2.0);
    return std::abs(atCentre) < 1e9 && deviation + rounding < kAlignedTolerance;
  };
  int offsetX = 0;
  int offsetY = 0;
  if (!fit(lookup_.u, width, 1.0, 0.0, offsetX) || !fit(lookup_.v, height, 0.0, 1.0, offsetY)) return;
  const bool inside = triangle.minX + offsetX >= 0 && triangle.maxX + offsetX <= width &&
                      triangle.minY + offsetY >= 0 && triangle.maxY + offsetY <= height;
  if (!inside) return;
  lookup_.aligned = true;
  lookup_.texelOffsetX = offsetX;
  lookup_.texelOffsetY = offsetY;
}

void FragmentStage::Row(int y, int x0, int x1) {
  for (int x = x0; x < x1; x += kMaxSpanPixels) Batch(y, x, std::min(kMaxSpanPixels, x1 - x));
}

void FragmentStage::Batch(int y, int x, int count) {
  span_.x = x;
  span_.y = y;
  span_.count = count;
  span_.originOffset = 0;
  // Two varyings at a time (a pair past the count reads zeros and writes unused slots).
  using F64x2 = double __attribute__((vector_size(16)));
  using F32x2 = float __attribute__((vector_size(8)));
  const double centreX = x + 0.5;
  const double centreY = y + 0.5;
  const F64x2 cx{centreX, centreX};
  const F64x2 cy{centreY, centreY};
  for (int i = 0; i < setup_.varyingCount; i += 2) {
    F64x2 a, b, c;
    std::memcpy(&a, alongA_ + i, sizeof a);
    std::memcpy(&b, alongB_ + i, sizeof b);
    std::memcpy(&c, alongC_ + i, sizeof c);
    const F32x2 origin = __builtin_convertvector(c + a * cx + b * cy, F32x2);
    std::memcpy(span_.origin + i, &origin, sizeof origin);
    std::memcpy(span_.varyings + i, &origin, sizeof origin);
  }
  const bool shadeFirst = setup_.plan != nullptr && setup_.plan->mayDiscard;
  if (!shadeFirst && stencil_ == nullptr) {
    if (writesColor_) ColorRun(0, count, nullptr);
    return;
  }
  std::uint8_t live[kMaxSpanPixels];
  std::fill_n(live, count, 1);
  if (shadeFirst) {
    Shade(span_);
    statistics_.fragmentsShaded += count;
    for (int k = 0; k < count; ++k) live[k] = discard_[k] == 0 ? 1 : 0;
  }
  if (stencil_ != nullptr) StencilTest(y, x, count, live);
  if (!writesColor_) return;
  if (shadeFirst) {
    statistics_.pixelsWritten += setup_.blend.BlendSpan(ColorPixels(y, x), count, colors_, live);
    return;
  }
  if (!fastPaths_) {
    ColorRun(0, count, live);
    return;
  }
  // The stencil ran first: colour only the runs it passed.
  for (int k = 0; k < count;) {
    if (live[k] == 0) {
      ++k;
      continue;
    }
    int end = k + 1;
    while (end < count && live[end] != 0) ++end;
    ColorRun(k, end - k, nullptr);
    k = end;
  }
}

void FragmentStage::StencilTest(int y, int x, int count, std::uint8_t* live) {
  std::uint8_t* stored = setup_.stencil->row(static_cast<NS::UInteger>(y)) + x;
  const StencilTable& table = *stencil_;
  constexpr int kGroup = 8;
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  for (int k = 0; k < count;) {
    // Eight live pixels holding one value pass or fail together.
    if (k + kGroup <= count) {
      std::uint64_t values, alive;
      std::memcpy(&values, stored + k, kGroup);
      std::memcpy(&alive, live + k, kGroup);
      const std::uint8_t value = static_cast<std::uint8_t>(values);
      if (alive == kOnes && values == value * kOnes) {
        std::memset(live + k, table.passes[value], kGroup);
        std::memset(stored + k, table.stored[value], kGroup);
        k += kGroup;
        continue;
      }
    }
    if (live[k] != 0) {
      const std::uint8_t value = stored[k];
      live[k] = table.passes[value];
      stored[k] = table.stored[value];
    }
    ++k;
  }
}

std::uint8_t* FragmentStage::ColorPixels(int y, int x) const {
  return setup_.color->row(static_cast<NS::UInteger>(y)) + static_cast<NS::UInteger>(x) * setup_.blend.bytesPerTexel();
}

void FragmentStage::ColorRun(int first, int count, const std::uint8_t* live) {
  const Span* span = &span_;
  if (first > 0 || count < span_.count) {  // part of the batch: stepped from the batch's origin
    run_ = span_;
    run_.x += first;
    run_.count = count;
    run_.originOffset = first;
    for (int i = 0; i < setup_.varyingCount; ++i) {
      run_.varyings[i] = run_.origin[i] + static_cast<float>(first) * run_.dx[i];
    }
    span = &run_;
  }
  std::uint8_t* pixels = ColorPixels(span->y, span->x);
  const std::uint8_t* runLive = live != nullptr ? live + first : nullptr;
  statistics_.fragmentsShaded += count;
  const FragmentColor color = setup_.plan->color;
  if (fastPaths_) {
    if (color == FragmentColor::kConstant && FillConstant(*span, pixels, runLive)) return;
    if (color == FragmentColor::kTexture && lookup_.aligned && CopyAlignedTexels(*span, pixels, runLive)) return;
  }
  if (color == FragmentColor::kShaded) {
    Shade(*span);
  } else {
    PlannedColor(*span);
  }
  statistics_.pixelsWritten += setup_.blend.BlendSpan(pixels, count, colors_, runLive);
}

void FragmentStage::Shade(const Span& span) { setup_.shade(*setup_.plan, span, colors_, discard_); }

void FragmentStage::PlannedColor(const Span& span) {
  if (setup_.plan->color == FragmentColor::kConstant) {
    FillColors(colors_, span.count, setup_.plan->constant);
  } else {
    SampleLookup(span);
  }
  ApplyConstantAndCoverage(span, Coverage(span));
}

void FragmentStage::SampleLookup(const Span& span) {
  const FragmentPlan& plan = *setup_.plan;
  EvaluatePlane(lookup_.u, lookup_.du, span, u_);
  EvaluatePlane(lookup_.v, lookup_.dv, span, v_);
  SampleSpan(plan.resources->textures[plan.lookup.texture], plan.resources->samplers[plan.lookup.sampler], u_, v_,
             lookup_.gradient, span.count, colors_);
  ConvertTexels(plan.lookup.conversion, span.count, colors_);
}

// Whether coverage_ holds the span's coverage; false when it is 1 everywhere.
bool FragmentStage::Coverage(const Span& span) {
  const FragmentPlan& plan = *setup_.plan;
  return plan.coverage != nullptr && plan.coverage(plan, span, coverage_);
}

// Texture colours are times the constant; planned colours are times the coverage.
void FragmentStage::ApplyConstantAndCoverage(const Span& span, bool covered) {
  const FragmentPlan& plan = *setup_.plan;
  if (plan.color == FragmentColor::kTexture) MultiplyByColor(colors_, span.count, plan.constant);
  if (covered) MultiplyByCoverage(colors_, span.count, coverage_);
}

// A constant colour under source-over (or stored without blending) on a
// four-byte target: opaque pixels are plain stores, fully transparent ones
// are skipped, the rest blend. False when the general path must run.
bool FragmentStage::FillConstant(const Span& span, std::uint8_t* pixels, const std::uint8_t* live) {
  const FragmentPlan& plan = *setup_.plan;
  const bool store = setup_.blend.storeOnBytes();
  if ((!store && !setup_.blend.sourceOverOnBytes()) || !constantFinite_) return false;
  const bool opaque = plan.constant[3] == 1.0f;
  const bool covered = Coverage(span);
  if (!covered) {
    if (store || opaque) {
      statistics_.pixelsWritten += setup_.blend.Fill(pixels, span.count, constantTexel_, live);
      return true;
    }
    const float* c = plan.constant;
    if (c[0] == 0.0f && c[1] == 0.0f && c[2] == 0.0f && c[3] == 0.0f) return true;  // adds nothing
    statistics_.pixelsWritten +=
        setup_.blend.BlendConstant(pixels, span.count, plan.constant, constantTexel_, nullptr, live);
    return true;
  }
  if (store) return false;
  statistics_.pixelsWritten +=
      setup_.blend.BlendConstant(pixels, span.count, plan.constant, constantTexel_, coverage_, live);
  return true;
}

// One texel per pixel: the texels are read directly, and under plain
// source-over of an unmodified four-byte texture opaque texels are copied
// and empty ones skipped.
bool FragmentStage::CopyAlignedTexels(const Span& span, std::uint8_t* pixels, const std::uint8_t* live) {
  const FragmentPlan& plan = *setup_.plan;
  const TextureStorage& storage = plan.resources->textures[plan.lookup.texture]->storage();
  const TextureLevel& level = storage.levels[lookup_.levels.level];
  const std::uint8_t* texels = level.row(static_cast<NS::UInteger>(span.y + lookup_.texelOffsetY)) +
                               static_cast<NS::UInteger>(span.x + lookup_.texelOffsetX) * storage.bytesPerTexel;
  const float* c = plan.constant;
  const bool covered = Coverage(span);
  const bool plainCopy = plan.lookup.conversion == TexelConversion::kAsIs && !covered && c[0] == 1.0f && c[1] == 1.0f &&
                         c[2] == 1.0f && c[3] == 1.0f && storage.bytesPerTexel == 4 && setup_.blend.sourceOverOnBytes();
  if (plainCopy) {
    statistics_.pixelsWritten += setup_.blend.CopyTexelsOver(pixels, texels, storage.pixelFormat, span.count, live);
    return true;
  }
  if (plan.lookup.conversion == TexelConversion::kRedToAll && storage.pixelFormat == MTLPixelFormatR8Unorm &&
      setup_.blend.sourceOverOnBytes() && constantFinite_) {  // glyphs
    statistics_.pixelsWritten += setup_.blend.BlendCoverageTexels(pixels, texels, span.count, plan.constant,
                                                                  covered ? coverage_ : nullptr, live);
    return true;
  }
  TexelColors(storage.pixelFormat, texels, span.count, colors_);
  ConvertTexels(plan.lookup.conversion, span.count, colors_);
  ApplyConstantAndCoverage(span, covered);
  statistics_.pixelsWritten += setup_.blend.BlendSpan(pixels, span.count, colors_, live);
  return true;
}

}  // namespace standin::metal

namespace standin::testing {

void SetMetalFastPaths(bool enabled) { metal::gFastPaths.store(enabled, std::memory_order_relaxed); }

bool MetalFastPathsEnabled() { return metal::FastPathsEnabled(); }

RenderPassStatistics LastRenderPassStatistics() {
  std::lock_guard execution(metal::ExecutionLock());
  return metal::gStatistics;
}

}  // namespace standin::testing
