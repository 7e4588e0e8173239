#pragma once

// The stencil test (there is no depth buffer here): descriptors and the
// immutable states made from them.

#include <Foundation/NSObject.h>
#include <Foundation/NSRef.h>
#include <Metal/MTLTypes.h>

#include <cstdint>
#include <optional>

typedef NS::UInteger MTLStencilOperation;
enum : MTLStencilOperation {
  MTLStencilOperationKeep = 0,
  MTLStencilOperationZero = 1,
  MTLStencilOperationReplace = 2,
  MTLStencilOperationIncrementClamp = 3,
  MTLStencilOperationDecrementClamp = 4,
  MTLStencilOperationInvert = 5,
  MTLStencilOperationIncrementWrap = 6,
  MTLStencilOperationDecrementWrap = 7,
};

namespace MTL {

// One face's stencil test (the stand-in's own grouping): always passes and
// keeps the value by default, masks 0xFF.
struct StencilSettings {
  MTLCompareFunction stencilCompareFunction = MTLCompareFunctionAlways;
  MTLStencilOperation stencilFailureOperation = MTLStencilOperationKeep;
  MTLStencilOperation depthFailureOperation = MTLStencilOperationKeep;
  MTLStencilOperation depthStencilPassOperation = MTLStencilOperationKeep;
  std::uint32_t readMask = 0xFF;
  std::uint32_t writeMask = 0xFF;

  bool operator==(const StencilSettings&) const = default;
};

// A face without stencil settings is not tested; the default tests nothing.
struct DepthStencilSettings {
  MTLCompareFunction depthCompareFunction = MTLCompareFunctionAlways;
  std::optional<StencilSettings> frontFaceStencil;
  std::optional<StencilSettings> backFaceStencil;

  bool operator==(const DepthStencilSettings&) const = default;
};

class NS_CLASS_EXPORT StencilDescriptor : public NS::Object {
public:
  static StencilDescriptor* alloc();
  StencilDescriptor* init() override { return this; }

  MTLCompareFunction stencilCompareFunction() const { return settings_.stencilCompareFunction; }
  void setStencilCompareFunction(MTLCompareFunction function) { settings_.stencilCompareFunction = function; }
  MTLStencilOperation stencilFailureOperation() const { return settings_.stencilFailureOperation; }
  void setStencilFailureOperation(MTLStencilOperation operation) { settings_.stencilFailureOperation = operation; }
  MTLStencilOperation depthFailureOperation() const { return settings_.depthFailureOperation; }
  void setDepthFailureOperation(MTLStencilOperation operation) { settings_.depthFailureOperation = operation; }
  MTLStencilOperation depthStencilPassOperation() const { return settings_.depthStencilPassOperation; }
  void setDepthStencilPassOperation(MTLStencilOperation operation) {
    settings_.depthStencilPassOperation = operation;
  }
  std::uint32_t readMask() const { return settings_.readMask; }
  void setReadMask(std::uint32_t mask) { settings_.readMask = mask; }
  std::uint32_t writeMask() const { return settings_.writeMask; }
  void setWriteMask(std::uint32_t mask) { settings_.writeMask = mask; }

  const StencilSettings& settings() const { return settings_; }

private:
  friend class DepthStencilDescriptor;
  StencilDescriptor() = default;

  StencilSettings settings_;
};

class NS_CLASS_EXPORT DepthStencilDescriptor : public NS::Object {
public:
  static DepthStencilDescriptor* alloc();
  DepthStencilDescriptor* init() override { return this; }

  MTLCompareFunction depthCompareFunction() const { return depthCompareFunction_; }
  void setDepthCompareFunction(MTLCompareFunction function) { depthCompareFunction_ = function; }
  // Null until set. Setting keeps a copy of the descriptor; null removes the face's test.
  StencilDescriptor* frontFaceStencil() const { return frontFaceStencil_.get(); }
  void setFrontFaceStencil(const StencilDescriptor* descriptor);
  StencilDescriptor* backFaceStencil() const { return backFaceStencil_.get(); }
  void setBackFaceStencil(const StencilDescriptor* descriptor);

  DepthStencilSettings settings() const;

private:
  DepthStencilDescriptor() = default;

  static NS::Ref<StencilDescriptor> CopyOf(const StencilDescriptor* descriptor);

  MTLCompareFunction depthCompareFunction_ = MTLCompareFunctionAlways;
  NS::Ref<StencilDescriptor> frontFaceStencil_;
  NS::Ref<StencilDescriptor> backFaceStencil_;
};

// Made by Device::newDepthStencilStateWithDescriptor; immutable, any thread.
class NS_CLASS_EXPORT DepthStencilState : public NS::Object {
public:
  // The stand-in's own: the settings it tests with.
  const DepthStencilSettings& settings() const { return settings_; }

private:
  friend class Device;
  explicit DepthStencilState(const DepthStencilSettings& settings) : settings_(settings) {}

  const DepthStencilSettings settings_;
};

}  // namespace MTL
