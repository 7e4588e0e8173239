// Encoding the recorded calls of a flush, each with the stencil states of its kind.
#include "graphics/renderer/metal/metal_context.h"

void MVCcontext_vOrvane_au::setUniformsImage(int uniformOffset, int image) {
  renderEncoder_->setFragmentBufferOffsetAtIndex(static_cast<NS::UInteger>(uniformOffset), 0);
  const MVCtexture_vOrvane_au* record = findTexture(image);
  if (record != nullptr && record->tex) {
    renderEncoder_->setFragmentTextureAtIndex(record->tex.get(), 0);
    renderEncoder_->setFragmentSamplerStateAtIndex(record->sampler.get(), 0);
  } else {
    renderEncoder_->setFragmentTextureAtIndex(pseudoTexture_.get(), 0);
    renderEncoder_->setFragmentSamplerStateAtIndex(pseudoSampler_.get(), 0);
  }
}

void MVCcontext_vOrvane_au::drawStrip(int offset, int count) {
  renderEncoder_->drawPrimitivesVertexStartVertexCount(MTLPrimitiveTypeTriangleStrip, static_cast<NS::UInteger>(offset),
                                                       static_cast<NS::UInteger>(count));
}

void MVCcontext_vOrvane_au::convexFill(const MVCcall& call) {
  setUniformsImage(call.uniformOffset, call.image);
  renderEncoder_->setRenderPipelineState(pipelineState_.get());
  if (call.indexCount >= 1) {
    renderEncoder_->drawIndexedPrimitivesIndexCountIndexTypeIndexBufferIndexBufferOffset(
        MTLPrimitiveTypeTriangle, static_cast<NS::UInteger>(call.indexCount), MTLIndexTypeUInt32,
        buffers_->indexBuffer.get(), static_cast<NS::UInteger>(call.indexOffset) * indexSize_);
  }
  if (call.strokeCount >= 1) drawStrip(call.strokeOffset, call.strokeCount);  // the anti-aliased fringe
}

void MVCcontext_vOrvane_au::fill(const MVCcall& call) {
  // The interior into the stencil only: front faces count up, back faces down,
  // leaving the winding number.
  renderEncoder_->setCullMode(MTLCullModeNone);
  renderEncoder_->setDepthStencilState(fillShapeStencilState_.get());
  renderEncoder_->setRenderPipelineState(stencilOnlyPipelineState_.get());
  if (call.indexCount >= 1) {
    renderEncoder_->drawIndexedPrimitivesIndexCountIndexTypeIndexBufferIndexBufferOffset(
        MTLPrimitiveTypeTriangle, static_cast<NS::UInteger>(call.indexCount), MTLIndexTypeUInt32,
        buffers_->indexBuffer.get(), static_cast<NS::UInteger>(call.indexOffset) * indexSize_);
  }
  renderEncoder_->setCullMode(MTLCullModeBack);
  renderEncoder_->setRenderPipelineState(pipelineState_.get());
  setUniformsImage(call.uniformOffset, call.image);
  if ((flags_ & VC_ANTIALIAS) != 0 && call.strokeCount >= 1) {
    renderEncoder_->setDepthStencilState(fillAntiAliasStencilState_.get());  // outside the shape only
    drawStrip(call.strokeOffset, call.strokeCount);
  }
  // The cover quad where the winding number is not 0, resetting it to 0.
  renderEncoder_->setDepthStencilState(fillStencilState_.get());
  drawStrip(call.triangleOffset, call.triangleCount);
  renderEncoder_->setDepthStencilState(defaultStencilState_.get());
}

void MVCcontext_vOrvane_au::stroke(const MVCcall& call) {
  if (call.strokeCount < 1) return;
  if ((flags_ & VC_STENCIL_STROKES) == 0) {
    setUniformsImage(call.uniformOffset, call.image);
    renderEncoder_->setRenderPipelineState(pipelineState_.get());
    drawStrip(call.strokeOffset, call.strokeCount);
    return;
  }
  // Each pixel once: the all but fully covered ones where the stencil is
  // still 0, marking them; then the anti-aliased edges where it still is;
  // then the stencil back to 0.
  setUniformsImage(call.uniformOffset + fragSize_, call.image);
  renderEncoder_->setDepthStencilState(strokeShapeStencilState_.get());
  renderEncoder_->setRenderPipelineState(pipelineState_.get());
  drawStrip(call.strokeOffset, call.strokeCount);
  setUniformsImage(call.uniformOffset, call.image);
  renderEncoder_->setDepthStencilState(strokeAntiAliasStencilState_.get());
  drawStrip(call.strokeOffset, call.strokeCount);
  renderEncoder_->setDepthStencilState(strokeClearStencilState_.get());
  renderEncoder_->setRenderPipelineState(stencilOnlyPipelineState_.get());
  drawStrip(call.strokeOffset, call.strokeCount);
  renderEncoder_->setDepthStencilState(defaultStencilState_.get());
}

void MVCcontext_vOrvane_au::triangles(const MVCcall& call) {
  setUniformsImage(call.uniformOffset, call.image);
  renderEncoder_->setRenderPipelineState(pipelineState_.get());
  renderEncoder_->drawPrimitivesVertexStartVertexCount(MTLPrimitiveTypeTriangle,
                                                       static_cast<NS::UInteger>(call.triangleOffset),
                                                       static_cast<NS::UInteger>(call.triangleCount));
}
