#include "metal/blit_encoder.h"
#include "metal/encoder_recording.h"
#include "metal/pixel_format.h"
#include "metal/render_pass.h"
#include "metal/scheduler.h"
#include "metal/validation.h"

#include <Metal/MTLCommandBuffer.h>

namespace standin::metal {
namespace {

// Why a texture cannot be the pass's attachment of this kind, or null.
const char* AttachmentRefusal(const MTL::Texture* texture, bool stencil) {
  if (stencil ? texture->pixelFormat() != MTLPixelFormatStencil8 : !IsColorFormat(texture->pixelFormat())) {
    return stencil ? "the stencil attachment is not a stencil texture" : "the colour attachment is not a colour texture";
  }
  if ((texture->usage() & MTLTextureUsageRenderTarget) == 0) return "a texture lacks render-target usage";
  return nullptr;
}

std::unique_ptr<RenderPass> PassFor(const MTL::RenderPassDescriptor& descriptor) {
  auto pass = std::make_unique<RenderPass>();
  const MTL::RenderPassColorAttachmentDescriptor* color = descriptor.colorAttachments()->objectAtIndexedSubscript(0);
  pass->color = ColorTarget{NS::Ref<MTL::Texture>::Retain(color->texture()), color->loadAction(), color->clearColor()};
  const MTL::RenderPassStencilAttachmentDescriptor* stencil = descriptor.stencilAttachment();
  pass->stencil = StencilTarget{NS::Ref<MTL::Texture>::Retain(stencil->texture()), stencil->loadAction(),
                                stencil->clearStencil()};
  return pass;
}

// Why the descriptor's attachments cannot make a pass, or null.
const char* PassRefusal(const RenderPass& pass) {
  if (!pass.color.texture && !pass.stencil.texture) return "the pass has no attachment";
  if (pass.color.texture) {
    if (const char* refusal = AttachmentRefusal(pass.color.texture.get(), false)) return refusal;
  }
  if (pass.stencil.texture) return AttachmentRefusal(pass.stencil.texture.get(), true);
  return nullptr;
}

}  // namespace
}  // namespace standin::metal

namespace MTL {

using standin::metal::ReportValidationError;

CommandBuffer* CommandQueue::commandBuffer() { return new CommandBuffer(this); }

CommandBuffer::CommandBuffer(CommandQueue* queue)
    : queue_(NS::Ref<CommandQueue>::Retain(queue)), state_(std::make_unique<standin::metal::CommandBufferState>()) {}

CommandBuffer::~CommandBuffer() = default;

RenderCommandEncoder* CommandBuffer::renderCommandEncoderWithDescriptor(const RenderPassDescriptor* descriptor) {
  constexpr const char* kCall = "renderCommandEncoder";
  if (!standin::metal::CanOpenEncoder(this, kCall)) return nullptr;
  if (descriptor == nullptr) {
    ReportValidationError("%s: no render pass descriptor", kCall);
    return nullptr;
  }
  std::unique_ptr<standin::metal::RenderPass> pass = standin::metal::PassFor(*descriptor);
  if (const char* refusal = standin::metal::PassRefusal(*pass)) {
    ReportValidationError("%s: %s", kCall, refusal);
    return nullptr;
  }
  return standin::metal::MakeRenderEncoder(this, std::move(pass));
}

BlitCommandEncoder* CommandBuffer::blitCommandEncoder() {
  if (!standin::metal::CanOpenEncoder(this, "blitCommandEncoder")) return nullptr;
  return standin::metal::MakeBlitEncoder(this);
}

void CommandBuffer::enqueue() { standin::metal::EnqueueCommandBuffer(this); }

void CommandBuffer::commit() { standin::metal::CommitCommandBuffer(this); }

void CommandBuffer::addCompletedHandler(CommandBufferHandler handler) {
  if (status() >= MTLCommandBufferStatusCommitted) {
    ReportValidationError("addCompletedHandler: the command buffer is committed");
    return;
  }
  state_->handlers.push_back(std::move(handler));
}

void CommandBuffer::presentDrawable(Drawable* drawable) {
  if (drawable == nullptr) {
    ReportValidationError("presentDrawable: no drawable");
    return;
  }
  if (status() >= MTLCommandBufferStatusCommitted) {
    ReportValidationError("presentDrawable: the command buffer is committed");
    return;
  }
  state_->drawables.push_back(NS::Ref<Drawable>::Retain(drawable));
}

MTLCommandBufferStatus CommandBuffer::status() const { return standin::metal::CommandBufferStatus(this); }

void CommandBuffer::waitUntilScheduled() { standin::metal::WaitUntilCommandBufferScheduled(this); }

void CommandBuffer::waitUntilCompleted() { standin::metal::WaitUntilCommandBufferCompleted(this); }

}  // namespace MTL
