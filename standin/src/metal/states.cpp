#include "metal/validation.h"

#include <Metal/MTLDepthStencil.h>
#include <Metal/MTLRenderPass.h>
#include <Metal/MTLSampler.h>

namespace MTL {

SamplerDescriptor* SamplerDescriptor::alloc() { return new SamplerDescriptor; }

StencilDescriptor* StencilDescriptor::alloc() { return new StencilDescriptor; }

DepthStencilDescriptor* DepthStencilDescriptor::alloc() { return new DepthStencilDescriptor; }

NS::Ref<StencilDescriptor> DepthStencilDescriptor::CopyOf(const StencilDescriptor* descriptor) {
  if (descriptor == nullptr) return nullptr;
  NS::Ref<StencilDescriptor> copy = NS::Ref<StencilDescriptor>::Adopt(StencilDescriptor::alloc());
  copy->settings_ = descriptor->settings_;
  return copy;
}

namespace {

std::optional<StencilSettings> SettingsOf(const StencilDescriptor* descriptor) {
  if (descriptor == nullptr) return std::nullopt;
  return descriptor->settings();
}

}  // namespace

void DepthStencilDescriptor::setFrontFaceStencil(const StencilDescriptor* descriptor) {
  frontFaceStencil_ = CopyOf(descriptor);
}

void DepthStencilDescriptor::setBackFaceStencil(const StencilDescriptor* descriptor) {
  backFaceStencil_ = CopyOf(descriptor);
}

DepthStencilSettings DepthStencilDescriptor::settings() const {
  return DepthStencilSettings{depthCompareFunction_, SettingsOf(frontFaceStencil_.get()),
                              SettingsOf(backFaceStencil_.get())};
}

RenderPassColorAttachmentDescriptorArray::RenderPassColorAttachmentDescriptorArray() {
  for (RenderPassColorAttachmentDescriptor*& attachment : attachments_) {
    attachment = new RenderPassColorAttachmentDescriptor;
  }
}

RenderPassColorAttachmentDescriptorArray::~RenderPassColorAttachmentDescriptorArray() {
  for (RenderPassColorAttachmentDescriptor* attachment : attachments_) attachment->release();
}

RenderPassColorAttachmentDescriptor* RenderPassColorAttachmentDescriptorArray::objectAtIndexedSubscript(
    NS::UInteger index) const {
  if (index >= kColorAttachmentCount) {
    standin::metal::ReportValidationError("colorAttachments: index %lu beyond the %lu colour attachments", index,
                                          kColorAttachmentCount);
    return nullptr;
  }
  return attachments_[index];
}

RenderPassDescriptor::RenderPassDescriptor()
    : colorAttachments_(NS::Ref<RenderPassColorAttachmentDescriptorArray>::Adopt(
          new RenderPassColorAttachmentDescriptorArray)),
      stencilAttachment_(NS::Ref<RenderPassStencilAttachmentDescriptor>::Adopt(
          new RenderPassStencilAttachmentDescriptor)) {}

RenderPassDescriptor* RenderPassDescriptor::renderPassDescriptor() { return new RenderPassDescriptor; }

}  // namespace MTL
