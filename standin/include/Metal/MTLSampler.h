#pragma once

// How textures are sampled: descriptors and the immutable states made from them.

#include <Foundation/NSObject.h>
#include <Metal/MTLTypes.h>

typedef NS::UInteger MTLSamplerMinMagFilter;
enum : MTLSamplerMinMagFilter {
  MTLSamplerMinMagFilterNearest = 0,
  MTLSamplerMinMagFilterLinear = 1,
};

typedef NS::UInteger MTLSamplerMipFilter;
enum : MTLSamplerMipFilter {
  MTLSamplerMipFilterNotMipmapped = 0,
  MTLSamplerMipFilterNearest = 1,
  MTLSamplerMipFilterLinear = 2,
};

typedef NS::UInteger MTLSamplerAddressMode;
enum : MTLSamplerAddressMode {
  MTLSamplerAddressModeClampToEdge = 0,
  MTLSamplerAddressModeRepeat = 1,
};

namespace MTL {

// What a sampler descriptor carries and its state keeps (the stand-in's own
// grouping; the default samples nearest, not mipmapped, clamped to the edge).
struct SamplerSettings {
  MTLSamplerMinMagFilter minFilter = MTLSamplerMinMagFilterNearest;
  MTLSamplerMinMagFilter magFilter = MTLSamplerMinMagFilterNearest;
  MTLSamplerMipFilter mipFilter = MTLSamplerMipFilterNotMipmapped;
  MTLSamplerAddressMode sAddressMode = MTLSamplerAddressModeClampToEdge;
  MTLSamplerAddressMode tAddressMode = MTLSamplerAddressModeClampToEdge;

  bool operator==(const SamplerSettings&) const = default;
};

class NS_CLASS_EXPORT SamplerDescriptor : public NS::Object {
public:
  static SamplerDescriptor* alloc();
  SamplerDescriptor* init() override { return this; }

  MTLSamplerMinMagFilter minFilter() const { return settings_.minFilter; }
  void setMinFilter(MTLSamplerMinMagFilter filter) { settings_.minFilter = filter; }
  MTLSamplerMinMagFilter magFilter() const { return settings_.magFilter; }
  void setMagFilter(MTLSamplerMinMagFilter filter) { settings_.magFilter = filter; }
  MTLSamplerMipFilter mipFilter() const { return settings_.mipFilter; }
  void setMipFilter(MTLSamplerMipFilter filter) { settings_.mipFilter = filter; }
  MTLSamplerAddressMode sAddressMode() const { return settings_.sAddressMode; }
  void setSAddressMode(MTLSamplerAddressMode mode) { settings_.sAddressMode = mode; }
  MTLSamplerAddressMode tAddressMode() const { return settings_.tAddressMode; }
  void setTAddressMode(MTLSamplerAddressMode mode) { settings_.tAddressMode = mode; }

  const SamplerSettings& settings() const { return settings_; }

private:
  SamplerDescriptor() = default;

  SamplerSettings settings_;
};

// Made by Device::newSamplerStateWithDescriptor; immutable, any thread.
class NS_CLASS_EXPORT SamplerState : public NS::Object {
public:
  // The stand-in's own: the settings it samples with.
  const SamplerSettings& settings() const { return settings_; }

private:
  friend class Device;
  explicit SamplerState(const SamplerSettings& settings) : settings_(settings) {}

  const SamplerSettings settings_;
};

}  // namespace MTL
