#pragma once

#include <Metal/Metal.h>
#include <gtest/gtest.h>
#include <standin/testing/metal.h>
#include <standin/testing/ns_objects.h>

#include <algorithm>
#include <cstdint>
#include <vector>

// Fails a test that leaves NS or dispatch objects behind or causes validation
// errors it did not count with ValidationErrorsDuring.
class MetalTest : public ::testing::Test {
protected:
  void SetUp() override {
    objectsAtStart_ = standin::testing::LiveNSObjectCount();
    dispatchObjectsAtStart_ = standin::testing::LiveDispatchObjectCount();
    errorsAtStart_ = standin::testing::MetalValidationErrorCount();
  }

  void TearDown() override {
    EXPECT_EQ(standin::testing::LiveNSObjectCount(), objectsAtStart_) << "NS objects leaked";
    EXPECT_EQ(standin::testing::LiveDispatchObjectCount(), dispatchObjectsAtStart_) << "dispatch objects leaked";
    EXPECT_EQ(standin::testing::MetalValidationErrorCount() - errorsAtStart_, expectedErrors_)
        << "unexpected validation errors";
  }

  template <typename Action>
  long ValidationErrorsDuring(Action&& action) {
    const long before = standin::testing::MetalValidationErrorCount();
    action();
    const long errors = standin::testing::MetalValidationErrorCount() - before;
    expectedErrors_ += errors;
    return errors;
  }

  MTL::Device* device() const { return device_.get(); }

  NS::Ref<MTL::Texture> MakeTexture(MTLPixelFormat format, NS::UInteger width, NS::UInteger height,
                                    bool mipmapped = false, MTLTextureUsage usage = MTLTextureUsageShaderRead) {
    auto descriptor = NS::Ref<MTL::TextureDescriptor>::Adopt(
        MTL::TextureDescriptor::texture2DDescriptorWithPixelFormatWidthHeightMipmapped(format, width, height,
                                                                                        mipmapped));
    descriptor->setUsage(usage);
    return NS::Ref<MTL::Texture>::Adopt(device()->newTextureWithDescriptor(descriptor.get()));
  }

  // One render pass with only its attachments' load actions, committed and waited for.
  void RunPass(MTL::CommandQueue* queue, MTL::RenderPassDescriptor* pass) {
    auto buffer = NS::Ref<MTL::CommandBuffer>::Adopt(queue->commandBuffer());
    auto encoder = NS::Ref<MTL::RenderCommandEncoder>::Adopt(buffer->renderCommandEncoderWithDescriptor(pass));
    ASSERT_TRUE(encoder);
    encoder->endEncoding();
    buffer->commit();
    buffer->waitUntilCompleted();
  }

  static std::vector<std::uint8_t> Level(MTL::Texture* texture, NS::UInteger level, NS::UInteger bytesPerTexel) {
    const NS::UInteger width = std::max<NS::UInteger>(1, texture->width() >> level);
    const NS::UInteger height = std::max<NS::UInteger>(1, texture->height() >> level);
    std::vector<std::uint8_t> bytes(width * height * bytesPerTexel);
    texture->getBytesBytesPerRowFromRegionMipmapLevel(bytes.data(), width * bytesPerTexel,
                                                      MTLRegionMake2D(0, 0, width, height), level);
    return bytes;
  }

private:
  NS::Ref<MTL::Device> device_ = NS::Ref<MTL::Device>::Adopt(MTLCreateSystemDefaultDevice());
  long objectsAtStart_ = 0;
  long dispatchObjectsAtStart_ = 0;
  long errorsAtStart_ = 0;
  long expectedErrors_ = 0;
};
