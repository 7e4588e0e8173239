#include "metal/encoder_recording.h"
#include "metal/render_pass.h"
#include "metal/validation.h"

namespace standin::metal {
namespace {

class RenderEncoder final : public MTL::RenderCommandEncoder {
public:
  RenderEncoder(MTL::CommandBuffer* buffer, std::unique_ptr<RenderPass> pass)
      : recording_(buffer, this), pass_(std::move(pass)) {
    const MTL::Texture* target = pass_->color.texture ? pass_->color.texture.get() : pass_->stencil.texture.get();
    state_.viewport = MTLViewport{0.0, 0.0, static_cast<double>(target->width()),
                                  static_cast<double>(target->height()), 0.0, 1.0};
  }

  void setRenderPipelineState(MTL::RenderPipelineState* state) override {
    if (recording_.Usable("setRenderPipelineState")) Change().pipeline = NS::Ref<MTL::RenderPipelineState>::Retain(state);
  }

  void setDepthStencilState(MTL::DepthStencilState* state) override {
    if (recording_.Usable("setDepthStencilState")) Change().depthStencil = NS::Ref<MTL::DepthStencilState>::Retain(state);
  }

  void setCullMode(MTLCullMode mode) override {
    if (!recording_.Usable("setCullMode")) return;
    if (mode > MTLCullModeBack) {
      ReportValidationError("setCullMode: %lu is no cull mode", mode);
      return;
    }
    Change().cullMode = mode;
  }

  void setFrontFacingWinding(MTLWinding winding) override {
    if (!recording_.Usable("setFrontFacingWinding")) return;
    if (winding > MTLWindingCounterClockwise) {
      ReportValidationError("setFrontFacingWinding: %lu is no winding", winding);
      return;
    }
    Change().frontFacingWinding = winding;
  }

  void setStencilReferenceValue(std::uint32_t value) override {
    if (recording_.Usable("setStencilReferenceValue")) Change().stencilReference = value;
  }

  void setViewport(MTLViewport viewport) override {
    if (recording_.Usable("setViewport")) Change().viewport = viewport;
  }

  void setVertexBufferOffsetAtIndex(MTL::Buffer* buffer, NS::UInteger offset, NS::UInteger index) override {
    if (BindingIndexValid("setVertexBuffer", index, MTL::kBufferBindingCount)) {
      Change().vertexBuffers[index] = BufferBinding{NS::Ref<MTL::Buffer>::Retain(buffer), offset};
    }
  }

  void setFragmentBufferOffsetAtIndex(MTL::Buffer* buffer, NS::UInteger offset, NS::UInteger index) override {
    if (BindingIndexValid("setFragmentBuffer", index, MTL::kBufferBindingCount)) {
      Change().fragmentBuffers[index] = BufferBinding{NS::Ref<MTL::Buffer>::Retain(buffer), offset};
    }
  }

  void setFragmentBufferOffsetAtIndex(NS::UInteger offset, NS::UInteger index) override {
    constexpr const char* kCall = "setFragmentBufferOffset";
    if (!BindingIndexValid(kCall, index, MTL::kBufferBindingCount)) return;
    if (!state_.fragmentBuffers[index].buffer) {
      ReportValidationError("%s: no buffer is bound at index %lu", kCall, index);
      return;
    }
    Change().fragmentBuffers[index].offset = offset;
  }

  void setFragmentTextureAtIndex(MTL::Texture* texture, NS::UInteger index) override {
    if (BindingIndexValid("setFragmentTexture", index, MTL::kTextureBindingCount)) {
      Change().fragmentTextures[index] = NS::Ref<MTL::Texture>::Retain(texture);
    }
  }

  void setFragmentSamplerStateAtIndex(MTL::SamplerState* sampler, NS::UInteger index) override {
    if (BindingIndexValid("setFragmentSamplerState", index, MTL::kSamplerBindingCount)) {
      Change().fragmentSamplers[index] = NS::Ref<MTL::SamplerState>::Retain(sampler);
    }
  }

  void drawPrimitivesVertexStartVertexCount(MTLPrimitiveType primitiveType, NS::UInteger vertexStart,
                                            NS::UInteger vertexCount) override {
    constexpr const char* kCall = "drawPrimitives";
    if (!recording_.Usable(kCall) || !PrimitiveTypeValid(kCall, primitiveType)) return;
    Draw& draw = Record(primitiveType, vertexCount);
    draw.vertexStart = vertexStart;
  }

  void drawIndexedPrimitivesIndexCountIndexTypeIndexBufferIndexBufferOffset(
      MTLPrimitiveType primitiveType, NS::UInteger indexCount, MTLIndexType indexType, MTL::Buffer* indexBuffer,
      NS::UInteger indexBufferOffset) override {
    constexpr const char* kCall = "drawIndexedPrimitives";
    if (!recording_.Usable(kCall) || !PrimitiveTypeValid(kCall, primitiveType)) return;
    if (indexType != MTLIndexTypeUInt16 && indexType != MTLIndexTypeUInt32) {
      ReportValidationError("%s: %lu is no index type", kCall, indexType);
      return;
    }
    Draw& draw = Record(primitiveType, indexCount);
    draw.indexed = true;
    draw.indexType = indexType;
    draw.indexBuffer = NS::Ref<MTL::Buffer>::Retain(indexBuffer);
    draw.indexBufferOffset = indexBufferOffset;
  }

  void endEncoding() override { recording_.End(std::move(pass_)); }

private:
  // The state to change; draws recorded so far keep what they saw.
  RenderState& Change() {
    recordedState_.reset();
    return state_;
  }

  Draw& Record(MTLPrimitiveType primitiveType, NS::UInteger count) {
    if (!recordedState_) recordedState_ = std::make_shared<const RenderState>(state_);
    Draw& draw = pass_->draws.emplace_back();
    draw.state = recordedState_;
    draw.primitiveType = primitiveType;
    draw.count = count;
    return draw;
  }

  bool BindingIndexValid(const char* call, NS::UInteger index, NS::UInteger count) const {
    if (!recording_.Usable(call)) return false;
    if (index < count) return true;
    ReportValidationError("%s: index %lu beyond the %lu binding slots", call, index, count);
    return false;
  }

  static bool PrimitiveTypeValid(const char* call, MTLPrimitiveType primitiveType) {
    if (primitiveType == MTLPrimitiveTypeTriangle || primitiveType == MTLPrimitiveTypeTriangleStrip) return true;
    ReportValidationError("%s: primitive type %lu is not drawn here (triangles and triangle strips are)", call,
                          primitiveType);
    return false;
  }

  EncoderRecording recording_;
  std::unique_ptr<RenderPass> pass_;
  RenderState state_;
  std::shared_ptr<const RenderState> recordedState_;  // state_ as the last draw saw it, until it changes
};

}  // namespace

MTL::RenderCommandEncoder* MakeRenderEncoder(MTL::CommandBuffer* buffer, std::unique_ptr<RenderPass> pass) {
  return new RenderEncoder(buffer, std::move(pass));
}

}  // namespace standin::metal
