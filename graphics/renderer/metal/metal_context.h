#pragma once

// The Metal back end of the vector core: one object per vector context,
// implementing the core's back-end table on a Metal layer. It keeps up to
// three buffer sets so frames can be in flight while the next is recorded,
// records fills, strokes and triangles into the current set, and at flush
// encodes them into the bound framebuffer's image or the layer's drawable.
// The entry points of metal_backend.h create and use it.
//
// Threads: every method on the main thread (the thread that drives the vector
// context). A frame's completion handler runs on the device's completion
// thread and touches only its buffer set and the semaphore.

#include <Foundation/NSError.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <Metal/Metal.h>
#include <QuartzCore/CAMetalLayer.h>
#include <dispatch/dispatch.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "graphics/renderer/metal/buffer_set.h"
#include "graphics/renderer/metal/draw_call.h"
#include "graphics/renderer/metal/texture_record.h"
#include "graphics/renderer/render_backend.h"

class MVCcontext_vOrvane_au : public NS::Object {
public:
  // `flags` are VCcreateFlags; the layer is retained.
  MVCcontext_vOrvane_au(CA::MetalLayer* metalLayer, int flags);

  // ---- The back-end table (render_backend.h)
  int renderCreate();
  int renderCreateTextureWithTypeWidthHeightImageFlagsData(int type, int width, int height, int imageFlags,
                                                           const unsigned char* data);
  int renderDeleteTexture(int image);
  int renderUpdateTextureWithImageXYWidthHeightData(int image, int x, int y, int width, int height,
                                                    const unsigned char* data);
  int renderGetTextureSizeForImageWidthHeight(int image, int* width, int* height);
  void renderViewportWithWidthHeightDevicePixelRatio(float width, float height, float devicePixelRatio);
  void renderCancel();
  void renderFlush();
  void renderFillWithPaintCompositeOperationScissorFringeBoundsPathsNpaths(
      const VCpaint* paint, VCcompositeOperationState compositeOperation, const VCscissor* scissor, float fringe,
      const float* bounds, const VCpath* paths, int npaths);
  void renderStrokeWithPaintCompositeOperationScissorFringeStrokeWidthPathsNpaths(
      const VCpaint* paint, VCcompositeOperationState compositeOperation, const VCscissor* scissor, float fringe,
      float strokeWidth, const VCpath* paths, int npaths);
  void renderTrianglesWithPaintCompositeOperationScissorVertsNvertsFringe(
      const VCpaint* paint, VCcompositeOperationState compositeOperation, const VCscissor* scissor,
      const VCvertex* verts, int nverts, float fringe);
  // Waits for the frames in flight, then releases everything. Also after a
  // failed renderCreate.
  void renderDelete();

  // ---- Textures
  // The record of a used image id, else null.
  MVCtexture_vOrvane_au* findTexture(int image) const;
  // A free record (reused, or appended), given the next id.
  MVCtexture_vOrvane_au* allocTexture();
  // Waits until every frame in flight that renders into `image` has run.
  void waitForFramesRenderingIntoImage(int image) const;

  // ---- Recording into the current buffer set (each -1 or null on failure)
  MVCcall* allocCall();
  int allocVerts(int n);
  int allocIndexes(int n);
  int allocFragUniforms(int n);  // a byte offset
  MVCfragUniforms* fragUniformAtIndex(int offset) const;
  MVCblend blendCompositeOperation(VCcompositeOperationState op) const;
  // False when the paint's image has no texture; the record is filled up to there.
  bool convertPaintForFragPaintScissorWidthFringeStrokeThr(MVCfragUniforms* frag, const VCpaint* paint,
                                                           const VCscissor* scissor, float width, float fringe,
                                                           float strokeThr) const;

  // ---- Frames and encoding
  void checkErrorWithMessage(NS::Error* error, const char* message) const;  // releases the error
  void updateStencilTextureToSize(NS::UInteger width, NS::UInteger height);
  // An encoder of the set's command buffer, owned by the caller; null on failure.
  MTL::RenderCommandEncoder* renderCommandEncoderWithColorTexture(MTL::Texture* colorTexture);
  void updateRenderPipelineStatesForBlendPixelFormat(const MVCblend& blend, MTLPixelFormat pixelFormat);
  void fill(const MVCcall& call);
  void convexFill(const MVCcall& call);
  void stroke(const MVCcall& call);
  void triangles(const MVCcall& call);
  void setUniformsImage(int uniformOffset, int image);

  // ---- Properties
  int flags() const { return flags_; }
  int fragSize() const { return fragSize_; }
  int indexSize() const { return indexSize_; }
  int textureId() const { return textureId_; }
  int maxBuffers() const { return maxBuffers_; }
  bool clearBufferOnFlush() const { return clearBufferOnFlush_; }
  void setClearBufferOnFlush(bool clear) { clearBufferOnFlush_ = clear; }
  MTLClearColor clearColor() const { return clearColor_; }
  void setClearColor(MTLClearColor color) { clearColor_ = color; }
  MTL::CommandQueue* commandQueue() const { return commandQueue_.get(); }
  CA::MetalLayer* metalLayer() const { return metalLayer_.get(); }
  // The viewport in pixels.
  std::uint32_t viewPortWidth() const { return viewPortWidth_; }
  std::uint32_t viewPortHeight() const { return viewPortHeight_; }
  // The set of the frame being recorded; null between frames.
  MVCbuffers_vOrvane_au* buffers() const { return buffers_.get(); }
  const std::vector<NS::Ref<MVCbuffers_vOrvane_au>>& cbuffers() const { return cbuffers_; }
  const std::vector<NS::Ref<MVCtexture_vOrvane_au>>& textures() const { return textures_; }
  dispatch_semaphore_t semaphore() const { return semaphore_; }
  const MVCblend& blendFunc() const { return blendFunc_; }
  MTLPixelFormat piplelinePixelFormat() const { return piplelinePixelFormat_; }
  MTL::RenderPipelineState* pipelineState() const { return pipelineState_.get(); }
  MTL::RenderPipelineState* stencilOnlyPipelineState() const { return stencilOnlyPipelineState_.get(); }

protected:
  ~MVCcontext_vOrvane_au() override;

private:
  struct FrameTarget;

  MTL::Device* device() const;
  bool createBufferSets();
  bool createStencilStates();
  void createVertexDescriptor();
  // Returns a taken set to free: counts 0, no image, one count back to the semaphore.
  void releaseBufferSet(MVCbuffers_vOrvane_au* set);
  bool resolveFrameTarget(FrameTarget& target);
  void encodeCalls(MTLPixelFormat pixelFormat);
  void waitForFramesInFlight();
  bool uploadRegion(MTL::Texture* texture, MTLRegion region, const unsigned char* bytes,
                    NS::UInteger bytesPerRow);
  bool runBlit(const std::function<void(MTL::BlitCommandEncoder*)>& encode);
  bool growBuffer(NS::Ref<MTL::Buffer>& buffer, int used, int needed, int floor, int& capacity,
                  NS::UInteger recordBytes);
  bool scissorClipsEverything(const VCscissor* scissor) const;
  void drawStrip(int offset, int count);

  bool clearBufferOnFlush_ = false;
  const int fragSize_ = kMVCfragSize;
  const int indexSize_ = sizeof(std::uint32_t);
  const int flags_;
  int textureId_ = 0;
  int maxBuffers_ = 0;
  NS::Ref<MTL::CommandQueue> commandQueue_;
  NS::Ref<CA::MetalLayer> metalLayer_;
  NS::Ref<MTL::RenderCommandEncoder> renderEncoder_;
  std::uint32_t viewPortWidth_ = 0;
  std::uint32_t viewPortHeight_ = 0;
  std::vector<NS::Ref<MVCtexture_vOrvane_au>> textures_;
  NS::Ref<MVCbuffers_vOrvane_au> buffers_;
  std::vector<NS::Ref<MVCbuffers_vOrvane_au>> cbuffers_;
  dispatch_semaphore_t semaphore_ = nullptr;
  MVCblend blendFunc_{MTLBlendFactorOne, MTLBlendFactorOneMinusSourceAlpha, MTLBlendFactorOne,
                      MTLBlendFactorOneMinusSourceAlpha};
  NS::Ref<MTL::DepthStencilState> defaultStencilState_;
  NS::Ref<MTL::DepthStencilState> fillShapeStencilState_;
  NS::Ref<MTL::DepthStencilState> fillAntiAliasStencilState_;
  NS::Ref<MTL::DepthStencilState> fillStencilState_;
  NS::Ref<MTL::DepthStencilState> strokeShapeStencilState_;
  NS::Ref<MTL::DepthStencilState> strokeAntiAliasStencilState_;
  NS::Ref<MTL::DepthStencilState> strokeClearStencilState_;
  NS::Ref<MTL::Function> fragmentFunction_;
  NS::Ref<MTL::Function> vertexFunction_;
  MTLPixelFormat piplelinePixelFormat_ = MTLPixelFormatInvalid;
  NS::Ref<MTL::RenderPipelineState> pipelineState_;
  NS::Ref<MTL::RenderPipelineState> stencilOnlyPipelineState_;
  NS::Ref<MTL::SamplerState> pseudoSampler_;
  NS::Ref<MTL::Texture> pseudoTexture_;  // never created: binds as null
  NS::Ref<MTL::VertexDescriptor> vertexDescriptor_;
  MTLClearColor clearColor_{0.0, 0.0, 0.0, 0.0};
};
