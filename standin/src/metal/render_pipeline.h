#pragma once

// What a render pipeline state keeps: the settings its descriptor had when
// the device made it, with its functions checked against them.

#include <Foundation/NSRef.h>
#include <Metal/MTLLibrary.h>
#include <Metal/MTLRenderPipeline.h>
#include <Metal/MTLVertexDescriptor.h>
#include <standin/metal/shader_library.h>

namespace standin::metal {

struct ShaderLibraryDefinition {
  std::string name;
  std::vector<ShaderFunctionEntry> functions;
};

struct RenderPipelineSettings {
  NS::Ref<MTL::Function> vertexFunction;
  NS::Ref<MTL::Function> fragmentFunction;  // null: the pipeline only tests and writes the stencil
  MTL::VertexDescriptorSettings vertexDescriptor;
  MTL::RenderPipelineColorAttachmentSettings color;
  MTLPixelFormat stencilPixelFormat = MTLPixelFormatInvalid;

  const ShaderFunctionEntry& vertex() const { return vertexFunction->entry(); }
  const ShaderFunctionEntry* fragment() const { return fragmentFunction ? &fragmentFunction->entry() : nullptr; }
};

}  // namespace standin::metal
