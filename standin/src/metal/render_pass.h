#pragma once

// A recorded render pass: its attachments and its draws, each with the state
// current when it was recorded. Immutable once its encoder has ended.

#include "metal/scheduler.h"

#include <Foundation/NSRef.h>
#include <Metal/MTLRenderCommandEncoder.h>
#include <Metal/MTLRenderPass.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace standin::metal {

struct BufferBinding {
  NS::Ref<MTL::Buffer> buffer;
  NS::UInteger offset = 0;
};

struct RenderState {
  NS::Ref<MTL::RenderPipelineState> pipeline;
  NS::Ref<MTL::DepthStencilState> depthStencil;  // null: no stencil test
  MTLCullMode cullMode = MTLCullModeNone;
  MTLWinding frontFacingWinding = MTLWindingClockwise;
  std::uint32_t stencilReference = 0;
  MTLViewport viewport;  // the colour target's size unless set
  std::array<BufferBinding, MTL::kBufferBindingCount> vertexBuffers;
  std::array<BufferBinding, MTL::kBufferBindingCount> fragmentBuffers;
  std::array<NS::Ref<MTL::Texture>, MTL::kTextureBindingCount> fragmentTextures;
  std::array<NS::Ref<MTL::SamplerState>, MTL::kSamplerBindingCount> fragmentSamplers;
};

struct Draw {
  std::shared_ptr<const RenderState> state;
  MTLPrimitiveType primitiveType = MTLPrimitiveTypeTriangle;
  NS::UInteger vertexStart = 0;  // non-indexed draws
  NS::UInteger count = 0;        // vertices, or indices when indexed
  bool indexed = false;
  MTLIndexType indexType = MTLIndexTypeUInt32;
  NS::Ref<MTL::Buffer> indexBuffer;
  NS::UInteger indexBufferOffset = 0;
};

struct ColorTarget {
  NS::Ref<MTL::Texture> texture;  // null: the pass has no colour attachment
  MTLLoadAction loadAction = MTLLoadActionDontCare;
  MTLClearColor clearColor;
};

struct StencilTarget {
  NS::Ref<MTL::Texture> texture;  // null: the pass has no stencil attachment
  MTLLoadAction loadAction = MTLLoadActionDontCare;
  std::uint32_t clearStencil = 0;
};

class RenderPass final : public EncodedPass {
public:
  ColorTarget color;
  StencilTarget stencil;
  std::vector<Draw> draws;

  // Load actions, then the draws in order. Store actions change nothing here.
  void Execute() override;
};

// Rasterises one draw of the pass into its targets.
void RunDraw(const RenderPass& pass, const Draw& draw);

// A new open render encoder of the buffer for the pass, owned by the caller.
MTL::RenderCommandEncoder* MakeRenderEncoder(MTL::CommandBuffer* buffer, std::unique_ptr<RenderPass> pass);

}  // namespace standin::metal
