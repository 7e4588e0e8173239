// The calls, vertices and uniform records the back end records for the
// core's fills, strokes and triangles.
#include <cstring>

#include "metal_backend_fixture.h"

namespace {

constexpr VCcompositeOperationState kSourceOver{VC_ONE, VC_ONE_MINUS_SRC_ALPHA, VC_ONE, VC_ONE_MINUS_SRC_ALPHA};
constexpr float kBounds[4] = {1, 2, 30, 40};

VCpaint SolidPaint() {
  VCpaint paint{};
  vc__setPaintColor(&paint, White());
  return paint;
}

VCscissor NoScissor() {
  VCscissor scissor{};
  scissor.extent[0] = scissor.extent[1] = -1.0f;
  return scissor;
}

// Paths whose vertices are numbered in x, fill fans and strips apart.
class PathSet {
public:
  PathSet(std::initializer_list<std::pair<int, int>> counts, bool convex) {
    for (const auto& [nfill, nstroke] : counts) {
      VCpath& path = paths_.emplace_back();
      path.nfill = nfill;
      path.nstroke = nstroke;
      path.convex = convex ? 1 : 0;
      fills_.emplace_back(nfill);
      strokes_.emplace_back(nstroke);
      for (int i = 0; i < nfill; ++i) fills_.back()[i] = {static_cast<float>(i), 0, 0.5f, 1};
      for (int i = 0; i < nstroke; ++i) strokes_.back()[i] = {100.0f + i, 0, 0, 1};
    }
    for (std::size_t i = 0; i < paths_.size(); ++i) {
      paths_[i].fill = fills_[i].empty() ? nullptr : fills_[i].data();
      paths_[i].stroke = strokes_[i].empty() ? nullptr : strokes_[i].data();
    }
  }
  const VCpath* data() const { return paths_.data(); }
  int size() const { return static_cast<int>(paths_.size()); }

private:
  std::vector<VCpath> paths_;
  std::vector<std::vector<VCvertex>> fills_;
  std::vector<std::vector<VCvertex>> strokes_;
};

class MetalRecordingTest : public MetalBackendTest {
protected:
  void SetUp() override {
    MetalBackendTest::SetUp();
    ctx_ = Create(kDefaultFlags | VC_STENCIL_STROKES);
    ASSERT_NE(ctx_, nullptr);
    vcBeginFrame(ctx_, 64, 64, 1);
  }
  void TearDown() override {
    vcCancelFrame(ctx_);
    MetalBackendTest::TearDown();
  }

  MVCcontext_vOrvane_au* backEnd() const { return BackEnd(ctx_); }
  MVCbuffers_vOrvane_au& set() const { return *backEnd()->buffers(); }
  const MVCcall& Call(int i) const { return set().calls[i]; }
  const MVCfragUniforms& Uniforms(int offset) const { return *backEnd()->fragUniformAtIndex(offset); }

  void Fill(const PathSet& paths, const VCpaint& paint = SolidPaint(), const VCscissor& scissor = NoScissor()) {
    backEnd()->renderFillWithPaintCompositeOperationScissorFringeBoundsPathsNpaths(&paint, kSourceOver, &scissor, 1,
                                                                                   kBounds, paths.data(), paths.size());
  }
  void Stroke(const PathSet& paths, float width = 2, const VCscissor& scissor = NoScissor()) {
    const VCpaint paint = SolidPaint();
    backEnd()->renderStrokeWithPaintCompositeOperationScissorFringeStrokeWidthPathsNpaths(
        &paint, kSourceOver, &scissor, 1, width, paths.data(), paths.size());
  }

  VCcontext* ctx_ = nullptr;
};

TEST_F(MetalRecordingTest, FillsLayOutInteriorQuadAndStrip) {
  Fill(PathSet({{5, 12}}, true));
  Fill(PathSet({{5, 12}, {4, 10}}, true));
  Fill(PathSet({{2, 0}, {0, 0}}, false));  // no interior, no strip
  ASSERT_EQ(set().ncalls, 3);
  EXPECT_EQ(Call(0).type, MVC_CONVEXFILL);
  EXPECT_EQ(Call(0).triangleCount, 0);

  const MVCcall& fill = Call(1);
  const int offset = 5 + 14;  // after the convex fill's vertices
  EXPECT_EQ(fill.type, MVC_FILL);
  EXPECT_EQ(fill.indexCount, 15);
  EXPECT_EQ(fill.triangleOffset, offset + 9);
  EXPECT_EQ(fill.triangleCount, 4);
  EXPECT_EQ(fill.strokeOffset, offset + 14);
  EXPECT_EQ(fill.strokeCount, 24);
  EXPECT_EQ(set().nverts, offset + 39 + 4) << "39, then the last fill's cover quad alone";
  // The second fan's first triangle, and the strip joining the paths with repeated ends.
  EXPECT_EQ(set().indexes[fill.indexOffset + 9], static_cast<std::uint32_t>(offset + 5));
  const VCvertex* strip = set().verts + offset + 13;
  EXPECT_EQ(strip[0].x, 100);
  EXPECT_EQ(strip[13].x, 111);
  EXPECT_EQ(strip[14].x, 100);
  EXPECT_EQ(strip[25].x, 109);
  const VCvertex& corner = set().verts[fill.triangleOffset];
  EXPECT_EQ((std::vector<float>{corner.x, corner.y, corner.u, corner.v}), (std::vector<float>{30, 40, 0.5f, 1}));

  EXPECT_EQ(Call(2).indexCount, 0);
  EXPECT_EQ(Call(2).strokeCount, -2);
}

TEST_F(MetalRecordingTest, StrokesAndTrianglesTakeTheirVerticesAndUniforms) {
  Stroke(PathSet({}, false));
  Stroke(PathSet({{0, 12}}, false), 2);
  const VCpaint paint = SolidPaint();
  const VCscissor scissor = NoScissor();
  const VCvertex quad[6] = {};
  backEnd()->renderTrianglesWithPaintCompositeOperationScissorVertsNvertsFringe(&paint, kSourceOver, &scissor, quad,
                                                                                6, 1);
  backEnd()->renderTrianglesWithPaintCompositeOperationScissorVertsNvertsFringe(&paint, kSourceOver, &scissor,
                                                                                nullptr, 0, 1);
  ASSERT_EQ(set().ncalls, 4);
  EXPECT_EQ(Call(0).strokeCount, -2);
  EXPECT_EQ(Call(1).strokeOffset, 1);
  EXPECT_EQ(Call(1).strokeCount, 12);
  // Stencil strokes: two records, the second dropping what is not all but fully covered.
  EXPECT_EQ(Call(0).uniformOffset, 0);
  EXPECT_EQ(Call(1).uniformOffset, 2 * 256);
  EXPECT_EQ(Uniforms(Call(1).uniformOffset).strokeThr, -1.0f);
  EXPECT_FLOAT_EQ(Uniforms(Call(1).uniformOffset + 256).strokeThr, 0.9980392f);
  EXPECT_EQ(Uniforms(Call(1).uniformOffset).strokeMult, 1.5f);
  EXPECT_EQ(Call(2).type, MVC_TRIANGLES);
  EXPECT_EQ(Call(2).triangleOffset, 14);
  EXPECT_EQ(Call(2).triangleCount, 6);
  EXPECT_EQ(Uniforms(Call(2).uniformOffset).type, MVC_SHADER_TRIANGLES);
  EXPECT_EQ(Call(3).triangleCount, 0);
}

TEST_F(MetalRecordingTest, ArraysGrowFromTheirFloors) {
  Fill(PathSet({{3, 3}}, true));
  EXPECT_EQ(set().ccalls, 128);
  EXPECT_EQ(set().cverts, 4096);
  EXPECT_EQ(set().cindexes, 4096);
  EXPECT_EQ(set().cuniforms, 128);
  Fill(PathSet({{5000, 0}}, true));
  EXPECT_EQ(set().cverts, 5008 + 2048);
  EXPECT_EQ(set().cindexes, 4998 * 3 + 3 + 2048);
  EXPECT_EQ(set().verts[1].x, 1) << "the earlier vertices were copied";
}

TEST_F(MetalRecordingTest, BlendsMapBitsAndFallBackToSourceOver) {
  const MVCblend sourceOver{MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne,
                            MTLBlendFactorOneMinusSourceAlpha};
  const struct {
    VCcompositeOperationState op;
    MVCblend blend;
  } cases[] = {
      {{VC_ZERO, VC_SRC_ALPHA, VC_DST_ALPHA, VC_ONE_MINUS_DST_ALPHA},
       {MTLBlendFactorZero, MTLBlendFactorSourceAlpha, MTLBlendFactorDestinationAlpha,
        MTLBlendFactorOneMinusDestinationAlpha}},
      {{VC_SRC_COLOR, VC_ONE_MINUS_SRC_COLOR, VC_DST_COLOR, VC_ONE_MINUS_DST_COLOR},
       {MTLBlendFactorSourceColor, MTLBlendFactorOneMinusSourceColor, MTLBlendFactorDestinationColor,
        MTLBlendFactorOneMinusDestinationColor}},
      {{VC_SRC_ALPHA_SATURATE, VC_ONE, VC_ONE, VC_ONE},
       {MTLBlendFactorSourceAlphaSaturated, MTLBlendFactorOne, MTLBlendFactorOne, MTLBlendFactorOne}},
      {{3, VC_ONE, VC_ONE, VC_ONE}, sourceOver},
      {{VC_ONE, VC_ONE, VC_ONE, 0}, sourceOver},
  };
  for (const auto& c : cases) EXPECT_EQ(backEnd()->blendCompositeOperation(c.op), c.blend);
}

TEST_F(MetalRecordingTest, PaintsBecomeUniformRecords) {
  const std::vector<unsigned char> pixels(4 * 4 * 4, 255);
  const int straight = vcCreateImageRGBA(ctx_, 4, 4, 0, pixels.data());
  const int premultiplied = vcCreateImageRGBA(ctx_, 4, 4, VC_IMAGE_PREMULTIPLIED | VC_IMAGE_FLIPY, pixels.data());
  const int alpha = ctx_->fontImages[0];
  const struct {
    int image;
    int texType;
    float flippedY;  // the paint matrix's y scale
  } cases[] = {{premultiplied, MVC_TEXTYPE_PREMULTIPLIED, -1}, {straight, MVC_TEXTYPE_STRAIGHT, 1},
               {alpha, MVC_TEXTYPE_ALPHA, 1}};
  for (const auto& c : cases) {
    VCpaint paint = vcImagePattern(ctx_, 0, 0, 4, 4, 0, c.image, 0.5f);
    MVCfragUniforms frag;
    const VCscissor scissor = NoScissor();
    EXPECT_TRUE(backEnd()->convertPaintForFragPaintScissorWidthFringeStrokeThr(&frag, &paint, &scissor, 1, 1, -1));
    EXPECT_EQ(frag.type, MVC_SHADER_FILLIMG);
    EXPECT_EQ(frag.texType, c.texType);
    EXPECT_EQ(frag.paintMat[5], c.flippedY);
    EXPECT_EQ(frag.innerCol[0], 0.5f) << "premultiplied";
    EXPECT_EQ((std::vector<float>(frag.scissorMat, frag.scissorMat + 12)), std::vector<float>(12, 0.0f));
    EXPECT_EQ((std::vector<float>{frag.scissorExt[0], frag.scissorExt[1], frag.scissorScale[0], frag.scissorScale[1]}),
              (std::vector<float>{1, 1, 1, 1}));
  }
}

// An image deleted while its pattern is in use: recorded as a gradient with a
// zero paint matrix and drawn, without a texture, in its inner colour.
TEST_F(MetalRecordingTest, PatternOfDeletedImageFillsInItsInnerColour) {
  const std::vector<unsigned char> pixels(4 * 4 * 4, 0);
  const int image = vcCreateImageRGBA(ctx_, 4, 4, 0, pixels.data());
  vcCancelFrame(ctx_);
  MVCframebuffer* framebuffer = Framebuffer(ctx_, 16, 16);
  Frame(ctx_, framebuffer, 16, 16, 1, [&](VCcontext* ctx) {
    vcDeleteImage(ctx, image);
    vcBeginPath(ctx);
    vcRect(ctx, 4, 4, 8, 8);
    vcFillPaint(ctx, vcImagePattern(ctx, 0, 0, 4, 4, 0, image, 1));
    vcFill(ctx);
    const MVCfragUniforms& frag = Uniforms(Call(0).uniformOffset);
    EXPECT_EQ(frag.type, MVC_SHADER_FILLGRAD);
    EXPECT_EQ((std::vector<float>(frag.paintMat, frag.paintMat + 12)), std::vector<float>(12, 0.0f));
  });
  const Image pixelsDrawn = Pixels(ctx_, framebuffer->image);
  EXPECT_EQ(pixelsDrawn.pixel(8, 8)[0], 255);
  EXPECT_EQ(pixelsDrawn.pixel(2, 2)[3], 0);
  vcBeginFrame(ctx_, 64, 64, 1);
}

// Scissors of zero size clip everything: their calls are not recorded.
TEST_F(MetalRecordingTest, ZeroSizeScissorsRecordNothing) {
  VCscissor scissor{};
  scissor.xform[0] = scissor.xform[3] = 1;
  scissor.extent[0] = 0;
  scissor.extent[1] = 5;
  Fill(PathSet({{3, 3}}, true), SolidPaint(), scissor);
  Stroke(PathSet({{0, 4}}, false), 1, scissor);
  EXPECT_EQ(set().ncalls, 0);
  scissor.extent[0] = 0.5f;
  Fill(PathSet({{3, 3}}, true), SolidPaint(), scissor);
  EXPECT_EQ(set().ncalls, 1);
  EXPECT_EQ(Uniforms(Call(0).uniformOffset).scissorScale[0], 1.0f);
}

}  // namespace
