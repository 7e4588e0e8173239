#pragma once

// The one device of the process, and the objects it makes. Every new... call
// hands the caller one reference, or null (and a validation error) for a
// request it refuses. Any thread.

#include <Foundation/NSError.h>
#include <Foundation/NSObject.h>
#include <Metal/MTLCommandBuffer.h>
#include <Metal/MTLDepthStencil.h>
#include <Metal/MTLLibrary.h>
#include <Metal/MTLRenderPipeline.h>
#include <Metal/MTLResource.h>
#include <Metal/MTLSampler.h>
#include <Metal/MTLTexture.h>
#include <Metal/MTLTypes.h>
#include <dispatch/dispatch.h>

namespace CA {
class MetalLayer;
}
namespace MTL {
class Device;
}

// The process's device, with one reference for the caller.
MTL::Device* MTLCreateSystemDefaultDevice();

namespace MTL {

// The longest buffer the device makes.
inline constexpr NS::UInteger kMaxBufferLength = NS::UInteger{1} << 30;

class NS_CLASS_EXPORT Device : public NS::Object {
public:
  CommandQueue* newCommandQueue();
  // Zero-filled.
  Buffer* newBufferWithLengthOptions(NS::UInteger length, MTLResourceOptions options);
  Buffer* newBufferWithBytesLengthOptions(const void* bytes, NS::UInteger length, MTLResourceOptions options);
  // Zero-filled. Null for a side of 0 or above kMaxTextureSide, more mipmap
  // levels than the size has, a mipmapped stencil texture or another pixel format.
  Texture* newTextureWithDescriptor(const TextureDescriptor* descriptor);
  SamplerState* newSamplerStateWithDescriptor(const SamplerDescriptor* descriptor);
  DepthStencilState* newDepthStencilStateWithDescriptor(const DepthStencilDescriptor* descriptor);
  // The library a compiled-library blob names: the four bytes "MTLB" and the
  // name of a registered library. Null, and an error owned by the caller in
  // `error` (when not null), for any other blob or a library the testing API
  // made the device refuse.
  Library* newLibraryWithDataError(dispatch_data_t data, NS::Error** error);
  // Null, and an error saying why, when the functions, vertex fetch, blending
  // or pixel formats cannot work together.
  RenderPipelineState* newRenderPipelineStateWithDescriptorError(const RenderPipelineDescriptor* descriptor,
                                                                 NS::Error** error);

  CFStringRef description() const override;

private:
  friend class CA::MetalLayer;
  friend Device* ::MTLCreateSystemDefaultDevice();
  Device() = default;

  Texture* newTexture(const TextureDescriptor* descriptor, bool framebufferOnly);
};

}  // namespace MTL
