#pragma once

// Records the state changes and draws of one render pass. The pass keeps
// strong references to everything bound and, for each draw, the state current
// when it was recorded; the draws run when the command buffer executes.

#include <Metal/MTLCommandEncoder.h>
#include <Metal/MTLDepthStencil.h>
#include <Metal/MTLRenderPipeline.h>
#include <Metal/MTLResource.h>
#include <Metal/MTLSampler.h>
#include <Metal/MTLTexture.h>
#include <Metal/MTLTypes.h>

#include <cstdint>

typedef NS::UInteger MTLPrimitiveType;
enum : MTLPrimitiveType {
  MTLPrimitiveTypeTriangle = 3,
  MTLPrimitiveTypeTriangleStrip = 4,
};

typedef NS::UInteger MTLIndexType;
enum : MTLIndexType {
  MTLIndexTypeUInt16 = 0,
  MTLIndexTypeUInt32 = 1,
};

typedef NS::UInteger MTLCullMode;
enum : MTLCullMode {
  MTLCullModeNone = 0,
  MTLCullModeFront = 1,
  MTLCullModeBack = 2,
};

typedef NS::UInteger MTLWinding;
enum : MTLWinding {
  MTLWindingClockwise = 0,
  MTLWindingCounterClockwise = 1,
};

struct MTLViewport {
  double originX = 0.0;
  double originY = 0.0;
  double width = 0.0;
  double height = 0.0;
  double znear = 0.0;
  double zfar = 1.0;
};

namespace MTL {

// Binding slots per stage; an index beyond them is a validation error.
inline constexpr NS::UInteger kBufferBindingCount = 8;
inline constexpr NS::UInteger kTextureBindingCount = 8;
inline constexpr NS::UInteger kSamplerBindingCount = 8;

class NS_CLASS_EXPORT RenderCommandEncoder : public CommandEncoder {
public:
  virtual void setRenderPipelineState(RenderPipelineState* state) = 0;
  virtual void setDepthStencilState(DepthStencilState* state) = 0;
  virtual void setCullMode(MTLCullMode mode) = 0;
  virtual void setFrontFacingWinding(MTLWinding winding) = 0;
  virtual void setStencilReferenceValue(std::uint32_t value) = 0;
  virtual void setViewport(MTLViewport viewport) = 0;
  virtual void setVertexBufferOffsetAtIndex(Buffer* buffer, NS::UInteger offset, NS::UInteger index) = 0;
  virtual void setFragmentBufferOffsetAtIndex(Buffer* buffer, NS::UInteger offset, NS::UInteger index) = 0;
  // Moves the offset of the buffer already bound at `index`.
  virtual void setFragmentBufferOffsetAtIndex(NS::UInteger offset, NS::UInteger index) = 0;
  virtual void setFragmentTextureAtIndex(Texture* texture, NS::UInteger index) = 0;
  virtual void setFragmentSamplerStateAtIndex(SamplerState* sampler, NS::UInteger index) = 0;

  virtual void drawPrimitivesVertexStartVertexCount(MTLPrimitiveType primitiveType, NS::UInteger vertexStart,
                                                    NS::UInteger vertexCount) = 0;
  // Indices are read from `indexBufferOffset` bytes into the index buffer.
  virtual void drawIndexedPrimitivesIndexCountIndexTypeIndexBufferIndexBufferOffset(
      MTLPrimitiveType primitiveType, NS::UInteger indexCount, MTLIndexType indexType, Buffer* indexBuffer,
      NS::UInteger indexBufferOffset) = 0;

protected:
  RenderCommandEncoder() = default;
};

}  // namespace MTL
