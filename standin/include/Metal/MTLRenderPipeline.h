#pragma once

// Blending and colour writes of a render pipeline, and the pipeline state
// that render command encoders bind. The device makes pipeline states from
// pipeline descriptors together with the shader libraries.

#include <Foundation/NSObject.h>
#include <Metal/MTLTypes.h>

typedef NS::UInteger MTLBlendFactor;
enum : MTLBlendFactor {
  MTLBlendFactorZero = 0,
  MTLBlendFactorOne = 1,
  MTLBlendFactorSourceColor = 2,
  MTLBlendFactorOneMinusSourceColor = 3,
  MTLBlendFactorSourceAlpha = 4,
  MTLBlendFactorOneMinusSourceAlpha = 5,
  MTLBlendFactorDestinationColor = 6,
  MTLBlendFactorOneMinusDestinationColor = 7,
  MTLBlendFactorDestinationAlpha = 8,
  MTLBlendFactorOneMinusDestinationAlpha = 9,
  MTLBlendFactorSourceAlphaSaturated = 10,
};

typedef NS::UInteger MTLBlendOperation;
enum : MTLBlendOperation {
  MTLBlendOperationAdd = 0,
};

typedef NS::UInteger MTLColorWriteMask;
enum : MTLColorWriteMask {
  MTLColorWriteMaskNone = 0,
  MTLColorWriteMaskRed = 1,
  MTLColorWriteMaskGreen = 2,
  MTLColorWriteMaskBlue = 4,
  MTLColorWriteMaskAlpha = 8,
  MTLColorWriteMaskAll = 15,
};

namespace MTL {

// Immutable, any thread.
class NS_CLASS_EXPORT RenderPipelineState : public NS::Object {
protected:
  RenderPipelineState() = default;
};

}  // namespace MTL
