// The back end's context: buffer sets and frames, render targets, pipeline
// and stencil states, textures and the entry points, on the software Metal
// in its immediate mode.
#include <cstdint>

#include "graphics/renderer/allocation.h"
#include "graphics/renderer/metal/shaders.h"
#include "metal_backend_fixture.h"
#include "tests/support/alloc_counter.h"
#include "tests/support/renderer/editor_frame.h"

namespace {

using MetalFramesTest = MetalBackendTest;

const Drawing kNothing = [](VCcontext*) {};

TEST_F(MetalFramesTest, BufferSetsFollowTheFlags) {
  for (const auto& [flags, sets] : {std::pair{VC_ANTIALIAS | VC_TRIPLE_BUFFER, 3},
                                    {VC_ANTIALIAS | VC_DOUBLE_BUFFER, 2}, {VC_ANTIALIAS, 1}}) {
    VCcontext* ctx = Create(flags);
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(BackEnd(ctx)->maxBuffers(), sets);
    EXPECT_EQ(BackEnd(ctx)->cbuffers().size(), static_cast<std::size_t>(sets));
    EXPECT_EQ(FreeSets(ctx), sets);
    vcBeginFrame(ctx, 0, 10, 1);  // cancelled at flush: its side is 0
    EXPECT_EQ(standin::testing::DispatchSemaphoreCount(BackEnd(ctx)->semaphore()), sets - 1);
    vcEndFrame(ctx);
    EXPECT_EQ(FreeSets(ctx), sets);
    EXPECT_EQ(BackEnd(ctx)->buffers(), nullptr);
  }
}

TEST_F(MetalFramesTest, CreationEquipsTheLayerAndDeletionTakesItsDevice) {
  ASSERT_EQ(layer()->device(), nullptr);
  layer()->setOpaque(true);
  VCcontext* ctx = Create();
  ASSERT_NE(ctx, nullptr);
  auto systemDevice = NS::Ref<MTL::Device>::Adopt(MTLCreateSystemDefaultDevice());
  EXPECT_EQ(layer()->device(), systemDevice.get());
  EXPECT_EQ(mvcDevice(ctx), systemDevice.get());
  EXPECT_NE(mvcCommandQueue(ctx), nullptr);
  EXPECT_FALSE(layer()->isOpaque());
  Delete(ctx);
  EXPECT_EQ(layer()->device(), nullptr);
}

TEST_F(MetalFramesTest, RefusedLibraryFailsCreationAndDebugPrintsWhy) {
  standin::testing::SetMetalLibraryRefused(kMVCshaderLibraryName, true);
  for (const auto& [flags, printed] : {std::pair{kDefaultFlags, false}, {kDefaultFlags | VC_DEBUG, true}}) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Create(flags), nullptr);
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.rfind("Error occurs after init library: ", 0) == 0 && output.size() > 34, printed) << output;
  }
  standin::testing::SetMetalLibraryRefused(kMVCshaderLibraryName, false);
  EXPECT_NE(Create(), nullptr);
}

// Every way a flush can fail gives the frame's set back with nothing left
// enqueued, and the frames after it render.
TEST_F(MetalFramesTest, FailedFlushesReleaseTheirSets) {
  VCcontext* ctx = Create();
  MVCframebuffer* gone = Framebuffer(ctx, 8, 8);
  vcDeleteImage(ctx, gone->image);
  auto unrenderable = MakeTexture(MTLPixelFormatRGBA8Unorm, 8, 8);  // no render-target usage
  MVCframebuffer readOnly{ctx, mvcCreateImageFromTexture(ctx, unrenderable.get(), VC_IMAGE_NODELETE)};
  MVCframebuffer* good = Framebuffer(ctx, 8, 8);
  const struct {
    const char* name;
    MVCframebuffer* target;  // null: the layer, which has no size
    long validationErrors;
  } cases[] = {{"no drawable", nullptr, 0}, {"image gone", gone, 0}, {"no encoder", &readOnly, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ValidationErrorsDuring([&] { Frame(ctx, c.target, 8, 8, 1, kNothing); }), c.validationErrors);
    EXPECT_EQ(standin::testing::UncommittedCommandBufferCount(), 0);
    EXPECT_EQ(FreeSets(ctx), 3);
    for (int frame = 0; frame < 4; ++frame) {
      Frame(ctx, good, 8, 8, 1, [](VCcontext* c) { FillRect(c, 0, 0, 8, 8, White()); });
    }
    EXPECT_EQ(Pixels(ctx, good->image).pixel(4, 4)[3], 255);
  }
  // A flush or cancel with no frame open changes nothing.
  BackEnd(ctx)->renderFlush();
  BackEnd(ctx)->renderCancel();
  EXPECT_EQ(FreeSets(ctx), 3);
}

TEST_F(MetalFramesTest, ClearColourStartsOnlyTheNextPass) {
  VCcontext* ctx = Create();
  MVCframebuffer* framebuffer = Framebuffer(ctx, 4, 4);
  mvcClearWithColor(ctx, 1, 0, 0, 0.5f);
  Frame(ctx, framebuffer, 4, 4, 1, kNothing, false);
  const Image cleared = Pixels(ctx, framebuffer->image);
  EXPECT_EQ(std::vector<int>(cleared.pixel(1, 1), cleared.pixel(1, 1) + 4), (std::vector<int>{128, 0, 0, 128}));
  Frame(ctx, framebuffer, 4, 4, 1, [](VCcontext* c) { FillRect(c, 0, 0, 1, 1, White()); }, false);
  const Image loaded = Pixels(ctx, framebuffer->image);
  EXPECT_EQ(loaded.pixel(2, 2)[0], 128);
  EXPECT_EQ(loaded.pixel(0, 0)[1], 255);
}

TEST_F(MetalFramesTest, StencilTexturesStayWhileLargeEnough) {
  VCcontext* ctx = Create(VC_ANTIALIAS);  // one set, so every frame uses it
  MVCbuffers_vOrvane_au& set = *BackEnd(ctx)->cbuffers()[0];
  const auto stencilAfterFrameOf = [&](int width, int height) {
    MVCframebuffer* framebuffer = Framebuffer(ctx, width, height);
    Frame(ctx, framebuffer, static_cast<float>(width), static_cast<float>(height), 1, kNothing);
    return set.stencilTexture;  // kept, so a new texture cannot take its address
  };
  const NS::Ref<MTL::Texture> first = stencilAfterFrameOf(32, 32);
  EXPECT_EQ(stencilAfterFrameOf(16, 32), first);
  const NS::Ref<MTL::Texture> wider = stencilAfterFrameOf(40, 8);
  EXPECT_NE(wider, first);
  EXPECT_EQ(wider->width(), 40u);
  EXPECT_EQ(wider->height(), 8u);
}

TEST_F(MetalFramesTest, PipelinesChangeWithFactorsOrPixelFormat) {
  SizeLayer(8, 8, 1);
  VCcontext* ctx = Create();
  MVCframebuffer* framebuffer = Framebuffer(ctx, 8, 8);
  const auto pipelineAfter = [&](MVCframebuffer* target, int op) {
    Frame(ctx, target, 8, 8, 1, [op](VCcontext* c) {
      vcGlobalCompositeOperation(c, op);
      FillRect(c, 0, 0, 4, 4, White());
    });
    return NS::Ref<MTL::RenderPipelineState>::Retain(BackEnd(ctx)->pipelineState());  // kept: addresses stay unique
  };
  const NS::Ref<MTL::RenderPipelineState> first = pipelineAfter(framebuffer, 0);
  EXPECT_EQ(BackEnd(ctx)->piplelinePixelFormat(), MTLPixelFormatRGBA8Unorm);
  EXPECT_EQ(pipelineAfter(framebuffer, 0), first);
  const NS::Ref<MTL::RenderPipelineState> punch = pipelineAfter(framebuffer, 6);
  EXPECT_NE(punch, first);
  EXPECT_EQ(BackEnd(ctx)->blendFunc().dstRGB, MTLBlendFactorOneMinusSourceAlpha);
  EXPECT_EQ(BackEnd(ctx)->blendFunc().srcRGB, MTLBlendFactorZero);
  EXPECT_NE(pipelineAfter(nullptr, 6), punch);
  EXPECT_EQ(BackEnd(ctx)->piplelinePixelFormat(), MTLPixelFormatBGRA8Unorm);
}

TEST_F(MetalFramesTest, ScreenFramesPresentDirectlyOrWithTheTransaction) {
  SizeLayer(8, 6, 2);
  VCcontext* ctx = Create();
  VCcontext* other = Create();
  MVCframebuffer* othersFramebuffer = Framebuffer(other, 16, 12);
  for (const bool transaction : {false, true}) {
    layer()->setPresentsWithTransaction(transaction);
    // A framebuffer of another context counts as none.
    Frame(ctx, othersFramebuffer, 8, 6, 2, [](VCcontext* c) { FillRect(c, 0, 0, 4, 6, White()); });
    Settle(ctx);
    const Image front = standin::testing::LayerFrontImage(layer());
    ASSERT_EQ(front.width, 16);
    EXPECT_EQ(front.pixel(7, 11)[3], 255);
    EXPECT_EQ(front.pixel(8, 0)[3], 0);
  }
  EXPECT_EQ(standin::testing::PresentedFrameCount(layer()), 2);
  EXPECT_EQ(Pixels(other, othersFramebuffer->image).pixel(0, 0)[3], 0);
}

TEST_F(MetalFramesTest, ImageRecordsAreReusedUnderNewIds) {
  VCcontext* ctx = Create();
  const std::vector<unsigned char> pixels(8 * 8 * 4, 7);
  const int first = vcCreateImageRGBA(ctx, 8, 8, 0, pixels.data());
  const std::size_t records = BackEnd(ctx)->textures().size();
  vcDeleteImage(ctx, first);
  const int second = vcCreateImageRGBA(ctx, 8, 8, 0, pixels.data());
  EXPECT_GT(second, first);
  EXPECT_EQ(BackEnd(ctx)->textures().size(), records);
  // A texture the device refuses gives 0 and leaves the record free.
  EXPECT_EQ(ValidationErrorsDuring([&] { EXPECT_EQ(vcCreateImageRGBA(ctx, 20000, 8, 0, nullptr), 0); }), 1);
  EXPECT_EQ(vcCreateImageRGBA(ctx, 8, 8, 0, pixels.data()), second + 2);
  EXPECT_EQ(BackEnd(ctx)->textures().size(), records + 1);
  int width = -1;
  int height = -1;
  EXPECT_EQ(BackEnd(ctx)->renderGetTextureSizeForImageWidthHeight(second + 1, &width, &height), 0);
  EXPECT_EQ(width, -1);
  EXPECT_EQ(BackEnd(ctx)->renderDeleteTexture(second + 1), 0);
}

TEST_F(MetalFramesTest, TexturesTakeSamplersMipmapsAndUpdates) {
  VCcontext* ctx = Create();
  std::vector<unsigned char> pixels(4 * 4 * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 4);
  const struct {
    int flags;
    MTL::SamplerSettings sampler;
  } cases[] = {
      {0, {MTLSamplerMinMagFilterLinear, MTLSamplerMinMagFilterLinear, MTLSamplerMipFilterNotMipmapped,
           MTLSamplerAddressModeClampToEdge, MTLSamplerAddressModeClampToEdge}},
      {VC_IMAGE_NEAREST | VC_IMAGE_REPEATX,
       {MTLSamplerMinMagFilterNearest, MTLSamplerMinMagFilterNearest, MTLSamplerMipFilterNotMipmapped,
        MTLSamplerAddressModeRepeat, MTLSamplerAddressModeClampToEdge}},
      {VC_IMAGE_GENERATE_MIPMAPS | VC_IMAGE_REPEATY,
       {MTLSamplerMinMagFilterLinear, MTLSamplerMinMagFilterLinear, MTLSamplerMipFilterLinear,
        MTLSamplerAddressModeClampToEdge, MTLSamplerAddressModeRepeat}},
  };
  for (const auto& c : cases) {
    const int image = vcCreateImageRGBA(ctx, 4, 4, c.flags, pixels.data());
    const MVCtexture_vOrvane_au* record = BackEnd(ctx)->findTexture(image);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->sampler->settings(), c.sampler) << c.flags;
    const bool mipmapped = (c.flags & VC_IMAGE_GENERATE_MIPMAPS) != 0;
    EXPECT_EQ(record->tex->mipmapLevelCount(), mipmapped ? 3u : 1u);
    if (mipmapped) {
      EXPECT_EQ(standin::testing::TextureContents(record->tex.get(), 2).pixel(0, 0)[0], 120);
    }
  }
  // An update of a rectangle reads its rows at the whole image's stride.
  const int image = vcCreateImageRGBA(ctx, 4, 4, 0, nullptr);
  BackEnd(ctx)->renderUpdateTextureWithImageXYWidthHeightData(image, 1, 2, 2, 1, pixels.data());
  const Image updated = Pixels(ctx, image);
  EXPECT_EQ(updated.pixel(1, 2)[0], pixels[(2 * 4 + 1) * 4]);
  EXPECT_EQ(updated.pixel(2, 2)[3], pixels[(2 * 4 + 2) * 4 + 3]);
  EXPECT_EQ(updated.pixel(3, 2)[0], 0);
  EXPECT_EQ(updated.pixel(1, 1)[0], 0);
}

// Private textures take their pixels through a blit.
TEST_F(MetalFramesTest, PrivateTexturesUploadThroughBlits) {
  VCcontext* ctx = Create();
  const std::vector<unsigned char> coverage = {0, 64, 128, 255};
  standin::testing::SetDefaultTextureStorageMode(MTLStorageModePrivate);
  const int image = BackEnd(ctx)->renderCreateTextureWithTypeWidthHeightImageFlagsData(VC_TEXTURE_ALPHA, 2, 2, 0,
                                                                                       coverage.data());
  const std::vector<unsigned char> row = {9, 9, 200, 100};
  BackEnd(ctx)->renderUpdateTextureWithImageXYWidthHeightData(image, 0, 1, 1, 1, row.data());
  standin::testing::SetDefaultTextureStorageMode(MTLStorageModeManaged);
  const Image texels = standin::testing::TextureContents(BackEnd(ctx)->findTexture(image)->tex.get());
  EXPECT_EQ((std::vector<int>{texels.pixel(0, 0)[0], texels.pixel(1, 0)[0], texels.pixel(0, 1)[0],
                              texels.pixel(1, 1)[0]}),
            (std::vector<int>{0, 64, 200, 255}));
}

TEST_F(MetalFramesTest, FramebuffersAndWrappedTextures) {
  VCcontext* ctx = Create();
  MVCframebuffer* framebuffer = mvcCreateFramebuffer(ctx, 8, 8, 0);
  EXPECT_EQ(BackEnd(ctx)->findTexture(framebuffer->image)->flags, VC_IMAGE_PREMULTIPLIED);
  mvcBindFramebuffer(framebuffer);
  mvcDeleteFramebuffer(framebuffer);
  EXPECT_EQ(mvcBoundFramebuffer(), nullptr) << "the next flush must not read a deleted framebuffer";

  auto texture = MakeTexture(MTLPixelFormatRGBA8Unorm, 4, 4);
  const unsigned long references = texture->retainCount();
  const int image = mvcCreateImageFromTexture(ctx, texture.get(), VC_IMAGE_NODELETE);
  EXPECT_EQ(mvcImageTexture(ctx, image), texture.get());
  EXPECT_EQ(texture->retainCount(), references + 1);
  vcDeleteImage(ctx, image);
  EXPECT_EQ(texture->retainCount(), references);
  EXPECT_EQ(mvcImageTexture(ctx, image), nullptr);
}

// Once warm, recording a frame allocates nothing: only the flush makes its
// command buffer and encoder.
TEST_F(MetalFramesTest, SteadyFramesRecordWithoutAllocating) {
  SizeLayer(orvane::testing::kEditorFrameWidth, orvane::testing::kEditorFrameHeight, 1);
  VCcontext* ctx = Create();
  const orvane::testing::EditorFrameResources resources = orvane::testing::CreateEditorFrameResources(ctx);
  for (int frame = 0; frame < 4; ++frame) orvane::testing::DrawEditorFrame(ctx, resources, 1);
  Settle(ctx);
  const auto seamBefore = vcAllocationCount();
  {
    orvane::testing::ScopedAllocationCount allocations;
    vcBeginFrame(ctx, orvane::testing::kEditorFrameWidth, orvane::testing::kEditorFrameHeight, 1);
    orvane::testing::DrawEditorScene(ctx, resources);
    orvane::testing::DrawFrameToScreen(ctx, resources.frame);
    EXPECT_EQ(allocations.Count(), 0u);
  }
  EXPECT_EQ(vcAllocationCount(), seamBefore);
  vcEndFrame(ctx);
}

}  // namespace
