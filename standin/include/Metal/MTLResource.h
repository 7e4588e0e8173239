#pragma once

// Memory the device and the CPU share: buffers and textures. Any thread may
// call these; the CPU reads and writes of buffer contents are the caller's to
// order against the command buffers that use them.

#include <Foundation/NSObject.h>
#include <Metal/MTLTypes.h>

#include <memory>

namespace MTL {

class NS_CLASS_EXPORT Resource : public NS::Object {
public:
  MTLStorageMode storageMode() const { return storageMode_; }
  MTLCPUCacheMode cpuCacheMode() const { return cpuCacheMode_; }

protected:
  Resource(MTLStorageMode storageMode, MTLCPUCacheMode cpuCacheMode)
      : storageMode_(storageMode), cpuCacheMode_(cpuCacheMode) {}

private:
  const MTLStorageMode storageMode_;
  const MTLCPUCacheMode cpuCacheMode_;
};

// Made by Device::newBufferWithLengthOptions and newBufferWithBytesLengthOptions.
class NS_CLASS_EXPORT Buffer : public Resource {
public:
  // Stable for the buffer's life; null for private storage.
  void* contents() const;
  NS::UInteger length() const { return length_; }

  // The stand-in's own: the bytes whatever the storage mode, for the encoders.
  std::byte* storage() const { return bytes_.get(); }

private:
  friend class Device;
  Buffer(std::unique_ptr<std::byte[]> bytes, NS::UInteger length, MTLResourceOptions options);

  const std::unique_ptr<std::byte[]> bytes_;
  const NS::UInteger length_;
};

}  // namespace MTL
