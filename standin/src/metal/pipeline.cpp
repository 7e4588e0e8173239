#include "metal/errors.h"
#include "metal/pixel_format.h"
#include "metal/render_pipeline.h"
#include "metal/validation.h"

#include <Metal/MTLDevice.h>

#include <optional>
#include <string>

namespace MTL {

using standin::metal::ReportValidationError;

namespace {

template <typename Descriptor, std::size_t N>
Descriptor* Element(const std::array<NS::Ref<Descriptor>, N>& elements, NS::UInteger index, const char* what) {
  if (index < N) return elements[index].get();
  ReportValidationError("%s: index %lu beyond the %zu elements", what, index, N);
  return nullptr;
}

}  // namespace

VertexDescriptor::VertexDescriptor()
    : attributes_(NS::Ref<VertexAttributeDescriptorArray>::Adopt(new VertexAttributeDescriptorArray)),
      layouts_(NS::Ref<VertexBufferLayoutDescriptorArray>::Adopt(new VertexBufferLayoutDescriptorArray)) {
  for (auto& attribute : attributes_->attributes_) {
    attribute = NS::Ref<VertexAttributeDescriptor>::Adopt(new VertexAttributeDescriptor);
  }
  for (auto& layout : layouts_->layouts_)
    layout = NS::Ref<VertexBufferLayoutDescriptor>::Adopt(new VertexBufferLayoutDescriptor);
}

VertexDescriptor* VertexDescriptor::vertexDescriptor() { return new VertexDescriptor; }

VertexAttributeDescriptor* VertexAttributeDescriptorArray::objectAtIndexedSubscript(NS::UInteger index) const {
  return Element(attributes_, index, "vertex attributes");
}

VertexBufferLayoutDescriptor* VertexBufferLayoutDescriptorArray::objectAtIndexedSubscript(NS::UInteger index) const {
  return Element(layouts_, index, "vertex buffer layouts");
}

VertexDescriptorSettings VertexDescriptor::settings() const {
  VertexDescriptorSettings settings;
  for (std::size_t i = 0; i < kVertexAttributeCount; ++i)
    settings.attributes[i] = attributes_->attributes_[i]->settings_;
  for (std::size_t i = 0; i < kVertexBufferLayoutCount; ++i) settings.layouts[i] = layouts_->layouts_[i]->settings_;
  return settings;
}

RenderPipelineColorAttachmentDescriptorArray::RenderPipelineColorAttachmentDescriptorArray() {
  for (auto& attachment : attachments_) {
    attachment = NS::Ref<RenderPipelineColorAttachmentDescriptor>::Adopt(new RenderPipelineColorAttachmentDescriptor);
  }
}

RenderPipelineColorAttachmentDescriptor* RenderPipelineColorAttachmentDescriptorArray::objectAtIndexedSubscript(
    NS::UInteger index) const {
  return Element(attachments_, index, "colorAttachments");
}

RenderPipelineDescriptor::RenderPipelineDescriptor()
    : colorAttachments_(NS::Ref<RenderPipelineColorAttachmentDescriptorArray>::Adopt(
          new RenderPipelineColorAttachmentDescriptorArray)) {}

RenderPipelineDescriptor* RenderPipelineDescriptor::alloc() { return new RenderPipelineDescriptor; }

RenderPipelineState::RenderPipelineState(std::unique_ptr<const standin::metal::RenderPipelineSettings> settings)
    : settings_(std::move(settings)) {}

RenderPipelineState::~RenderPipelineState() = default;

namespace {

constexpr const char* kPipelineErrorDomain = "MTLRenderPipelineErrorDomain";
constexpr NS::Integer kPipelineInvalid = 1;
constexpr NS::UInteger kFloat2Bytes = 8;
constexpr NS::UInteger kVertexAlignment = 4;

bool ValidBlendFactor(MTLBlendFactor factor) { return factor <= MTLBlendFactorSourceAlphaSaturated; }

std::optional<std::string> FunctionsRefusal(const standin::metal::RenderPipelineSettings& pipeline) {
  if (!pipeline.vertexFunction) return "the pipeline has no vertex function";
  if (pipeline.vertex().type != MTLFunctionTypeVertex) return "the vertex function is not a vertex function";
  const standin::metal::ShaderFunctionEntry* fragment = pipeline.fragment();
  if (fragment == nullptr) return std::nullopt;
  if (fragment->type != MTLFunctionTypeFragment) return "the fragment function is not a fragment function";
  if (fragment->varyingCount > pipeline.vertex().varyingCount) {
    return "the fragment function reads " + std::to_string(fragment->varyingCount) +
           " varyings but the vertex function writes " + std::to_string(pipeline.vertex().varyingCount);
  }
  return std::nullopt;
}

std::optional<std::string> VertexFetchRefusal(const standin::metal::RenderPipelineSettings& pipeline,
                                              bool hasVertexDescriptor) {
  const int attributeCount = pipeline.vertex().attributeCount;
  if (attributeCount > 0 && !hasVertexDescriptor)
    return "the vertex function reads attributes but there is no vertex descriptor";
  for (int i = 0; i < attributeCount; ++i) {
    const VertexAttributeSettings& attribute = pipeline.vertexDescriptor.attributes[i];
    const std::string name = "vertex attribute " + std::to_string(i);
    if (attribute.format != MTLVertexFormatFloat2) return name + " is not described as float2";
    if (attribute.bufferIndex >= kVertexBufferLayoutCount) return name + " names no buffer slot";
    const VertexBufferLayoutSettings& layout = pipeline.vertexDescriptor.layouts[attribute.bufferIndex];
    if (layout.stepFunction != MTLVertexStepFunctionPerVertex) return name + " does not step per vertex";
    if (layout.stride == 0 || layout.stride % kVertexAlignment != 0 || attribute.offset % kVertexAlignment != 0) {
      return name + " is not aligned to 4 bytes or its layout has no stride";
    }
    if (attribute.offset > layout.stride || layout.stride - attribute.offset < kFloat2Bytes) {
      return name + " does not fit in its layout's stride";
    }
  }
  return std::nullopt;
}

std::optional<std::string> AttachmentsRefusal(const standin::metal::RenderPipelineSettings& pipeline) {
  const RenderPipelineColorAttachmentSettings& color = pipeline.color;
  if (color.pixelFormat != MTLPixelFormatInvalid && !standin::metal::IsColorFormat(color.pixelFormat)) {
    return std::string("colour attachment 0 cannot be ") + standin::metal::PixelFormatName(color.pixelFormat);
  }
  if (pipeline.stencilPixelFormat != MTLPixelFormatInvalid && pipeline.stencilPixelFormat != MTLPixelFormatStencil8) {
    return std::string("the stencil attachment cannot be ") +
           standin::metal::PixelFormatName(pipeline.stencilPixelFormat);
  }
  if (color.rgbBlendOperation != MTLBlendOperationAdd || color.alphaBlendOperation != MTLBlendOperationAdd) {
    return "only the blend operation add is supported";
  }
  if (!ValidBlendFactor(color.sourceRGBBlendFactor) || !ValidBlendFactor(color.destinationRGBBlendFactor) ||
      !ValidBlendFactor(color.sourceAlphaBlendFactor) || !ValidBlendFactor(color.destinationAlphaBlendFactor)) {
    return "a blend factor is not supported";
  }
  if (color.writeMask > MTLColorWriteMaskAll) return "the write mask has unknown bits";
  return std::nullopt;
}

}  // namespace

RenderPipelineState* Device::newRenderPipelineStateWithDescriptorError(const RenderPipelineDescriptor* descriptor,
                                                                       NS::Error** error) {
  if (descriptor == nullptr) {
    standin::metal::SetError(error, kPipelineErrorDomain, kPipelineInvalid, "There is no pipeline descriptor.");
    return nullptr;
  }
  auto pipeline = std::make_unique<standin::metal::RenderPipelineSettings>();
  pipeline->vertexFunction = NS::Ref<Function>::Retain(descriptor->vertexFunction());
  pipeline->fragmentFunction = NS::Ref<Function>::Retain(descriptor->fragmentFunction());
  if (descriptor->vertexDescriptor() != nullptr)
    pipeline->vertexDescriptor = descriptor->vertexDescriptor()->settings();
  pipeline->color = descriptor->colorAttachments()->objectAtIndexedSubscript(0)->settings();
  pipeline->stencilPixelFormat = descriptor->stencilAttachmentPixelFormat();

  std::optional<std::string> refusal = FunctionsRefusal(*pipeline);
  if (!refusal) refusal = VertexFetchRefusal(*pipeline, descriptor->vertexDescriptor() != nullptr);
  if (!refusal) refusal = AttachmentsRefusal(*pipeline);
  if (refusal) {
    standin::metal::SetError(error, kPipelineErrorDomain, kPipelineInvalid,
                             "Render pipeline state not made: " + *refusal + ".");
    return nullptr;
  }
  return new RenderPipelineState(std::move(pipeline));
}

}  // namespace MTL
