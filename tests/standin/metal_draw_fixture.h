#pragma once

// Drawing through the software Metal with the test shader library.

#include "metal_fixture.h"
#include "metal_test_shaders.h"

#include <functional>
#include <vector>

struct TestVertex {
  float x, y, u, v;
};

struct PipelineOptions {
  const char* vertex = "pixelVertex";
  const char* fragment = "constantColor";  // null: stencil only
  MTLPixelFormat color = MTLPixelFormatRGBA8Unorm;
  MTLPixelFormat stencil = MTLPixelFormatInvalid;
  bool blending = false;
  MTLBlendFactor source = MTLBlendFactorOne;  // for colour and alpha
  MTLBlendFactor destination = MTLBlendFactorZero;
  MTLColorWriteMask writeMask = MTLColorWriteMaskAll;
};

// Encodes draws of one render pass, keeping the buffers it makes alive.
class PassEncoder {
public:
  PassEncoder(MTL::Device* device, MTL::RenderCommandEncoder* encoder, float width, float height)
      : device_(device), encoder_(encoder) {
    const float size[2] = {width, height};
    encoder_->setVertexBufferOffsetAtIndex(Bytes(size, sizeof size), 0, 1);
    SetUniforms(metal_test::TestUniforms{});
  }

  MTL::RenderCommandEncoder* operator->() const { return encoder_; }

  void SetUniforms(const metal_test::TestUniforms& uniforms) {
    encoder_->setFragmentBufferOffsetAtIndex(Bytes(&uniforms, sizeof uniforms), 0, 0);
  }
  void SetColor(float r, float g, float b, float a) {
    metal_test::TestUniforms uniforms;
    uniforms.color[0] = r, uniforms.color[1] = g, uniforms.color[2] = b, uniforms.color[3] = a;
    SetUniforms(uniforms);
  }

  void Draw(const std::vector<TestVertex>& vertices, MTLPrimitiveType type = MTLPrimitiveTypeTriangle) {
    encoder_->setVertexBufferOffsetAtIndex(Bytes(vertices.data(), vertices.size() * sizeof(TestVertex)), 0, 0);
    encoder_->drawPrimitivesVertexStartVertexCount(type, 0, vertices.size());
  }

  void DrawIndexed(const std::vector<TestVertex>& vertices, const std::vector<std::uint32_t>& indices,
                   MTLPrimitiveType type = MTLPrimitiveTypeTriangle) {
    encoder_->setVertexBufferOffsetAtIndex(Bytes(vertices.data(), vertices.size() * sizeof(TestVertex)), 0, 0);
    encoder_->drawIndexedPrimitivesIndexCountIndexTypeIndexBufferIndexBufferOffset(
        type, indices.size(), MTLIndexTypeUInt32, Bytes(indices.data(), indices.size() * 4), 0);
  }

  MTL::Buffer* Bytes(const void* bytes, std::size_t length) {
    if (length == 0) return nullptr;
    return kept_
        .emplace_back(NS::Ref<MTL::Buffer>::Adopt(
            device_->newBufferWithBytesLengthOptions(bytes, length, MTLResourceStorageModeShared)))
        .get();
  }

private:
  MTL::Device* device_;
  MTL::RenderCommandEncoder* encoder_;
  std::vector<NS::Ref<MTL::Buffer>> kept_;
};

class MetalDrawTest : public MetalTest {
protected:
  void TearDown() override {
    library_.reset();
    MetalTest::TearDown();
  }

  NS::Ref<MTL::Function> Function(const char* name) {
    if (!library_) {
      const char* name = metal_test::TestLibraryName();
      std::string blob = std::string("MTLB") + name;
      dispatch_data_t data = dispatch_data_create(blob.data(), blob.size(), nullptr, DISPATCH_DATA_DESTRUCTOR_DEFAULT);
      library_ = NS::Ref<MTL::Library>::Adopt(device()->newLibraryWithDataError(data, nullptr));
      dispatch_release(data);
    }
    CFStringRef text = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
    auto function = NS::Ref<MTL::Function>::Adopt(library_->newFunctionWithName(text));
    CFRelease(text);
    return function;
  }

  NS::Ref<MTL::RenderPipelineState> Pipeline(const PipelineOptions& options = {}) {
    auto vertexDescriptor = NS::Ref<MTL::VertexDescriptor>::Adopt(MTL::VertexDescriptor::vertexDescriptor());
    for (NS::UInteger i = 0; i < 2; ++i) {
      vertexDescriptor->attributes()->objectAtIndexedSubscript(i)->setFormat(MTLVertexFormatFloat2);
      vertexDescriptor->attributes()->objectAtIndexedSubscript(i)->setOffset(8 * i);
    }
    vertexDescriptor->layouts()->objectAtIndexedSubscript(0)->setStride(sizeof(TestVertex));
    auto descriptor = NS::Ref<MTL::RenderPipelineDescriptor>::Adopt(MTL::RenderPipelineDescriptor::alloc()->init());
    descriptor->setVertexFunction(Function(options.vertex).get());
    if (options.fragment != nullptr) descriptor->setFragmentFunction(Function(options.fragment).get());
    descriptor->setVertexDescriptor(vertexDescriptor.get());
    MTL::RenderPipelineColorAttachmentDescriptor* color = descriptor->colorAttachments()->objectAtIndexedSubscript(0);
    color->setPixelFormat(options.color);
    color->setBlendingEnabled(options.blending);
    color->setSourceRGBBlendFactor(options.source);
    color->setSourceAlphaBlendFactor(options.source);
    color->setDestinationRGBBlendFactor(options.destination);
    color->setDestinationAlphaBlendFactor(options.destination);
    color->setWriteMask(options.writeMask);
    descriptor->setStencilAttachmentPixelFormat(options.stencil);
    NS::Error* error = nullptr;
    auto state = NS::Ref<MTL::RenderPipelineState>::Adopt(
        device()->newRenderPipelineStateWithDescriptorError(descriptor.get(), &error));
    EXPECT_EQ(error, nullptr);
    if (error != nullptr) error->release();
    return state;
  }

  NS::Ref<MTL::Texture> Target(MTLPixelFormat format, NS::UInteger width, NS::UInteger height) {
    return MakeTexture(format, width, height, false, MTLTextureUsageRenderTarget | MTLTextureUsageShaderRead);
  }

  NS::Ref<MTL::DepthStencilState> StencilState(const MTL::StencilSettings* front, const MTL::StencilSettings* back) {
    auto descriptor = NS::Ref<MTL::DepthStencilDescriptor>::Adopt(MTL::DepthStencilDescriptor::alloc()->init());
    const auto face = [](const MTL::StencilSettings& settings) {
      auto stencil = NS::Ref<MTL::StencilDescriptor>::Adopt(MTL::StencilDescriptor::alloc()->init());
      stencil->setStencilCompareFunction(settings.stencilCompareFunction);
      stencil->setStencilFailureOperation(settings.stencilFailureOperation);
      stencil->setDepthFailureOperation(settings.depthFailureOperation);
      stencil->setDepthStencilPassOperation(settings.depthStencilPassOperation);
      stencil->setReadMask(settings.readMask);
      stencil->setWriteMask(settings.writeMask);
      return stencil;
    };
    if (front != nullptr) descriptor->setFrontFaceStencil(face(*front).get());
    if (back != nullptr) descriptor->setBackFaceStencil(face(*back).get());
    return NS::Ref<MTL::DepthStencilState>::Adopt(device()->newDepthStencilStateWithDescriptor(descriptor.get()));
  }

  // One pass that loads the attachments, encodes with `encode`, and runs.
  void Render(MTL::Texture* color, MTL::Texture* stencil, const std::function<void(PassEncoder&)>& encode) {
    auto pass = NS::Ref<MTL::RenderPassDescriptor>::Adopt(MTL::RenderPassDescriptor::renderPassDescriptor());
    pass->colorAttachments()->objectAtIndexedSubscript(0)->setTexture(color);
    pass->colorAttachments()->objectAtIndexedSubscript(0)->setLoadAction(MTLLoadActionLoad);
    pass->stencilAttachment()->setTexture(stencil);
    pass->stencilAttachment()->setLoadAction(MTLLoadActionLoad);
    auto buffer = NS::Ref<MTL::CommandBuffer>::Adopt(queue_->commandBuffer());
    auto encoder = NS::Ref<MTL::RenderCommandEncoder>::Adopt(buffer->renderCommandEncoderWithDescriptor(pass.get()));
    ASSERT_TRUE(encoder);
    const MTL::Texture* sized = color != nullptr ? color : stencil;
    PassEncoder passEncoder(device(), encoder.get(), static_cast<float>(sized->width()),
                            static_cast<float>(sized->height()));
    encode(passEncoder);
    encoder->endEncoding();
    buffer->commit();
    buffer->waitUntilCompleted();
  }

  // Fills every texel of level 0 with the bytes given (as stored).
  static void FillTexture(MTL::Texture* texture, std::initializer_list<std::uint8_t> texel) {
    const NS::UInteger size = texel.size();
    std::vector<std::uint8_t> bytes(texture->width() * texture->height() * size);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = texel.begin()[i % size];
    texture->replaceRegionMipmapLevelWithBytesBytesPerRow(MTLRegionMake2D(0, 0, texture->width(), texture->height()), 0,
                                                          bytes.data(), texture->width() * size);
  }

  // Two triangles covering the rectangle, counter-clockwise on screen, u and v from 0 to 1 across it.
  static std::vector<TestVertex> Quad(float x0, float y0, float x1, float y1, float u0 = 0.0f, float v0 = 0.0f,
                                      float u1 = 1.0f, float v1 = 1.0f) {
    return {{x0, y0, u0, v0}, {x0, y1, u0, v1}, {x1, y1, u1, v1}, {x0, y0, u0, v0}, {x1, y1, u1, v1}, {x1, y0, u1, v0}};
  }

  NS::Ref<MTL::CommandQueue> queue_ = NS::Ref<MTL::CommandQueue>::Adopt(device()->newCommandQueue());
  NS::Ref<MTL::Library> library_;
};
