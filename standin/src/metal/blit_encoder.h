#pragma once

#include <Metal/MTLBlitCommandEncoder.h>
#include <Metal/MTLCommandBuffer.h>

namespace standin::metal {

// A new open blit encoder of the buffer, owned by the caller.
MTL::BlitCommandEncoder* MakeBlitEncoder(MTL::CommandBuffer* buffer);

}  // namespace standin::metal
