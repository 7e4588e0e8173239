#pragma once

// A software Metal: the objects and calls the renderer's Metal back end uses,
// executed on the CPU. Objects follow one ownership rule: whatever makes an
// object (new..., alloc/init, class factories, commandBuffer, the encoders,
// nextDrawable) hands the caller one reference; getters hand none. Nothing is
// autoreleased. NS::Ref holds a reference for C++ callers. Validation errors
// (bad arguments, misuse) are printed to standard error and counted; the
// call then does nothing or answers null.

#include <Foundation/NSError.h>
#include <Foundation/NSRef.h>
#include <Metal/MTLBlitCommandEncoder.h>
#include <Metal/MTLCommandBuffer.h>
#include <Metal/MTLCommandEncoder.h>
#include <Metal/MTLDepthStencil.h>
#include <Metal/MTLDevice.h>
#include <Metal/MTLDrawable.h>
#include <Metal/MTLLibrary.h>
#include <Metal/MTLRenderCommandEncoder.h>
#include <Metal/MTLRenderPass.h>
#include <Metal/MTLRenderPipeline.h>
#include <Metal/MTLResource.h>
#include <Metal/MTLSampler.h>
#include <Metal/MTLTexture.h>
#include <Metal/MTLTypes.h>
#include <Metal/MTLVertexDescriptor.h>
