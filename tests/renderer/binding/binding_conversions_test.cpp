// The graphics core's colours, blends, paints and line styles as the vector
// core's state, on a core context of the recording back end.
#include <gtest/gtest.h>

#include <cstring>

#include "graphics/renderer/paint.h"
#include "graphics/vector/vector_conversions.h"
#include "tests/support/renderer/core_context.h"

namespace plugkit::graphics {
namespace {

using orvane::testing::CoreContext;

constexpr int kUntouched = VC_SRC_ALPHA_SATURATE;

bool SameComposite(const VCcompositeOperationState& a, const VCcompositeOperationState& b) {
  return a.srcRGB == b.srcRGB && a.dstRGB == b.dstRGB && a.srcAlpha == b.srcAlpha && a.dstAlpha == b.dstAlpha;
}

bool SamePaint(const VCpaint& a, const VCpaint& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(VectorConversions, BlendsBecomeCompositeOperations) {
  CoreContext core;
  const VCcompositeOperationState untouched{kUntouched, kUntouched, kUntouched, kUntouched};
  const struct {
    const char* name;
    std::optional<IBlend> blend;
    VCcompositeOperationState expected;
  } cases[] = {
      {"none", std::nullopt, vc__compositeOperationState(VC_SOURCE_OVER)},
      {"source-over", IBlend(0, 1), vc__compositeOperationState(VC_SOURCE_OVER)},
      {"source-in", IBlend(1, 1), vc__compositeOperationState(VC_SOURCE_IN)},
      {"destination-over", IBlend(4, 1), vc__compositeOperationState(VC_DESTINATION_OVER)},
      {"destination-atop", IBlend(7, 1), vc__compositeOperationState(VC_DESTINATION_ATOP)},
      {"alpha factors", IBlend(8, 1), {VC_SRC_ALPHA, VC_DST_ALPHA, VC_SRC_ALPHA, VC_DST_ALPHA}},
      {"xor", IBlend(9, 1), vc__compositeOperationState(VC_XOR)},
      {"unknown", IBlend(10, 1), untouched},
      {"negative", IBlend(-1, 1), untouched},
  };
  for (const auto& c : cases) {
    vcGlobalCompositeBlendFuncSeparate(core.ctx, kUntouched, kUntouched, kUntouched, kUntouched);
    BlendToComposite(core.ctx, c.blend ? &*c.blend : nullptr);
    EXPECT_TRUE(SameComposite(vc__getState(core.ctx)->compositeOperation, c.expected)) << c.name;
  }
}

TEST(VectorConversions, ColoursTakeTheBlendWeightIntoAlpha) {
  const IBlend half(0, 0.5f);
  const VCcolor plain = VectorColor(IColor(128, 255, 0, 51), nullptr);
  const VCcolor weighted = VectorColor(IColor(128, 255, 0, 51), &half);
  EXPECT_EQ(plain.r, 1.f);
  EXPECT_EQ(plain.g, 0.f);
  EXPECT_FLOAT_EQ(plain.b, 0.2f);
  EXPECT_FLOAT_EQ(plain.a, 128.f / 255.f);
  EXPECT_FLOAT_EQ(weighted.a, 0.5f * 128.f / 255.f);
}

// The paint's transform maps user space to paint space: scaled by 1/20 after
// moving (100, 50) to the origin, its inverse centres the gradient there with
// radius 20.
TEST(VectorConversions, GradientsAreLaidOutByTheInverseTransform) {
  CoreContext core;
  IPaint paint;
  paint.mNStops = 3;
  paint.mStops[0] = {kColorRed, 0.25f};
  paint.mStops[1] = {kColorGreen, 0.5f};
  paint.mStops[2] = {IColor(128, 0, 0, 255), 1.f};
  paint.mTransform = ITransform(0.05, 0, 0, 0.05, -5, -2.5);
  const IBlend half(0, 0.5f);
  const VCcolor inner = VectorColor(kColorRed, &half);
  const VCcolor outer = VectorColor(IColor(128, 0, 0, 255), &half);

  paint.mType = EPaintType::Radial;
  EXPECT_TRUE(
      SamePaint(PatternToPaint(core.ctx, paint, &half), vcRadialGradient(core.ctx, 100, 50, 5, 20, inner, outer)));
  paint.mType = EPaintType::Linear;
  EXPECT_TRUE(
      SamePaint(PatternToPaint(core.ctx, paint, &half), vcLinearGradient(core.ctx, 100, 50, 100, 70, inner, outer)));
}

}  // namespace
}  // namespace plugkit::graphics
