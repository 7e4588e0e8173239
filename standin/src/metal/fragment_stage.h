#pragma once

// What happens to the pixels of a draw's rows: shading (or a planned colour),
// discards, the stencil test and its writes, blending and the write mask, in
// batches of at most kMaxSpanPixels pixels.

#include "metal/blend.h"
#include "metal/rasterizer.h"
#include "metal/sampling.h"
#include "metal/texture_storage.h"

#include <Metal/MTLDepthStencil.h>
#include <standin/metal/shader.h>
#include <standin/testing/metal.h>

#include <array>
#include <optional>

namespace standin::metal {

// Whether the fast paths are on (the testing API switches them).
bool FastPathsEnabled();
// The statistics of the pass executing now, or that executed last.
standin::testing::RenderPassStatistics& CurrentPassStatistics();

// For each stored stencil value: whether the test passes, and the value then stored.
struct StencilTable {
  std::array<std::uint8_t, 256> passes{};
  std::array<std::uint8_t, 256> stored{};
};

StencilTable MakeStencilTable(const MTL::StencilSettings& settings, std::uint32_t reference);

struct FragmentStageSetup {
  TextureLevel* color = nullptr;  // null: nothing to blend into
  Blender blend;
  TextureLevel* stencil = nullptr;           // null: no stencil attachment
  std::optional<StencilTable> frontStencil;  // none: the face is not tested
  std::optional<StencilTable> backStencil;
  const FragmentPlan* plan = nullptr;  // null: no fragment function
  ShadeFunction shade = nullptr;
  int varyingCount = 0;  // what the vertex function writes
};

class FragmentStage final : public RowSink {
public:
  explicit FragmentStage(const FragmentStageSetup& setup);

  void BeginTriangle(const TriangleSetup& triangle) override;
  void Row(int y, int x0, int x1) override;

private:
  // Per triangle: the texture lookup's coordinates and how it samples.
  struct Lookup {
    Plane u, v;                  // normalised coordinates
    float du = 0.0f, dv = 0.0f;  // per pixel in x
    TextureGradient gradient;
    LevelChoice levels;
    bool aligned = false;  // one texel per pixel, centres on centres, all inside the level
    int texelOffsetX = 0;  // texel column of pixel x is x + texelOffsetX
    int texelOffsetY = 0;
  };

  void Batch(int y, int x, int count);
  void StencilTest(int y, int x, int count, std::uint8_t* live);
  // Colours and blends pixels first .. first + count - 1 of the batch.
  void ColorRun(int first, int count, const std::uint8_t* live);
  void Shade(const Span& span);
  void PlannedColor(const Span& span);
  bool FillConstant(const Span& span, std::uint8_t* pixels, const std::uint8_t* live);
  bool CopyAlignedTexels(const Span& span, std::uint8_t* pixels, const std::uint8_t* live);
  void SampleLookup(const Span& span);
  bool Coverage(const Span& span);
  void ApplyConstantAndCoverage(const Span& span, bool covered);
  void CheckAlignment(const TextureStorage& storage, const TriangleSetup& triangle);
  std::uint8_t* ColorPixels(int y, int x) const;

  const FragmentStageSetup setup_;
  const bool fastPaths_;
  const bool writesColor_;
  const TriangleSetup* triangle_ = nullptr;
  const StencilTable* stencil_ = nullptr;  // the current triangle's face
  // The triangle's varyings as a x + b y + c, by varying.
  alignas(16) double alongA_[kMaxVaryings] = {};
  alignas(16) double alongB_[kMaxVaryings] = {};
  alignas(16) double alongC_[kMaxVaryings] = {};
  Span span_;  // the batch
  Span run_;   // part of the batch
  Lookup lookup_;
  StoredTexel constantTexel_{};  // the plan's constant colour as stored
  bool constantFinite_ = false;
  standin::testing::RenderPassStatistics& statistics_;

  SpanColors colors_;
  alignas(32) float coverage_[kMaxSpanPixels];
  alignas(32) float u_[kMaxSpanPixels];
  alignas(32) float v_[kMaxSpanPixels];
  std::uint8_t discard_[kMaxSpanPixels];
};

}  // namespace standin::metal
