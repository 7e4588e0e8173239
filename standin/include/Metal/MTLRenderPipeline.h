#pragma once

// Render pipeline descriptors (shader functions, vertex fetch, blending and
// colour writes, attachment pixel formats) and the pipeline states the device
// makes from them, which render command encoders bind.

#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <Metal/MTLLibrary.h>
#include <Metal/MTLRenderPass.h>
#include <Metal/MTLTypes.h>
#include <Metal/MTLVertexDescriptor.h>

#include <array>
#include <memory>

namespace standin::metal {
struct RenderPipelineSettings;
}

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

// What a colour attachment's descriptor carries (the stand-in's own
// grouping): no pixel format, blending off, factors one and zero, writes all.
struct RenderPipelineColorAttachmentSettings {
  MTLPixelFormat pixelFormat = MTLPixelFormatInvalid;
  bool blendingEnabled = false;
  MTLBlendFactor sourceRGBBlendFactor = MTLBlendFactorOne;
  MTLBlendFactor destinationRGBBlendFactor = MTLBlendFactorZero;
  MTLBlendOperation rgbBlendOperation = MTLBlendOperationAdd;
  MTLBlendFactor sourceAlphaBlendFactor = MTLBlendFactorOne;
  MTLBlendFactor destinationAlphaBlendFactor = MTLBlendFactorZero;
  MTLBlendOperation alphaBlendOperation = MTLBlendOperationAdd;
  MTLColorWriteMask writeMask = MTLColorWriteMaskAll;

  bool operator==(const RenderPipelineColorAttachmentSettings&) const = default;
};

class NS_CLASS_EXPORT RenderPipelineColorAttachmentDescriptor : public NS::Object {
public:
  MTLPixelFormat pixelFormat() const { return settings_.pixelFormat; }
  void setPixelFormat(MTLPixelFormat format) { settings_.pixelFormat = format; }
  bool isBlendingEnabled() const { return settings_.blendingEnabled; }
  void setBlendingEnabled(bool enabled) { settings_.blendingEnabled = enabled; }
  MTLBlendFactor sourceRGBBlendFactor() const { return settings_.sourceRGBBlendFactor; }
  void setSourceRGBBlendFactor(MTLBlendFactor factor) { settings_.sourceRGBBlendFactor = factor; }
  MTLBlendFactor destinationRGBBlendFactor() const { return settings_.destinationRGBBlendFactor; }
  void setDestinationRGBBlendFactor(MTLBlendFactor factor) { settings_.destinationRGBBlendFactor = factor; }
  MTLBlendOperation rgbBlendOperation() const { return settings_.rgbBlendOperation; }
  void setRgbBlendOperation(MTLBlendOperation operation) { settings_.rgbBlendOperation = operation; }
  MTLBlendFactor sourceAlphaBlendFactor() const { return settings_.sourceAlphaBlendFactor; }
  void setSourceAlphaBlendFactor(MTLBlendFactor factor) { settings_.sourceAlphaBlendFactor = factor; }
  MTLBlendFactor destinationAlphaBlendFactor() const { return settings_.destinationAlphaBlendFactor; }
  void setDestinationAlphaBlendFactor(MTLBlendFactor factor) { settings_.destinationAlphaBlendFactor = factor; }
  MTLBlendOperation alphaBlendOperation() const { return settings_.alphaBlendOperation; }
  void setAlphaBlendOperation(MTLBlendOperation operation) { settings_.alphaBlendOperation = operation; }
  MTLColorWriteMask writeMask() const { return settings_.writeMask; }
  void setWriteMask(MTLColorWriteMask mask) { settings_.writeMask = mask; }

  const RenderPipelineColorAttachmentSettings& settings() const { return settings_; }

private:
  friend class RenderPipelineColorAttachmentDescriptorArray;
  RenderPipelineColorAttachmentDescriptor() = default;

  RenderPipelineColorAttachmentSettings settings_;
};

class NS_CLASS_EXPORT RenderPipelineColorAttachmentDescriptorArray : public NS::Object {
public:
  // Not owned by the caller; null (and a validation error) beyond kColorAttachmentCount.
  RenderPipelineColorAttachmentDescriptor* objectAtIndexedSubscript(NS::UInteger index) const;

private:
  friend class RenderPipelineDescriptor;
  RenderPipelineColorAttachmentDescriptorArray();

  std::array<NS::Ref<RenderPipelineColorAttachmentDescriptor>, kColorAttachmentCount> attachments_;
};

class NS_CLASS_EXPORT RenderPipelineDescriptor : public NS::Object {
public:
  static RenderPipelineDescriptor* alloc();
  RenderPipelineDescriptor* init() override { return this; }

  // Retained; null for none (a pipeline without a fragment function only
  // tests and writes the stencil).
  Function* vertexFunction() const { return vertexFunction_.get(); }
  void setVertexFunction(Function* function) { vertexFunction_ = NS::Ref<Function>::Retain(function); }
  Function* fragmentFunction() const { return fragmentFunction_.get(); }
  void setFragmentFunction(Function* function) { fragmentFunction_ = NS::Ref<Function>::Retain(function); }
  // Retained; the pipeline state copies its settings when it is made.
  VertexDescriptor* vertexDescriptor() const { return vertexDescriptor_.get(); }
  void setVertexDescriptor(VertexDescriptor* descriptor) {
    vertexDescriptor_ = NS::Ref<VertexDescriptor>::Retain(descriptor);
  }
  // Not owned by the caller.
  RenderPipelineColorAttachmentDescriptorArray* colorAttachments() const { return colorAttachments_.get(); }
  MTLPixelFormat stencilAttachmentPixelFormat() const { return stencilAttachmentPixelFormat_; }
  void setStencilAttachmentPixelFormat(MTLPixelFormat format) { stencilAttachmentPixelFormat_ = format; }

private:
  RenderPipelineDescriptor();

  NS::Ref<Function> vertexFunction_;
  NS::Ref<Function> fragmentFunction_;
  NS::Ref<VertexDescriptor> vertexDescriptor_;
  const NS::Ref<RenderPipelineColorAttachmentDescriptorArray> colorAttachments_;
  MTLPixelFormat stencilAttachmentPixelFormat_ = MTLPixelFormatInvalid;
};

// Made by Device::newRenderPipelineStateWithDescriptorError; immutable, any thread.
class NS_CLASS_EXPORT RenderPipelineState : public NS::Object {
public:
  // The stand-in's own: what the rasteriser draws with.
  const standin::metal::RenderPipelineSettings& settings() const { return *settings_; }

protected:
  ~RenderPipelineState() override;

private:
  friend class Device;
  explicit RenderPipelineState(std::unique_ptr<const standin::metal::RenderPipelineSettings> settings);

  const std::unique_ptr<const standin::metal::RenderPipelineSettings> settings_;
};

}  // namespace MTL
