#pragma once

// How a render pipeline fetches vertex attributes from the bound vertex buffers.

#include <Metal/MTLTypes.h>

typedef NS::UInteger MTLVertexFormat;
enum : MTLVertexFormat {
  MTLVertexFormatInvalid = 0,
  MTLVertexFormatFloat2 = 1,
};

typedef NS::UInteger MTLVertexStepFunction;
enum : MTLVertexStepFunction {
  MTLVertexStepFunctionConstant = 0,
  MTLVertexStepFunctionPerVertex = 1,
  MTLVertexStepFunctionPerInstance = 2,
};
